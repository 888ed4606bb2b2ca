// The barcode widget: its Qt properties against the property table, the
// pixels it shows against the command's, repaints, messages, design mode and
// the data link.
#include <gtest/gtest.h>

#include <QDataWidgetMapper>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include "control/symbology.h"
#include "platform/qt/modeldataset.h"
#include "tests/support/support.h"
#include "tests/platform/qt/qtsupport.h"

namespace zorvik {
namespace {

using test::assign;
using test::processUntil;
using test::qtApp;
using test::showSettled;

QByteArray qtName(std::string_view path) {
    QByteArray name;
    for (char c : path)
        if (c != '.') name += c;
    return name;
}

TEST(BarcodeWidget, EveryPublishedPropertyIsAQtPropertyOfItsType) {
    qtApp();
    BarcodeWidget w;
    const QMetaObject* meta = w.metaObject();
    int published = 0;
    for (const PublishedProperty& p : zorvikProperties()) {
        if (p.type == PropertyType::Event) continue;
        ++published;
        SCOPED_TRACE(std::string(p.path));
        const int index = meta->indexOfProperty(qtName(p.path).constData());
        ASSERT_GE(index, meta->propertyOffset());
        const QMetaProperty q = meta->property(index);
        EXPECT_TRUE(q.isReadable() && q.isWritable());
        EXPECT_TRUE(q.hasNotifySignal());
        switch (p.type) {
            case PropertyType::Enumeration: {
                ASSERT_TRUE(q.isEnumType() && !q.isFlagType());
                const QMetaEnum e = q.enumerator();
                ASSERT_EQ(static_cast<size_t>(e.keyCount()), p.idents.size());
                for (int k = 0; k < e.keyCount(); ++k) {
                    EXPECT_EQ(std::string_view(e.key(k)), p.idents[static_cast<size_t>(k)]);
                    EXPECT_EQ(e.value(k), k);
                }
                // Written by the last identifier, read back through the table.
                ASSERT_TRUE(w.setProperty(q.name(), e.key(e.keyCount() - 1)));
                EXPECT_EQ(p.format(w.control()), std::string(p.idents.back()));
                break;
            }
            case PropertyType::Boolean: EXPECT_EQ(q.metaType().id(), QMetaType::Bool); break;
            case PropertyType::Color: EXPECT_EQ(q.metaType().id(), QMetaType::QColor); break;
            case PropertyType::String:
            case PropertyType::Reference: EXPECT_EQ(q.metaType().id(), QMetaType::QString); break;
            case PropertyType::FontStyles: EXPECT_TRUE(q.isFlagType()); break;
            default: EXPECT_EQ(q.metaType().id(), QMetaType::Int); break;
        }
    }
    // The mouse events are signals of their own names; the drag events and
    // the settings' OnChange (propertiesChanged) are kept by form files only.
    for (const char* event : {"OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"}) {
        bool found = false;
        for (int m = meta->methodOffset(); m < meta->methodCount(); ++m)
            found |= meta->method(m).methodType() == QMetaMethod::Signal && meta->method(m).name() == event;
        EXPECT_TRUE(found) << event;
    }
    // Nothing published beside the table but the design-mode switch.
    EXPECT_EQ(meta->propertyCount() - meta->propertyOffset(), published + 1);
    EXPECT_EQ(QByteArray(meta->userProperty().name()), "CodeCaption");
}

// The widget shows, pixel for pixel, what the command writes at scale 1.
TEST(BarcodeWidget, ShowsTheCommandsPixels) {
    qtApp();
    const std::vector<std::vector<std::string>> table{
        {},
        {"Code.Symbology=Code_39", "Code.Caption=ZORVIK-39", "Code.Border=True"},
        {"Code.Symbology=EAN_13", "Code.Caption=400638133393"},
        {"Code.Symbology=EAN_13", "Code.Caption=400638133393", "Code.Direction=Vertical"},
        {"Code.Symbology=Code_128", "Code.Caption=Qt 6 host", "Code.Density=Medium", "Font.Style=[fsBold]"},
        {"Code.Symbology=UPC_A", "Code.Caption=03600029145", "Code.TextOn=False"},
        {"Code.Symbology=ITF", "Code.Caption=1234567890", "Code.AutoSize=False", "Width=300", "Height=80"},
        {"Code.Symbology=Code_93", "Code.Caption=TEXT", "BackColor=clYellow", "BarColor=clNavy", "Font.Color=clRed",
         "Code.TextAutosize=True"},
        {"Code.Symbology=EAN_13_5AddOn", "Code.Caption=97802013796242499", "Code.TextAlignment=txDensity"},
    };
    const std::string dir = test::scratchDir("qt-pixels");
    for (size_t row = 0; row < table.size(); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        BarcodeWidget w;
        assign(w.control(), table[row]);
        showSettled(w);
        const QImage shown = w.grab().toImage();

        std::string args;
        for (const std::string& a : table[row]) args += "'" + a + "' ";
        const std::string png = dir + "/row" + std::to_string(row) + ".png";
        std::string err;
        ASSERT_EQ(test::zorvik("render " + args + "-o '" + png + "'", dir, &err), 0) << err;
        test::PngImage expected;
        ASSERT_TRUE(test::readPng(png, expected));
        ASSERT_EQ(shown.width(), expected.width);
        ASSERT_EQ(shown.height(), expected.height);
        int differing = 0;
        for (int y = 0; y < expected.height; ++y)
            for (int x = 0; x < expected.width; ++x) {
                const uint32_t e = expected.at(x, y);  // $AABBGGRR
                const QRgb s = shown.pixel(x, y);
                ASSERT_EQ(e >> 24, 255u) << "at " << x << "," << y;
                if (qRed(s) != static_cast<int>(e & 0xFF) || qGreen(s) != static_cast<int>((e >> 8) & 0xFF) ||
                    qBlue(s) != static_cast<int>((e >> 16) & 0xFF))
                    ++differing;
            }
        EXPECT_EQ(differing, 0);
    }
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int count = 0;
    explicit PaintCounter(QWidget& w) { w.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        count += e->type() == QEvent::Paint;
        return false;
    }
};

// A property set through Qt repaints the widget and tells of itself once.
TEST(BarcodeWidget, PropertiesRepaintAndNotify) {
    qtApp();
    struct Case {
        const char* property;
        QVariant value;
    };
    const std::vector<Case> table{
        {"BarColor", QColor(Qt::red)},
        {"BackColor", QColor(Qt::yellow)},
        {"FontColor", QColor(Qt::blue)},
        {"FontHeight", -16},
        {"CodeCaption", QString("654321")},
        {"CodeBorder", true},
        {"CodeSymbology", QVariant::fromValue(BarcodeWidget::Code_128)},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.property);
        BarcodeWidget w;
        showSettled(w);
        const QImage before = w.grab().toImage();
        const QMetaProperty q = w.metaObject()->property(w.metaObject()->indexOfProperty(c.property));
        QSignalSpy notified(&w, q.notifySignal());
        PaintCounter paints(w);
        ASSERT_TRUE(w.setProperty(c.property, c.value));
        EXPECT_EQ(notified.count(), 1);
        // The change asked for a paint by itself; what it paints is new.
        EXPECT_TRUE(processUntil([&] { return paints.count > 0; }));
        EXPECT_NE(w.grab().toImage(), before);
    }
}

// Closes the next message box and records what it showed.
struct BoxWatcher {
    std::vector<QString> titles, texts;
    bool paintingWhenShown = false;
    QTimer timer;
    explicit BoxWatcher(BarcodeWidget& w) {
        QObject::connect(&timer, &QTimer::timeout, [this, &w] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles.push_back(box->windowTitle());
                texts.push_back(box->text());
                paintingWhenShown = paintingWhenShown || w.isPainting();
                box->accept();
            }
        });
        timer.start(5);
    }
};

