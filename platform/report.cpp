#include "platform/report.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace zorvik {

namespace {

constexpr long double kMillimetresPerInch = 25.4L;
constexpr long double kScreenDpi = 96.0L;

// Nearest whole number, halves to even (the default rounding mode), kept
// within the range of int.
int roundToInt(long double v) {
    if (!(v == v)) return 0;
    constexpr long double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::nearbyint(std::clamp(v, lo, hi)));
}

// Report units and the designer's pixels at the screen's resolution.
int unitsToScreen(long double mm) { return roundToInt(mm * kScreenDpi / kMillimetresPerInch); }
long double screenToUnits(int px) { return px * kMillimetresPerInch / kScreenDpi; }

template <class T>
void eraseOne(std::vector<T*>& v, T* item) {
    v.erase(std::remove(v.begin(), v.end(), item), v.end());
}

}  // namespace

// ---- TQRPrinter

TQRPrinter::TQRPrinter(TPrinter* Device, int DpiX, int DpiY)
    : m_device(Device), m_factors{DpiX / kScreenDpi, static_cast<long double>(DpiY) / DpiX} {}

TQRPrinter::TQRPrinter(TPrinter* Device, long double XFactor, long double YFactor)
    : m_device(Device), m_factors{XFactor, YFactor} {}

int TQRPrinter::XPos(long double Value) const { return roundToInt(Value * DpiX() / kMillimetresPerInch); }
int TQRPrinter::YPos(long double Value) const { return roundToInt(Value * DpiY() / kMillimetresPerInch); }

TCanvas* TQRPrinter::GetCanvas() const { return m_device != nullptr ? m_device->Canvas() : Printer()->Canvas(); }

bool TQRPrinter::BeginDoc(std::string& Error) {
    if (m_device == nullptr) {
        Error = "the report printer has no device";
        return false;
    }
    if (!m_device->BeginDoc(Error)) return false;
    m_page = 1;
    return true;
}

bool TQRPrinter::NewPage(std::string& Error) {
    if (m_device == nullptr || !m_device->NewPage(Error)) return false;
    ++m_page;
    return true;
}

bool TQRPrinter::EndDoc(std::string& Error) { return m_device != nullptr && m_device->EndDoc(Error); }

// ---- TQRPrintable

long double TQRPrintableSize::GetValue(int Index) const {
    return Index >= 0 && Index < 4 ? m_values[Index] : 0.0L;
}

void TQRPrintableSize::SetValue(int Index, long double Value) {
    if (Index < 0 || Index >= 4) return;
    if ((Index == Height || Index == Width) && Value < 0) Value = 0;
    m_values[Index] = Value;
    m_owner.sizeChanged();
}

TQRPrintable::TQRPrintable(TComponent* AOwner) : TGraphicControl(AOwner), m_size(*this) {}

TQRPrintable::~TQRPrintable() { SetParentBand(nullptr); }

void TQRPrintable::SetColor(TColor Value) {
    m_color = Value;
    Invalidate();
}

void TQRPrintable::SetParentBand(TQRBand* Value) {
    if (Value == m_band) return;
    if (m_band != nullptr) eraseOne(m_band->m_elements, this);
    m_band = Value;
    if (m_band != nullptr) m_band->m_elements.push_back(this);
}

TQuickRep* TQRPrintable::ParentReport() const { return m_band != nullptr ? m_band->ParentReport() : nullptr; }

void TQRPrintable::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (m_fromSize) return;
    // Moved or sized in pixels: the report units follow, so that printing
    // places the element where the designer shows it.
    m_size.m_values[TQRPrintableSize::Left] = screenToUnits(Left());
    m_size.m_values[TQRPrintableSize::Top] = screenToUnits(Top());
    m_size.m_values[TQRPrintableSize::Width] = screenToUnits(Width());
    m_size.m_values[TQRPrintableSize::Height] = screenToUnits(Height());
}

