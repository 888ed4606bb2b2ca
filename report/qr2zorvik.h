// The printable barcode: puts the symbol of a barcode control on a report
// band, drawn by that control's own render pipeline.
#pragma once

#include "control/zorvik.h"
#include "platform/report.h"

namespace zorvik {

class TQR2Zorvik : public TQRPrintable {
public:
    // 200 x 200 until a barcode sizes it.
    explicit TQR2Zorvik(TComponent* AOwner);

    // The control that supplies the symbol; not owned.
    TZorvik* Barcode() const { return m_barcode; }
    void SetBarcode(TZorvik* Value);

    // Draws the barcode's symbol at the element's place on the report
    // printer's page, as many device pixels per screen pixel as the printer's
    // scale factors give.
    void Print(int OfsX, int OfsY) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // The barcode's symbol; without one, in the designer, a dashed frame.
    void Paint() override;

private:
    TZorvik* m_barcode = nullptr;
};

// The whole-number scale of a report printer: A x B rounded to the nearest
// integer (halves to even) when the horizontal factor A exceeds 1, else 1.
int reportScale(long double XFactor, long double YFactor);

}  // namespace zorvik
