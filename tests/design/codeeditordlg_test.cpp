// The Code properties editor: its form as laid out, the values it shows, and
// the rules its handlers follow while the control redraws behind it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <array>

#include "design/codeeditordlg.h"
#include "platform/forms.h"
#include "design/zorvikreg.h"
#include "tests/design/designsupport.h"

namespace zorvik {
namespace {

using test::assign;
using test::designApp;
using test::onNextModal;
using test::processUntil;

struct Layout {
    const char* name;
    QRect geometry;  // width and height 0: as the label's text needs
    const char* caption;
    bool bold;
};

// Positions, captions and fonts of the dialog's controls.
constexpr std::array<Layout, 17> kLayout{{
    {"OKButton", {160, 184, 97, 25}, "Close Editor", false},
    {"TabbedNotebook1", {0, 0, 395, 173}, "", false},
    {"Label1", {12, 20, 0, 0}, "Symbology :", true},
    {"CTBox", {88, 16, 269, 0}, "", false},
    {"Label2", {28, 56, 0, 0}, "Density :", true},
    {"DensityBox", {88, 52, 93, 0}, "", false},
    {"Label6", {192, 56, 0, 0}, "Direction :", true},
    {"DirectionBox", {256, 52, 101, 0}, "", false},
    {"AutoSizeBox", {40, 96, 81, 17}, "AutoSize :", true},
    {"TransparentBox", {232, 96, 97, 17}, "Transparent :", true},
    {"CtrlCharsBox", {16, 120, 105, 17}, "Control chars :", true},
    {"BorderBox", {264, 120, 65, 17}, "Border :", true},
    {"TextOnBox", {24, 16, 105, 17}, "Text visible :", false},
    {"Label3", {152, 16, 0, 0}, "Text alignment :", false},
    {"TextAlignmentBox", {232, 16, 121, 0}, "", false},
    {"ShowCtrlsCharsBox", {16, 56, 113, 17}, "Show control chars", false},
    {"CaptionLabel", {16, 24, 0, 0}, "Screen data :", true},
}};

TEST(CodeEditorDlg, FormAsLaidOut) {
    designApp();
    TCodeEditorDlg dlg;
    QDialog& f = dlg.form();
    EXPECT_EQ(f.size(), QSize(403, 244));
    EXPECT_EQ(f.windowTitle(), "BarCode Properties Editor");
    for (const Layout& l : kLayout) {
        SCOPED_TRACE(l.name);
        auto* w = f.findChild<QWidget*>(l.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->pos(), l.geometry.topLeft());
        if (l.geometry.width() > 0) {
            EXPECT_EQ(w->width(), l.geometry.width());
        }
        if (l.geometry.height() > 0) {
            EXPECT_EQ(w->height(), l.geometry.height());
        }
        EXPECT_EQ(w->font().bold(), l.bold);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(label->text(), l.caption);
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            EXPECT_EQ(button->text(), l.caption);
        }
        // Check-box captions stand to the left of the box.
        if (qobject_cast<QCheckBox*>(w) != nullptr) {
            EXPECT_EQ(w->layoutDirection(), Qt::RightToLeft);
        }
    }
    const QStringList pages{"Bar Code", "Human Readable", "Data Source"};
    ASSERT_EQ(dlg.TabbedNotebook1->count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dlg.TabbedNotebook1->tabText(i), pages[i]);
    EXPECT_EQ(dlg.TabbedNotebook1->currentIndex(), 2);
    // Controls sit on their pages.
    EXPECT_TRUE(dlg.TabbedNotebook1->widget(0)->isAncestorOf(dlg.CTBox));
    EXPECT_TRUE(dlg.TabbedNotebook1->widget(1)->isAncestorOf(dlg.TextAlignmentBox));
    EXPECT_TRUE(dlg.TabbedNotebook1->widget(2)->isAncestorOf(dlg.TE));

    const std::array<std::pair<QComboBox*, QStringList>, 4> lists{{
        {dlg.CTBox, {"Code 3 of 9", "Code 93", "Code 128", "ITF", "Industrial", "IATA", "Codabar", "EAN 13", "EAN 8",
                     "EAN 13 with 2 AddOn", "EAN 13 with 5 AddOn", "UPC A"}},
        {dlg.DensityBox, {"High", "Medium", "Low"}},
        {dlg.DirectionBox, {"Horizontal", "Vertical"}},
        {dlg.TextAlignmentBox, {"Left", "Bar code density"}},
    }};
    for (const auto& [box, items] : lists) {
        QStringList shown;
        for (int i = 0; i < box->count(); ++i) shown << box->itemText(i);
        EXPECT_EQ(shown, items) << box->objectName().toStdString();
    }