TEST(BarcodeWidget, ShowsAMessageOnceAfterThePaint) {
    qtApp();
    BarcodeWidget w;
    BoxWatcher watcher(w);
    bool raisedWhilePainting = false;
    QObject::connect(&w, &BarcodeWidget::messageRaised, [&] { raisedWhilePainting |= w.isPainting(); });
    assign(w.control(), {"Code.Symbology=EAN_13", "Code.Caption=12345"});
    showSettled(w);
    processUntil([&] { return !watcher.texts.empty(); });
    // Exposures and repaints of the same settings say nothing new.
    for (int i = 0; i < 3; ++i) {
        w.repaint();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_EQ(watcher.texts.size(), 1u);
    EXPECT_EQ(watcher.texts[0], "EAN-13 should be 12 numeric chars");
    EXPECT_EQ(watcher.titles[0], "Message Box");
    // New settings with the same fault: said again.
    w.setCodeCaption("123");
    processUntil([&] { return watcher.texts.size() == 2; });
    EXPECT_EQ(watcher.texts.size(), 2u);
    EXPECT_FALSE(raisedWhilePainting);
    EXPECT_FALSE(watcher.paintingWhenShown);
}

TEST(BarcodeWidget, RaisesTheControlsMouseEvents) {
    qtApp();
    BarcodeWidget w;
    showSettled(w);
    QSignalSpy click(&w, &BarcodeWidget::OnClick), dbl(&w, &BarcodeWidget::OnDblClick),
        down(&w, &BarcodeWidget::OnMouseDown), up(&w, &BarcodeWidget::OnMouseUp);
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(10, 5));
    QTest::mouseDClick(&w, Qt::LeftButton, {}, QPoint(12, 7));
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(down.count(), 3);
    EXPECT_EQ(up.count(), 2);
    EXPECT_EQ(down.at(0), (QList<QVariant>{int(Qt::LeftButton), 10, 5}));
    EXPECT_EQ(up.at(1), (QList<QVariant>{int(Qt::RightButton), 10, 5}));
}

int inkPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qGray(image.pixel(x, y)) < 64;
    return n;
}

TEST(BarcodeWidget, AnInvisibleControlDrawsOnlyInDesignMode) {
    qtApp();
    for (bool design : {false, true}) {
        SCOPED_TRACE(design);
        QWidget form;
        QPalette white = form.palette();
        white.setColor(QPalette::Window, Qt::white);
        form.setPalette(white);
        form.setAutoFillBackground(true);
        form.resize(300, 100);
        auto* w = new BarcodeWidget(&form);
        w->setDesignMode(design);
        w->setControlVisible(false);
        form.show();
        processUntil([&] { return false; }, 20);
        EXPECT_EQ(inkPixels(form.grab().toImage()) > 0, design);
    }
}

TEST(BarcodeWidget, CaptionFollowsTheCurrentRow) {
    qtApp();
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"name", "ean"});
    for (const char* ean : {"400638133393", "590123412345", "978020137962"})
        model.appendRow({new QStandardItem("item"), new QStandardItem(ean)});

    // Through the host framework's data link.
    TModelDataSet data(&model);
    TDataSource source(nullptr);
    source.SetDataSet(&data);
    QItemSelectionModel selection(&model);
    data.follow(&selection);
    BarcodeWidget w;
    w.setCodeSymbology(BarcodeWidget::EAN_13);
    w.setDataSourceObject(&source);
    w.setDataField("ean");
    ASSERT_TRUE(data.Open());
    EXPECT_EQ(w.CodeCaption(), "400638133393");
    QSignalSpy captionChanged(&w, &BarcodeWidget::CodeCaptionChanged);
    selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(w.CodeCaption(), "978020137962");
    EXPECT_EQ(captionChanged.count(), 1);
    model.setData(model.index(2, 1), "590123412345");
    EXPECT_EQ(w.CodeCaption(), "590123412345");

    // Through Qt's mapper, by the widget's user property.
    BarcodeWidget mapped;
    QDataWidgetMapper mapper;
    mapper.setModel(&model);
    mapper.addMapping(&mapped, 1);
    mapper.setCurrentIndex(1);
    EXPECT_EQ(mapped.CodeCaption(), "590123412345");
}

}  // namespace
}  // namespace zorvik
