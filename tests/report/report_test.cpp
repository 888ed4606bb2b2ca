#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "platform/report.h"
#include "platform/sqlite/sqlitedataset.h"
#include "report/qr2zorvik.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// A printer whose pages record what is drawn on them.
class PagesPrinter : public TPrinter {
public:
    std::vector<std::unique_ptr<RecordingCanvas>> pages;
    bool BeginDoc(std::string&) override {
        setPrinting(true);
        return addPage();
    }
    bool NewPage(std::string&) override { return addPage(); }
    bool EndDoc(std::string&) override {
        setPage(nullptr);
        setPrinting(false);
        return true;
    }

private:
    bool addPage() {
        pages.push_back(std::make_unique<RecordingCanvas>());
        setPage(pages.back().get());
        return true;
    }
};

// Where each text was written: page (from 0) and device position.
struct Placed {
    int page, x, y;
    friend bool operator==(const Placed&, const Placed&) = default;
};
std::multimap<std::string, Placed> textsOf(const PagesPrinter& printer) {
    std::multimap<std::string, Placed> out;
    for (size_t p = 0; p < printer.pages.size(); ++p)
        for (const CanvasCall& c : printer.pages[p]->textCalls()) out.insert({c.text, {static_cast<int>(p), c.x, c.y}});
    return out;
}

// A band of Height millimetres with one label at (1, 2) mm: a fixed text, or
// the dataset's field n.
TQRBand* band(TComponent& owner, TQuickRep& report, TQRBandType type, long double height, const char* text) {
    auto* b = new TQRBand(&owner);
    b->SetBandType(type);
    b->SetHeight(height);
    b->SetParentReport(&report);
    TQRLabel* label = text != nullptr ? new TQRLabel(&owner) : new TQRDBText(&owner);
    if (text != nullptr) label->SetCaption(text);
    else static_cast<TQRDBText*>(label)->SetDataField("n");
    label->Size()->SetValue(TQRPrintableSize::Left, 1);
    label->Size()->SetValue(TQRPrintableSize::Top, 2);
    label->SetParentBand(b);
    return b;
}

TEST(Report, BandsFillPagesAcrossTheColumnsThenDown) {
    // A 100 x 100 mm page, margins 10 mm above and below and 5 mm at the
    // sides, a 10 mm page header and footer, 20 mm details: 60 mm for details
    // on each page. At 254 dpi a millimetre is 10 dots.
    struct Case {
        const char* name;
        int records, columns;
        long double title, summary;  // 0: no such band
        int pages;
        std::vector<std::pair<int, Placed>> details;  // record -> page, x, y in millimetres
        Placed titleAt, summaryAt;
    };
    const Case cases[] = {
        {"one column: three details a page", 7, 1, 0, 0, 3,
         {{1, {0, 6, 22}}, {2, {0, 6, 42}}, {3, {0, 6, 62}}, {4, {1, 6, 22}}, {5, {1, 6, 42}}, {6, {1, 6, 62}},
          {7, {2, 6, 22}}},
         {}, {}},
        {"six records fill two pages exactly", 6, 1, 0, 0, 2,
         {{3, {0, 6, 62}}, {4, {1, 6, 22}}, {6, {1, 6, 62}}}, {}, {}},
        {"two columns 40 mm wide, 10 mm apart", 7, 2, 0, 0, 2,
         {{1, {0, 6, 22}}, {2, {0, 56, 22}}, {3, {0, 6, 42}}, {4, {0, 56, 42}}, {5, {0, 6, 62}}, {6, {0, 56, 62}},
          {7, {1, 6, 22}}},
         {}, {}},
        {"a title on the first page; the summary breaks to a page of its own", 5, 1, 15, 10, 3,
         {{1, {0, 6, 37}}, {2, {0, 6, 57}}, {3, {1, 6, 22}}, {4, {1, 6, 42}}, {5, {1, 6, 62}}},
         {0, 6, 22}, {2, 6, 22}},
        {"the summary follows a half-filled row", 3, 2, 0, 10, 1,
         {{1, {0, 6, 22}}, {2, {0, 56, 22}}, {3, {0, 6, 42}}}, {}, {0, 6, 62}},
        {"no records: headers, title and summary only", 0, 1, 15, 10, 1, {}, {0, 6, 22}, {0, 6, 37}},
    };
    const std::string dir = test::scratchDir("report-pages");
    for (const Case& c : cases) {
        const std::string db = test::makeDatabase(
            dir, "DROP TABLE IF EXISTS t; CREATE TABLE t(n INTEGER);"
                 "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < " +
                     std::to_string(c.records) + ") INSERT INTO t SELECT n FROM c WHERE n <= " +
                     std::to_string(c.records) + ";");
        TComponent form(nullptr);
        auto* data = new TSqliteDataSet(&form);
        data->SetDatabaseName(db);
        data->SetSQL("SELECT n FROM t ORDER BY n");
        auto* report = new TQuickRep(&form);
        report->SetDataSet(data);
        TQRPage& page = report->Page();
        page.PaperSize = TQRPaperSize::Custom;
        page.Width = page.Length = 100;
        page.TopMargin = page.BottomMargin = 10;
        page.LeftMargin = page.RightMargin = 5;
        page.Columns = c.columns;
        page.ColumnSpace = 10;
        // Written out of order: the band type decides where a band prints.
        band(form, *report, TQRBandType::rbPageFooter, 10, "F");
        band(form, *report, TQRBandType::rbDetail, 20, nullptr);
        if (c.summary > 0) band(form, *report, TQRBandType::rbSummary, c.summary, "S");
        band(form, *report, TQRBandType::rbPageHeader, 10, "H");
        if (c.title > 0) band(form, *report, TQRBandType::rbTitle, c.title, "T");

        PagesPrinter device;
        TQRPrinter printer(&device, 254, 254);
        std::string error;
        ASSERT_TRUE(report->Print(printer, error)) << c.name << ": " << error;
        EXPECT_EQ(static_cast<int>(device.pages.size()), c.pages) << c.name;
        EXPECT_EQ(report->RecordCount(), c.records) << c.name;
        const auto texts = textsOf(device);
        auto dots = [](Placed mm) { return Placed{mm.page, mm.x * 10, mm.y * 10}; };
        for (const auto& [record, at] : c.details) {
            const auto found = texts.equal_range(std::to_string(record));
            ASSERT_EQ(std::distance(found.first, found.second), 1) << c.name << ": record " << record;
            EXPECT_EQ(found.first->second, dots(at)) << c.name << ": record " << record;
        }
        // Header and footer on every page, at its top and bottom.
        for (int p = 0; p < c.pages; ++p) {
            bool header = false, footer = false;
            for (auto [it, end] = texts.equal_range("H"); it != end; ++it) header |= it->second == dots({p, 6, 12});
            for (auto [it, end] = texts.equal_range("F"); it != end; ++it) footer |= it->second == dots({p, 6, 82});
            EXPECT_TRUE(header && footer) << c.name << ": page " << p + 1;
        }
        EXPECT_EQ(texts.count("H"), static_cast<size_t>(c.pages)) << c.name;
        if (c.title > 0) {
            ASSERT_EQ(texts.count("T"), 1u) << c.name;
            EXPECT_EQ(texts.find("T")->second, dots(c.titleAt)) << c.name;
        }
        if (c.summary > 0) {
            ASSERT_EQ(texts.count("S"), 1u) << c.name;
            EXPECT_EQ(texts.find("S")->second, dots(c.summaryAt)) << c.name;
        }
    }
}