    // Tab order within each page.
    const std::array<std::vector<QWidget*>, 2> orders{{
        {dlg.CTBox, dlg.AutoSizeBox, dlg.BorderBox, dlg.TransparentBox, dlg.DensityBox, dlg.DirectionBox, dlg.CtrlCharsBox},
        {dlg.TextOnBox, dlg.TextAlignmentBox, dlg.ShowCtrlsCharsBox},
    }};
    for (const auto& order : orders)
        for (size_t i = 0; i + 1 < order.size(); ++i) {
            QWidget* next = order[i]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
            EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
        }
}

// A control on a form, shown, whose paints are counted.
struct AppFirst {
    AppFirst() { designApp(); }
};
struct Shown : AppFirst {
    Shown() {
        // A caption message would stop the test in a modal box: report it instead.
        Application().setMessageHandler([](const std::string& Text, const std::string&, int) {
            ADD_FAILURE() << "message: " << Text;
            return IDOK;
        });
        widget.show();
        widget.installEventFilter(&counter);
        test::showSettled(widget);
    }
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    BarcodeWidget widget;
    TCode& code() { return *widget.control().Code(); }
};

TEST(CodeEditorDlg, ShowsTheSettings) {
    Shown s;
    assign(s.widget.control(), {"Code.Symbology=Codabar", "Code.Caption=A123B", "Code.Density=Low", "Code.Direction=Vertical",
                                "Code.Transparent=True", "Code.Border=True", "Code.ShowCtrlsChars=True",
                                "Code.TextOn=True", "Code.TextAlignment=txDensity", "Code.AutoSize=True"});
    TCodeEditorDlg dlg;
    dlg.SetCode(&s.code());
    EXPECT_EQ(dlg.CTBox->currentIndex(), 6);
    EXPECT_EQ(dlg.TE->text(), "A123B");
    EXPECT_EQ(dlg.DensityBox->currentIndex(), 2);
    EXPECT_EQ(dlg.DirectionBox->currentIndex(), 1);
    EXPECT_EQ(dlg.TextAlignmentBox->currentIndex(), 1);
    for (QCheckBox* box : {dlg.AutoSizeBox, dlg.TransparentBox, dlg.BorderBox, dlg.CtrlCharsBox, dlg.ShowCtrlsCharsBox, dlg.TextOnBox})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    // Transparent: the border box is off limits, the border setting kept.
    EXPECT_FALSE(dlg.BorderBox->isEnabled());
}

TEST(CodeEditorDlg, HandlerRules) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        std::function<void(TCodeEditorDlg&)> act;
        std::function<void(TCodeEditorDlg&, const TCode&)> check;
    };
    const std::vector<Case> cases{
        {"UPC A by its list index", {"Code.Symbology=Code_39", "Code.Caption=03600029145"},
         [](TCodeEditorDlg& d) { d.CTBox->setCurrentIndex(11); emit d.CTBox->activated(11); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_EQ(c.Symbology(), TBarCodeType::UPC_A);
             EXPECT_EQ(ord(c.Symbology()), 11);
             EXPECT_EQ(d.CTBox->currentText(), "UPC A");
         }},
        {"Left on EAN 13 keeps txDensity", {"Code.Symbology=EAN_13", "Code.Caption=400638133393", "Code.TextAlignment=txDensity"},
         [](TCodeEditorDlg& d) { d.TextAlignmentBox->setCurrentIndex(0); emit d.TextAlignmentBox->activated(0); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_EQ(c.TextAlignment(), TAlignment::txDensity);
             EXPECT_EQ(d.TextAlignmentBox->currentText(), "Left");
         }},
        {"Codabar keeps its check character", {"Code.Symbology=Codabar", "Code.Caption=A40156B"},
         [](TCodeEditorDlg& d) { d.CtrlCharsBox->click(); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_TRUE(c.ControlChars());
             EXPECT_FALSE(d.CtrlCharsBox->isChecked());
         }},
        {"Code 39 may go without", {"Code.Symbology=Code_39", "Code.ControlChars=True", "Code.Caption=ABC"},
         [](TCodeEditorDlg& d) { d.CtrlCharsBox->click(); },
         [](TCodeEditorDlg&, const TCode& c) { EXPECT_FALSE(c.ControlChars()); }},
        {"Transparent disables Border, keeps it", {"Code.Symbology=Code_39", "Code.Border=True", "Code.Caption=ABC"},
         [](TCodeEditorDlg& d) { d.TransparentBox->click(); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_TRUE(c.Transparent());
             EXPECT_TRUE(c.Border());
             EXPECT_FALSE(d.BorderBox->isEnabled());
             EXPECT_TRUE(d.BorderBox->isChecked());
             d.TransparentBox->click();
             EXPECT_FALSE(c.Transparent());
             EXPECT_TRUE(c.Border());
             EXPECT_TRUE(d.BorderBox->isEnabled());
         }},
        {"An empty caption is ignored", {"Code.Symbology=Code_39", "Code.Caption=ABC"},
         [](TCodeEditorDlg& d) { d.TE->clear(); d.TEExit(); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_EQ(c.Caption(), "ABC");
             EXPECT_EQ(d.TE->text(), "");
         }},
        {"A typed caption is taken when leaving", {"Code.Symbology=Code_39", "Code.Caption=ABC"},
         [](TCodeEditorDlg& d) { d.TE->setText("XYZ"); emit d.TE->editingFinished(); },
         [](TCodeEditorDlg&, const TCode& c) { EXPECT_EQ(c.Caption(), "XYZ"); }},
        {"Close Editor takes a typed caption", {"Code.Symbology=Code_39", "Code.Caption=ABC"},
         [](TCodeEditorDlg& d) { d.TE->setText("Q1"); d.OKButtonClick(); },
         [](TCodeEditorDlg& d, const TCode& c) {
             EXPECT_EQ(c.Caption(), "Q1");
             EXPECT_EQ(d.form().result(), QDialog::Accepted);
         }},
        {"Density, direction, text on", {"Code.Symbology=Code_39", "Code.Caption=ABC", "Code.TextOn=False", "Code.AutoSize=True", "Code.ShowCtrlsChars=False", "Code.Density=High", "Code.Direction=Horizontal"},
         [](TCodeEditorDlg& d) {
             d.DensityBox->setCurrentIndex(1); emit d.DensityBox->activated(1);
             d.DirectionBox->setCurrentIndex(1); emit d.DirectionBox->activated(1);
             d.TextOnBox->click();
             d.ShowCtrlsCharsBox->click();
         },
         [](TCodeEditorDlg&, const TCode& c) {
             EXPECT_EQ(c.Density(), TDensity::Medium);
             EXPECT_EQ(c.Direction(), TDirection::Vertical);
             EXPECT_TRUE(c.TextOn());
             EXPECT_TRUE(c.ShowCtrlsChars());
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Shown s;
        assign(s.widget.control(), k.before);
        processUntil([&] { return false; }, 5);
        TCodeEditorDlg dlg;
        dlg.SetCode(&s.code());
        dlg.form().show();
        const int paints = s.counter.paints;
        k.act(dlg);
        k.check(dlg, s.code());
        // The control on the form redraws while the dialog is still open.
        if (std::string(k.name) == "UPC A by its list index") {
            processUntil([&] { return s.counter.paints > paints; });
            EXPECT_GT(s.counter.paints, paints);
            EXPECT_TRUE(dlg.form().isVisible());
        }
    }
}

TEST(CodeEditorDlg, OpenedByTheVerbAtTheTopLeftOnDataSource) {
    designApp();
    loadZorvikPackage();
    BarcodeWidget widget;
    assign(widget.control(), {"Code.Symbology=Code_39", "Code.Caption=ABC"});
    TComponentEditorClass make = FindComponentEditor("TZorvik");
    ASSERT_NE(make, nullptr);
    const auto editor = make(widget.control(), "TZorvik", nullptr);
    ASSERT_EQ(editor->GetVerbCount(), 1);
    EXPECT_EQ(editor->GetVerb(0), "Edit Code Properties");
    EXPECT_EQ(editor->GetVerb(1), "");
    QPoint at(-1, -1);
    QString page, caption;
    onNextModal([&](QWidget& modal) {
        at = modal.pos();
        page = modal.findChild<QTabWidget*>("TabbedNotebook1")->tabText(modal.findChild<QTabWidget*>("TabbedNotebook1")->currentIndex());
        caption = modal.findChild<QLineEdit*>("TE")->text();
        modal.findChild<QComboBox*>("CTBox")->setCurrentIndex(1);
        emit modal.findChild<QComboBox*>("CTBox")->activated(1);
        modal.findChild<QPushButton*>("OKButton")->click();
    });
    editor->ExecuteVerb(0);
    EXPECT_EQ(at, QPoint(0, 0));
    EXPECT_EQ(page, "Data Source");
    EXPECT_EQ(caption, "ABC");
    // The same settings object, changed in place.
    EXPECT_EQ(widget.control().Code()->Symbology(), TBarCodeType::Code_93);
    // Any other verb does nothing.
    editor->ExecuteVerb(1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(FontPropertyFont, OffersScalableFontsOnly) {
    designApp();
    QFontDialog::FontDialogOptions options;
    onNextModal([&](QWidget& modal) {
        if (auto* d = qobject_cast<QFontDialog*>(&modal)) {
            options = d->options();
            d->reject();
        }
    });
    QFont font("Liberation Sans", 12);
    EXPECT_FALSE(TFontPropertyFont::Edit(font, nullptr));
    EXPECT_EQ(options, QFontDialog::FontDialogOptions(QFontDialog::ScalableFonts));
}

}  // namespace
}  // namespace zorvik
