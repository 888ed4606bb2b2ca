#include "report/qr2zorvik.h"

#include <cmath>

namespace zorvik {

int reportScale(long double XFactor, long double YFactor) {
    if (!(XFactor > 1.0L)) return 1;
    // The factors are exact for the usual resolutions (A x B = dpi / 96), so
    // 720 dpi gives 7.5 and rounds to 8, 1200 dpi 12.5 and 12.
    const long double s = std::nearbyint(XFactor * YFactor);
    return s < 1 ? 1 : s > 1 << 20 ? 1 << 20 : static_cast<int>(s);
}

TQR2Zorvik::TQR2Zorvik(TComponent* AOwner) : TQRPrintable(AOwner) {
    SetWidth(200);
    SetHeight(200);
}

void TQR2Zorvik::SetBarcode(TZorvik* Value) {
    m_barcode = Value;
    if (Value != nullptr) Value->FreeNotification(this);
    Invalidate();
}

void TQR2Zorvik::Notification(TComponent* AComponent, TOperation Operation) {
    TQRPrintable::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == m_barcode) SetBarcode(nullptr);
}

void TQR2Zorvik::Paint() {
    TCanvas* c = Canvas();
    if (m_barcode != nullptr) {
        SetWidth(m_barcode->Width());
        SetHeight(m_barcode->Height());
        m_barcode->DrawBarCode(c, 0, 0, 1);
        return;
    }
    if (!isDesigning()) return;
    c->Brush().Style = TBrushStyle::bsSolid;
    c->Brush().Color = Color();
    c->FillRect(Rect(0, 0, Width(), Height()));
    c->Pen().Style = TPenStyle::psDash;
    c->Brush().Style = TBrushStyle::bsClear;
    c->Rectangle(0, 0, Width(), Height());
    c->Pen().Style = TPenStyle::psSolid;
}

void TQR2Zorvik::Print(int OfsX, int OfsY) {
    if (m_barcode == nullptr) return;
    TQuickRep* report = ParentReport();
    TQRPrinter* p = report != nullptr ? report->QRPrinter() : nullptr;
    if (p == nullptr) return;
    const int y = p->YPos(Size()->GetValue(TQRPrintableSize::Top) + OfsY);
    const int x = p->XPos(Size()->GetValue(TQRPrintableSize::Left) + OfsX);
    const long double* factors = p->Factors();
    m_barcode->DrawBarCode(p->GetCanvas(), x, y, reportScale(factors[0], factors[1]));
}

}  // namespace zorvik