TEST(Report, RefusesABandTallerThanThePage) {
    TComponent form(nullptr);
    auto* report = new TQuickRep(&form);
    report->Page().Length = 100;
    band(form, *report, TQRBandType::rbDetail, 81, "D");  // 100 - 2 x 10 margins leaves 80
    PagesPrinter device;
    TQRPrinter printer(&device, 96, 96);
    std::string error;
    EXPECT_FALSE(report->Print(printer, error));
    EXPECT_NE(error.find("does not fit"), std::string::npos) << error;
    EXPECT_TRUE(device.pages.empty());
}

// A report of one detail band, without a dataset, holding one printable
// barcode at (5, 2.5) mm; margins 10 mm left and 20 mm top.
struct BarcodeReport {
    TComponent form{nullptr};
    TZorvik* barcode = new TZorvik(&form);
    TQuickRep* report = new TQuickRep(&form);
    TQR2Zorvik* element = new TQR2Zorvik(&form);
    BarcodeReport() {
        barcode->Code()->SetCode(TBarCodeType::Code_39);
        barcode->Code()->SetCaption("ABC");
        barcode->SetWidth(116);  // the symbol's own size at one pixel per module
        barcode->SetHeight(50);
        report->Page().LeftMargin = 10;
        report->Page().TopMargin = 20;
        auto* b = new TQRBand(&form);
        b->SetHeight(30);
        b->SetParentReport(report);
        element->SetParentBand(b);
        element->Size()->SetValue(TQRPrintableSize::Left, 5);
        element->Size()->SetValue(TQRPrintableSize::Top, 2.5L);
        element->SetBarcode(barcode);
    }
    // The page's calls.
    std::vector<CanvasCall> print(TQRPrinter& printer, PagesPrinter& device) {
        std::string error;
        EXPECT_TRUE(report->Print(printer, error)) << error;
        return device.pages.empty() ? std::vector<CanvasCall>{} : device.pages[0]->calls();
    }
};

