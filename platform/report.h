// The host framework's banded report engine: a report over a dataset prints
// its bands (title, page header, column header, detail once per record,
// page footer, summary) onto the pages of a report printer, and each band asks
// its printable elements to print themselves at the band's offset.
//
// Report units are millimetres, measured from the top-left corner of the page.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/db.h"
#include "platform/graphics.h"
#include "platform/printers.h"

namespace zorvik {

class TQuickRep;
class TQRBand;

// Converts report units to device pixels of the pages of a printer. Its two
// scale factors compare the device with the screen: A = dpiX / 96 (device
// pixels per screen pixel across) and B = dpiY / dpiX, so that A x B = dpiY / 96
// is exactly the device pixels per screen pixel down the page.
class TQRPrinter : public TObject {
public:
    // A device of DpiX x DpiY dots per inch whose pages are Device's pages;
    // Device may be null for a printer that only measures.
    TQRPrinter(TPrinter* Device, int DpiX, int DpiY);
    // A device described by its factors directly.
    TQRPrinter(TPrinter* Device, long double XFactor, long double YFactor);

    // Device pixels of a horizontal or vertical position in report units,
    // rounded to the nearest pixel (halves to even).
    int XPos(long double Value) const;
    int YPos(long double Value) const;
    // The canvas of the page in progress.
    TCanvas* GetCanvas() const;

    long double XFactor() const { return m_factors[0]; }
    long double YFactor() const { return m_factors[1]; }
    // The two factors, horizontal first, side by side as the printables read them.
    const long double* Factors() const { return m_factors; }
    long double DpiX() const { return 96.0L * m_factors[0]; }
    long double DpiY() const { return 96.0L * m_factors[0] * m_factors[1]; }

    TPrinter* Device() const { return m_device; }
    // Page number of the page in progress, from 1; 0 before the first.
    int PageNumber() const { return m_page; }

    bool BeginDoc(std::string& Error);
    bool NewPage(std::string& Error);
    bool EndDoc(std::string& Error);

private:
    TPrinter* m_device;
    long double m_factors[2];
    int m_page = 0;
};

// An element's position and size on its band in report units, by index:
// 0 height, 1 left, 2 top, 3 width.
class TQRPrintableSize : public TPersistent {
public:
    enum Index { Height = 0, Left = 1, Top = 2, Width = 3 };
    explicit TQRPrintableSize(class TQRPrintable& Owner) : m_owner(Owner) {}
    long double GetValue(int Index) const;
    void SetValue(int Index, long double Value);

private:
    friend class TQRPrintable;
    TQRPrintable& m_owner;
    long double m_values[4] = {};
};

// Something a band prints. On the designer's surface it is a control whose
// pixels are report units at the screen's 96 pixels per inch; its size
// object and its pixel bounds follow each other.
class TQRPrintable : public TGraphicControl {
public:
    explicit TQRPrintable(TComponent* AOwner);
    ~TQRPrintable() override;

    TQRPrintableSize* Size() { return &m_size; }
    const TQRPrintableSize* Size() const { return &m_size; }
    // The element's colour (its background in the designer).
    TColor Color() const { return m_color; }
    void SetColor(TColor Value);

    TQRBand* ParentBand() const { return m_band; }
    // Places the element on Band (nullptr: on none).
    void SetParentBand(TQRBand* Value);
    TQuickRep* ParentReport() const;

    // Called once before the records are printed, with the dataset open: false
    // with a reason when the element cannot print (an unknown field).
    virtual bool Prepare(std::string& Error) {
        (void)Error;
        return true;
    }
    // Prints the element on the parent report's printer, its band placed at
    // (OfsX, OfsY) report units on the page.
    virtual void Print(int OfsX, int OfsY) {
        (void)OfsX;
        (void)OfsY;
    }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

private:
    friend class TQRPrintableSize;
    void sizeChanged();

    TQRPrintableSize m_size;
    TColor m_color = clWhite;
    TQRBand* m_band = nullptr;
    bool m_fromSize = false;
};

enum class TQRBandType { rbTitle, rbPageHeader, rbColumnHeader, rbDetail, rbPageFooter, rbSummary };

// A horizontal strip of the page: full width for the title, page header and
// footer and summary; one column wide for the column header and the detail.
class TQRBand : public TComponent {
public:
    explicit TQRBand(TComponent* AOwner);
    ~TQRBand() override;