void TQRPrintable::sizeChanged() {
    // The report units stay as given; only the pixels are rounded.
    m_fromSize = true;
    TGraphicControl::SetBounds(unitsToScreen(m_size.m_values[TQRPrintableSize::Left]),
                               unitsToScreen(m_size.m_values[TQRPrintableSize::Top]),
                               unitsToScreen(m_size.m_values[TQRPrintableSize::Width]),
                               unitsToScreen(m_size.m_values[TQRPrintableSize::Height]));
    m_fromSize = false;
}

// ---- TQRBand

TQRBand::TQRBand(TComponent* AOwner) : TComponent(AOwner) {}

TQRBand::~TQRBand() {
    SetParentReport(nullptr);
    while (!m_elements.empty()) m_elements.back()->SetParentBand(nullptr);
}

void TQRBand::SetParentReport(TQuickRep* Value) {
    if (Value == m_report) return;
    if (m_report != nullptr) eraseOne(m_report->m_bands, this);
    m_report = Value;
    if (m_report != nullptr) m_report->m_bands.push_back(this);
}

void TQRBand::Print(int OfsX, int OfsY) {
    bool printBand = true;
    if (OnBeforePrint) OnBeforePrint(*this, printBand);
    if (!printBand) return;
    // A copy: an element's print must not disturb the walk.
    const std::vector<TQRPrintable*> elements = m_elements;
    for (TQRPrintable* e : elements) e->Print(OfsX, OfsY);
}

// ---- TQuickRep

void setPaperSize(TQRPage& Page, TQRPaperSize Size) {
    Page.PaperSize = Size;
    if (Size == TQRPaperSize::A4) {
        Page.Width = 210;
        Page.Length = 297;
    } else if (Size == TQRPaperSize::Letter) {
        Page.Width = 8.5L * kMillimetresPerInch;
        Page.Length = 11.0L * kMillimetresPerInch;
    }
}

TQuickRep::TQuickRep(TComponent* AOwner) : TComponent(AOwner) {}

TQuickRep::~TQuickRep() {
    while (!m_bands.empty()) m_bands.back()->SetParentReport(nullptr);
}

void TQuickRep::SetDataSet(TDataSet* Value) {
    m_dataSet = Value;
    if (Value != nullptr) Value->FreeNotification(this);
}

void TQuickRep::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == m_dataSet) m_dataSet = nullptr;
}

long double TQuickRep::ColumnWidth() const {
    const int columns = std::max(1, m_page.Columns);
    const long double across = m_page.Width - m_page.LeftMargin - m_page.RightMargin;
    return (across - (columns - 1) * m_page.ColumnSpace) / columns;
}

// One printing of the report: where the next band goes.
struct TQuickRep::Run {
    TQuickRep& report;
    TQRPrinter& printer;
    std::string& error;
    long double y = 0;       // top of the next band
    long double bottom = 0;  // where the page footer begins
    int column = 0;          // next detail column; 0 starts a new row
    long double rowHeight = 0;

    std::vector<TQRBand*> of(TQRBandType type) const {
        std::vector<TQRBand*> bands;
        for (TQRBand* b : report.m_bands)
            if (b->BandType() == type) bands.push_back(b);
        return bands;
    }
    static long double heightOf(const std::vector<TQRBand*>& bands) {
        long double h = 0;
        for (const TQRBand* b : bands) h += b->Height();
        return h;
    }
    long double columnLeft(int c) const {
        const TQRPage& p = report.m_page;
        return p.LeftMargin + c * (report.ColumnWidth() + p.ColumnSpace);
    }
    // Bands print at whole report units, the offsets their elements receive.
    static int whole(long double v) { return roundToInt(v); }

