#include "platform/reportform.h"

#include <array>

#include "platform/formvalue.h"

namespace zorvik {

namespace {

// Reads each assignment of Object through Apply, then tells the component it is loaded.
template <class T, class F>
bool readEach(TComponent& Component, const TFormObject& Object, F Apply, std::string& Error) {
    T& c = static_cast<T&>(Component);
    c.SetLoading(true);
    for (const TFormProperty& p : Object.properties)
        if (!Apply(c, p, Error)) {
            c.SetLoading(false);
            return false;
        }
    c.SetLoading(false);
    c.Loaded();
    return true;
}

// The identifiers of TQRPaperSize and TQRBandType, by ordinal.
constexpr std::array<std::string_view, 3> kPaperSizes = {"A4", "Letter", "Custom"};
static_assert(kPaperSizes.size() == static_cast<size_t>(TQRPaperSize::Custom) + 1);
constexpr std::array<std::string_view, 6> kBandTypes = {"rbTitle",  "rbPageHeader", "rbColumnHeader",
                                                        "rbDetail", "rbPageFooter", "rbSummary"};
static_assert(kBandTypes.size() == static_cast<size_t>(TQRBandType::rbSummary) + 1);

bool readReport(TQuickRep& r, const TFormProperty& p, const TFormLoader& l, std::string& e) {
    TQRPage& page = r.Page();
    const std::string& path = p.path;
    long double* units = sameIdent(path, "Page.Width")          ? &page.Width
                         : sameIdent(path, "Page.Length")       ? &page.Length
                         : sameIdent(path, "Page.TopMargin")    ? &page.TopMargin
                         : sameIdent(path, "Page.BottomMargin") ? &page.BottomMargin
                         : sameIdent(path, "Page.LeftMargin")   ? &page.LeftMargin
                         : sameIdent(path, "Page.RightMargin")  ? &page.RightMargin
                         : sameIdent(path, "Page.ColumnSpace")  ? &page.ColumnSpace
                                                                : nullptr;
    if (units != nullptr) {
        long double v = 0;
        if (!l.number(p, v, e)) return false;
        if (v < 0) {
            e = l.where(p) + "bad value for " + path + ": a length cannot be negative";
            return false;
        }
        *units = v;
        // A page measured by hand is a custom size.
        if (units == &page.Width || units == &page.Length) page.PaperSize = TQRPaperSize::Custom;
        return true;
    }
    if (sameIdent(path, "Page.PaperSize")) {
        int i = 0;
        if (!l.ident(p, kPaperSizes, i, e)) return false;
        setPaperSize(page, static_cast<TQRPaperSize>(i));
        return true;
    }
    if (sameIdent(path, "Page.Columns")) {
        int n = 0;
        if (!l.integer(p, n, e)) return false;
        if (n < 1 || n > 100) {
            e = l.where(p) + "bad value for " + path + ": from 1 to 100 columns";
            return false;
        }
        page.Columns = n;
        return true;
    }
    if (sameIdent(path, "DataSet")) {
        TDataSet* ds = nullptr;
        if (!l.reference(p, ds, e)) return false;
        r.SetDataSet(ds);
        return true;
    }
    return l.unknown(p, "TQuickRep", e);
}

bool readBand(TQRBand& b, const TFormProperty& p, const TFormLoader& l, std::string& e) {
    if (sameIdent(p.path, "BandType")) {
        int i = 0;
        if (!l.ident(p, kBandTypes, i, e)) return false;
        b.SetBandType(static_cast<TQRBandType>(i));
        return true;
    }
    if (sameIdent(p.path, "Size.Height")) {
        long double v = 0;
        if (!l.number(p, v, e)) return false;
        b.SetHeight(v);
        return true;
    }
    return l.unknown(p, "TQRBand", e);
}

bool readLabel(TQRLabel& q, const TFormProperty& p, const TFormLoader& l, const char* cls, std::string& e) {
    bool known = false;
    if (!readPrintableProperty(q, p, l, known, e)) return false;
    if (known) return true;
    if (!l.font(p, *q.Font(), known, e)) return false;
    if (known) return true;
    if (sameIdent(p.path, "Caption") && sameIdent(cls, "TQRLabel")) {
        std::string s;
        if (!l.string(p, s, e)) return false;
        q.SetCaption(s);
        return true;
    }
    return l.unknown(p, cls, e);
}

bool readDBText(TQRDBText& q, const TFormProperty& p, const TFormLoader& l, std::string& e) {
    if (sameIdent(p.path, "DataField")) {
        std::string s;
        if (!l.string(p, s, e)) return false;
        q.SetDataField(s);
        return true;
    }
    if (sameIdent(p.path, "DataSet")) {
        TDataSet* ds = nullptr;
        if (!l.reference(p, ds, e)) return false;
        q.SetDataSet(ds);
        return true;
    }
    return readLabel(q, p, l, "TQRDBText", e);
}

bool readSource(TDataSource& s, const TFormProperty& p, const TFormLoader& l, std::string& e) {
    if (sameIdent(p.path, "DataSet")) {
        TDataSet* ds = nullptr;
        if (!l.reference(p, ds, e)) return false;
        s.SetDataSet(ds);
        return true;
    }
    return l.unknown(p, "TDataSource", e);
}

// An element sits on the band it is written in.
template <class T>
TComponent* onBand(TComponent& owner, TComponent* parent) {
    auto* band = dynamic_cast<TQRBand*>(parent);
    if (band == nullptr) return nullptr;
    auto* e = new T(&owner);
    e->SetParentBand(band);
    return e;
}

}  // namespace

bool readPrintableProperty(TQRPrintable& Element, const TFormProperty& Property, const TFormLoader& Loader,
                           bool& Known, std::string& Error) {
    Known = true;
    static constexpr std::pair<std::string_view, int> kSize[] = {{"Size.Height", TQRPrintableSize::Height},
                                                                 {"Size.Left", TQRPrintableSize::Left},
                                                                 {"Size.Top", TQRPrintableSize::Top},
                                                                 {"Size.Width", TQRPrintableSize::Width}};
    for (const auto& [path, index] : kSize)
        if (sameIdent(Property.path, path)) {
            long double v = 0;
            if (!Loader.number(Property, v, Error)) return false;
            Element.Size()->SetValue(index, v);
            return true;
        }
    static constexpr std::string_view kPixels[] = {"Left", "Top", "Width", "Height"};
    for (size_t i = 0; i < std::size(kPixels); ++i)
        if (sameIdent(Property.path, kPixels[i])) {
            int v = 0;
            if (!Loader.integer(Property, v, Error)) return false;
            int b[4] = {Element.Left(), Element.Top(), Element.Width(), Element.Height()};
            b[i] = v;
            Element.SetBounds(b[0], b[1], b[2], b[3]);
            return true;
        }
    if (sameIdent(Property.path, "Color")) {
        TColor c = 0;
        if (!Loader.color(Property, c, Error)) return false;
        Element.SetColor(c);
        return true;
    }
    Known = false;
    return true;
}

void addReportClasses(TFormLoader& Loader) {
    Loader.addClass(
        "TQuickRep", [](TComponent& owner, TComponent*) { return new TQuickRep(&owner); },
        [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            return readEach<TQuickRep>(c, o, [&](TQuickRep& r, const TFormProperty& p, std::string& err) {
                return readReport(r, p, l, err);
            }, e);
        });
    Loader.addClass(
        "TQRBand",
        [](TComponent& owner, TComponent* parent) -> TComponent* {
            auto* report = dynamic_cast<TQuickRep*>(parent);
            if (report == nullptr) return nullptr;
            auto* b = new TQRBand(&owner);
            b->SetParentReport(report);
            return b;
        },
        [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            return readEach<TQRBand>(c, o, [&](TQRBand& b, const TFormProperty& p, std::string& err) {
                return readBand(b, p, l, err);
            }, e);
        });
    Loader.addClass("TQRLabel", onBand<TQRLabel>, [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
        return readEach<TQRLabel>(c, o, [&](TQRLabel& q, const TFormProperty& p, std::string& err) {
            return readLabel(q, p, l, "TQRLabel", err);
        }, e);
    });
    Loader.addClass("TQRDBText", onBand<TQRDBText>, [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
        return readEach<TQRDBText>(c, o, [&](TQRDBText& q, const TFormProperty& p, std::string& err) {
            return readDBText(q, p, l, err);
        }, e);
    });
    Loader.addClass(
        "TDataSource", [](TComponent& owner, TComponent*) { return new TDataSource(&owner); },
        [](TComponent& c, const TFormObject& o, TFormLoader& l, std::string& e) {
            return readEach<TDataSource>(c, o, [&](TDataSource& s, const TFormProperty& p, std::string& err) {
                return readSource(s, p, l, err);
            }, e);
        });
}

}  // namespace zorvik