    TQRBandType BandType() const { return m_type; }
    void SetBandType(TQRBandType Value) { m_type = Value; }
    // Height in report units.
    long double Height() const { return m_height; }
    void SetHeight(long double Value) { m_height = Value < 0 ? 0 : Value; }

    TQuickRep* ParentReport() const { return m_report; }
    void SetParentReport(TQuickRep* Value);

    int ElementCount() const { return static_cast<int>(m_elements.size()); }
    TQRPrintable* Elements(int Index) const { return m_elements.at(static_cast<size_t>(Index)); }

    // Raised before each printing of the band; setting PrintBand false leaves
    // this printing empty (the band keeps its place on the page).
    std::function<void(TQRBand& Sender, bool& PrintBand)> OnBeforePrint;

    // Prints every element at (OfsX, OfsY) report units.
    void Print(int OfsX, int OfsY);

private:
    friend class TQRPrintable;
    TQRBandType m_type = TQRBandType::rbDetail;
    long double m_height = 0;
    TQuickRep* m_report = nullptr;
    std::vector<TQRPrintable*> m_elements;
};

enum class TQRPaperSize { A4, Letter, Custom };

// The page of a report, in report units.
struct TQRPage {
    TQRPaperSize PaperSize = TQRPaperSize::A4;
    long double Width = 210;   // set with PaperSize, or freely for a custom size
    long double Length = 297;
    long double TopMargin = 10;
    long double BottomMargin = 10;
    long double LeftMargin = 10;
    long double RightMargin = 10;
    int Columns = 1;
    long double ColumnSpace = 0;  // between neighbouring columns
};

// Sets Width and Length for a named paper size (A4 210 x 297, Letter 215.9 x 279.4).
void setPaperSize(TQRPage& Page, TQRPaperSize Size);

class TQuickRep : public TComponent {
public:
    explicit TQuickRep(TComponent* AOwner);
    ~TQuickRep() override;

    TQRPage& Page() { return m_page; }
    const TQRPage& Page() const { return m_page; }
    // The records: the detail bands print once per record (once when there is
    // no dataset). Not owned.
    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* Value);

    int BandCount() const { return static_cast<int>(m_bands.size()); }
    TQRBand* Bands(int Index) const { return m_bands.at(static_cast<size_t>(Index)); }

    // The report printer while the report prints, else nullptr.
    TQRPrinter* QRPrinter() const { return m_printer; }
    // The record being printed, from 1 (0 outside the detail bands).
    std::int64_t RecordNumber() const { return m_record; }
    // Records printed by the last Print.
    std::int64_t RecordCount() const { return m_records; }

    // Width of a column, in report units.
    long double ColumnWidth() const;
    // Prints the whole report: begins the printer's document, prints every
    // page and ends it. False with a reason when the layout, the dataset or
    // the device fails.
    bool Print(TQRPrinter& Printer, std::string& Error);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TQRBand;
    struct Run;

    TQRPage m_page;
    TDataSet* m_dataSet = nullptr;
    std::vector<TQRBand*> m_bands;
    TQRPrinter* m_printer = nullptr;
    std::int64_t m_record = 0;
    std::int64_t m_records = 0;
};

// A fixed text.
class TQRLabel : public TQRPrintable {
public:
    explicit TQRLabel(TComponent* AOwner);
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& Value);
    TFont* Font() { return &m_font; }
    const TFont* Font() const { return &m_font; }
    void Print(int OfsX, int OfsY) override;

protected:
    void Paint() override;
    // The text printed now.
    virtual std::string text() const { return m_caption; }

private:
    std::string m_caption;
    TFont m_font;
};

// The display text of one field of the current record: of DataSet, or of the
// report's dataset when none is set.
class TQRDBText : public TQRLabel {
public:
    explicit TQRDBText(TComponent* AOwner);
    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* Value);
    const std::string& DataField() const { return m_dataField; }
    void SetDataField(const std::string& Value) { m_dataField = Value; }
    bool Prepare(std::string& Error) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    std::string text() const override;

private:
    TDataSet* source() const;
    TDataSet* m_dataSet = nullptr;
    std::string m_dataField;
};

}  // namespace zorvik