    void printAcross(const std::vector<TQRBand*>& bands) {
        for (TQRBand* b : bands) {
            b->Print(whole(report.m_page.LeftMargin), whole(y));
            y += b->Height();
        }
    }
    void startPage(bool first) {
        const TQRPage& p = report.m_page;
        y = p.TopMargin;
        bottom = p.Length - p.BottomMargin - heightOf(of(TQRBandType::rbPageFooter));
        column = 0;
        printAcross(of(TQRBandType::rbPageHeader));
        if (first) printAcross(of(TQRBandType::rbTitle));
        const std::vector<TQRBand*> headers = of(TQRBandType::rbColumnHeader);
        if (headers.empty()) return;
        const long double top = y;
        for (int c = 0; c < std::max(1, p.Columns); ++c) {
            y = top;
            for (TQRBand* b : headers) {
                b->Print(whole(columnLeft(c)), whole(y));
                y += b->Height();
            }
        }
    }
    void endPage() {
        long double at = report.m_page.Length - report.m_page.BottomMargin - heightOf(of(TQRBandType::rbPageFooter));
        for (TQRBand* b : of(TQRBandType::rbPageFooter)) {
            b->Print(whole(report.m_page.LeftMargin), whole(at));
            at += b->Height();
        }
    }
    bool newPage() {
        // Footers and headers belong to no record.
        const std::int64_t record = std::exchange(report.m_record, 0);
        endPage();
        const bool ok = printer.NewPage(error);
        if (ok) startPage(false);
        report.m_record = record;
        return ok;
    }
    // One record's detail bands, in the next column.
    bool printDetail(const std::vector<TQRBand*>& details) {
        const long double height = heightOf(details);
        if (column == 0 && y + height > bottom) {
            if (!newPage()) return false;
        }
        long double top = y;
        for (TQRBand* b : details) {
            b->Print(whole(columnLeft(column)), whole(top));
            top += b->Height();
        }
        if (++column >= std::max(1, report.m_page.Columns)) {
            column = 0;
            y += height;
        }
        return true;
    }
};

bool TQuickRep::Print(TQRPrinter& Printer, std::string& Error) {
    m_records = 0;
    m_record = 0;
    const TQRPage& p = m_page;
    if (p.Columns < 1) {
        Error = "a report has at least one column";
        return false;
    }
    if (p.Width <= 0 || p.Length <= 0 || ColumnWidth() <= 0) {
        Error = "the page leaves no room for a column";
        return false;
    }
    Run run{*this, Printer, Error};
    // A band that cannot fit on an empty page would start page after page.
    const long double fixed = p.TopMargin + p.BottomMargin + Run::heightOf(run.of(TQRBandType::rbPageHeader)) +
                              Run::heightOf(run.of(TQRBandType::rbPageFooter)) +
                              Run::heightOf(run.of(TQRBandType::rbColumnHeader));
    const std::vector<TQRBand*> details = run.of(TQRBandType::rbDetail);
    if (fixed + Run::heightOf(details) > p.Length || fixed + Run::heightOf(run.of(TQRBandType::rbSummary)) > p.Length) {
        Error = "a band does not fit on a page with the margins, headers and footers";
        return false;
    }

    if (m_dataSet != nullptr && !m_dataSet->Active() && !m_dataSet->Open()) {
        Error = m_dataSet->LastError();
        return false;
    }
    if (m_dataSet != nullptr) m_dataSet->First();
    for (TQRBand* b : m_bands)
        for (int i = 0; i < b->ElementCount(); ++i)
            if (!b->Elements(i)->Prepare(Error)) return false;

    m_printer = &Printer;
    bool ok = Printer.BeginDoc(Error);
    if (ok) {
        run.startPage(true);
        if (m_dataSet == nullptr) {
            m_record = m_records = 1;
            ok = run.printDetail(details);
        } else {
            while (ok && !m_dataSet->Eof()) {
                m_record = ++m_records;
                ok = run.printDetail(details);
                // Only a failed move ends the records early; a text that
                // could not be shown (a blob) is no reason to stop.
                if (ok && !m_dataSet->Next()) {
                    Error = m_dataSet->LastError();
                    ok = false;
                }
            }
        }
        m_record = 0;
        if (ok) {
            if (run.column != 0) {
                run.y += Run::heightOf(details);
                run.column = 0;
            }
            const std::vector<TQRBand*> summary = run.of(TQRBandType::rbSummary);
            if (!summary.empty() && run.y + Run::heightOf(summary) > run.bottom) ok = run.newPage();
            if (ok) {
                run.printAcross(summary);
                run.endPage();
            }
        }
        std::string endError;
        if (!Printer.EndDoc(endError) && ok) {
            Error = endError;
            ok = false;
        }
    }
    m_printer = nullptr;
    return ok;
}