TEST(QR2Zorvik, PrintsAtXPosYPosWithTheScaleOfThePrinterFactors) {
    // Scale: A = dpiX / 96 and B = dpiY / dpiX; A x B rounded, halves to even,
    // when A exceeds 1, else 1. The element's corner at 15 mm, 22.5 mm.
    struct Case {
        const char* name;
        std::unique_ptr<TQRPrinter> (*make)(TPrinter*);
        int x, y, scale;
    } cases[] = {
        {"72 dpi", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 72, 72); }, 43, 64, 1},
        {"96 dpi", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 96, 96); }, 57, 85, 1},
        {"203 dpi", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 203, 203); }, 120, 180, 2},
        {"300 dpi", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 300, 300); }, 177, 266, 3},
        {"600 dpi", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 600, 600); }, 354, 531, 6},
        {"720 dpi: 7.5 rounds to 8", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 720, 720); }, 425, 638, 8},
        {"1200 dpi: 12.5 rounds to 12", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 1200, 1200); }, 709, 1063, 12},
        {"factors 2.5 and 2.5: 6.25", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 2.5L, 2.5L); }, 142, 531, 6},
        {"horizontal factor 1.0: scale 1", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 1.0L, 3.0L); }, 57, 255, 1},
        {"horizontal factor below 1: scale 1", [](TPrinter* d) { return std::make_unique<TQRPrinter>(d, 0.75L, 1.0L); }, 43, 64, 1},
    };
    for (const Case& c : cases) {
        BarcodeReport r;
        PagesPrinter device;
        const auto printer = c.make(&device);
        const std::vector<CanvasCall> calls = r.print(*printer, device);
        ASSERT_FALSE(calls.empty()) << c.name;
        EXPECT_EQ(calls.front().kind, CanvasCall::Kind::Rectangle) << c.name;
        EXPECT_EQ(calls.front().rect, Rect(c.x, c.y, c.x + 116 * c.scale, c.y + 50 * c.scale)) << c.name;
        EXPECT_EQ(BarCodeWidth, 116 * c.scale) << c.name;
    }
}

TEST(QR2Zorvik, PrintsNothingForAnInvisibleOrMissingBarcode) {
    struct Case {
        const char* name;
        void (*arrange)(BarcodeReport&);
    } cases[] = {
        {"the control's own Visible is false", [](BarcodeReport& r) { r.barcode->SetVisible(false); }},
        {"no barcode assigned", [](BarcodeReport& r) { r.element->SetBarcode(nullptr); }},
        {"the barcode was destroyed", [](BarcodeReport& r) { delete r.barcode; }},
    };
    for (const Case& c : cases) {
        test::MessageCapture messages;
        BarcodeReport r;
        c.arrange(r);
        PagesPrinter device;
        TQRPrinter printer(&device, 300, 300);
        EXPECT_TRUE(r.print(printer, device).empty()) << c.name;
        EXPECT_TRUE(messages.texts.empty()) << c.name;
    }
}

TEST(QR2Zorvik, DesignerShowsADashedPlaceholderUntilABarcodeIsAssigned) {
    TComponent form(nullptr);
    form.SetDesigning(true);
    auto* element = new TQR2Zorvik(&form);
    EXPECT_EQ(element->Width(), 200);
    EXPECT_EQ(element->Height(), 200);
    element->SetColor(clYellow);

    RecordingCanvas placeholder;
    element->paintOn(placeholder);
    ASSERT_EQ(placeholder.calls().size(), 2u);
    const CanvasCall& fill = placeholder.calls()[0];
    EXPECT_EQ(fill.kind, CanvasCall::Kind::FillRect);
    EXPECT_EQ(fill.rect, Rect(0, 0, 200, 200));
    EXPECT_EQ(fill.brushColor, clYellow);
    const CanvasCall& frame = placeholder.calls()[1];
    EXPECT_EQ(frame.kind, CanvasCall::Kind::Rectangle);
    EXPECT_EQ(frame.rect, Rect(0, 0, 200, 200));
    EXPECT_EQ(frame.penStyle, TPenStyle::psDash);
    EXPECT_EQ(frame.brushStyle, TBrushStyle::bsClear);
    EXPECT_EQ(placeholder.Pen().Style, TPenStyle::psSolid);

    // A barcode: its symbol, and the element takes the control's size.
    auto* barcode = new TZorvik(&form);
    barcode->SetWidth(116);
    barcode->SetHeight(50);
    element->SetBarcode(barcode);
    RecordingCanvas symbol;
    element->paintOn(symbol);
    EXPECT_EQ(element->Width(), 116);
    EXPECT_EQ(element->Height(), 50);
    ASSERT_FALSE(symbol.calls().empty());
    EXPECT_EQ(symbol.calls().front().brushColor, clWhite);  // the control's background, not the element's colour

    // Its destruction clears the reference and brings the placeholder back.
    delete barcode;
    EXPECT_EQ(element->Barcode(), nullptr);
    RecordingCanvas again;
    element->paintOn(again);
    ASSERT_EQ(again.calls().size(), 2u);
    EXPECT_EQ(again.calls()[1].penStyle, TPenStyle::psDash);

    // Outside the designer an element without a barcode paints nothing.
    form.SetDesigning(false);
    RecordingCanvas runtime;
    element->paintOn(runtime);
    EXPECT_TRUE(runtime.calls().empty());
}

}  // namespace
}  // namespace zorvik