// ---- TQRLabel, TQRDBText

TQRLabel::TQRLabel(TComponent* AOwner) : TQRPrintable(AOwner) {
    m_font.SetName("Arial");
    m_font.OnChange = [this](TObject*) { Invalidate(); };
}

void TQRLabel::SetCaption(const std::string& Value) {
    if (Value == m_caption) return;
    m_caption = Value;
    Invalidate();
}

void TQRLabel::Paint() {
    TCanvas* c = Canvas();
    c->SetFont(m_font);
    const int previous = c->setBkMode(TRANSPARENT);
    c->TextOut(0, 0, text());
    c->setBkMode(previous);
}

void TQRLabel::Print(int OfsX, int OfsY) {
    TQuickRep* report = ParentReport();
    TQRPrinter* p = report != nullptr ? report->QRPrinter() : nullptr;
    if (p == nullptr) return;
    const std::string s = text();
    if (s.empty()) return;
    TCanvas* c = p->GetCanvas();
    // A font keeps its size on paper: its height in screen pixels grows with
    // the device pixels per screen pixel down the page.
    c->SetFont(m_font);
    c->Font().SetHeight(roundToInt(m_font.Height() * p->DpiY() / kScreenDpi));
    const int previous = c->setBkMode(TRANSPARENT);
    c->TextOut(p->XPos(Size()->GetValue(TQRPrintableSize::Left) + OfsX),
               p->YPos(Size()->GetValue(TQRPrintableSize::Top) + OfsY), s);
    c->setBkMode(previous);
}

TQRDBText::TQRDBText(TComponent* AOwner) : TQRLabel(AOwner) {}

void TQRDBText::SetDataSet(TDataSet* Value) {
    m_dataSet = Value;
    if (Value != nullptr) Value->FreeNotification(this);
}

void TQRDBText::Notification(TComponent* AComponent, TOperation Operation) {
    TQRLabel::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == m_dataSet) m_dataSet = nullptr;
}

TDataSet* TQRDBText::source() const {
    if (m_dataSet != nullptr) return m_dataSet;
    const TQuickRep* report = ParentReport();
    return report != nullptr ? report->DataSet() : nullptr;
}

bool TQRDBText::Prepare(std::string& Error) {
    TDataSet* ds = source();
    if (ds == nullptr) {
        Error = "'" + Name() + "' has no dataset to print '" + m_dataField + "' from";
        return false;
    }
    if (!ds->Active() && !ds->Open()) {
        Error = ds->LastError();
        return false;
    }
    if (ds->FieldByName(m_dataField) == nullptr) {
        std::string names;
        for (int i = 0; i < ds->FieldCount(); ++i) names += (i ? ", " : "") + ds->Fields(i)->FieldName();
        Error = "'" + Name() + "': unknown DataField '" + m_dataField + "': the records have " + names;
        return false;
    }
    return true;
}

std::string TQRDBText::text() const {
    TDataSet* ds = source();
    const TField* f = ds != nullptr ? ds->FieldByName(m_dataField) : nullptr;
    return f != nullptr ? f->DisplayText() : std::string();
}

}  // namespace zorvik
