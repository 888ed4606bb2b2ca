// The Qt Designer plugin collection as Designer meets it: loaded as a plugin,
// inside Designer's own core with a form window, and by the designer program.
// The test links no Zorvik code: everything comes through the plugin.
#include <gtest/gtest.h>

#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QExtensionManager>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QPluginLoader>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>

#include <array>
#include <cstdlib>

namespace {

const QString kPlugin = QStringLiteral(ZORVIK_BINARY_DIR "/plugins/designer/libzorvikdesigner.so");

QApplication& app() {
    static QApplication* a = [] {
        static QTemporaryDir home;
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "zorvik-design-test";
        static char* argv[] = {name, nullptr};
        auto* created = new QApplication(argc, argv);
        // Designer looks for plugins in <library path>/designer.
        QCoreApplication::addLibraryPath(QStringLiteral(ZORVIK_BINARY_DIR "/plugins"));
        return created;
    }();
    return *a;
}

QDesignerCustomWidgetCollectionInterface* collection() {
    app();
    static QPluginLoader loader(kPlugin);
    loader.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (!loader.load()) ADD_FAILURE() << loader.errorString().toStdString();
    return qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
}

struct Entry {
    const char* name;
    const char* group;
    int iconSize;  // 0: Designer's default image
};

// The registered classes, their widget-box groups and palette images.
constexpr std::array<Entry, 3> kEntries{{
    {"zorvik::WindowsListWidget", "Samples", 0},
    {"zorvik::BarcodeWidget", "Data Controls", 24},
    {"zorvik::ReportBarcodeWidget", "QReport", 24},
}};

TEST(DesignerPlugin, LoadsWithEverySymbolResolved) {
    QDesignerCustomWidgetCollectionInterface* c = collection();
    ASSERT_NE(c, nullptr);
    const auto widgets = c->customWidgets();
    ASSERT_EQ(widgets.size(), int(kEntries.size()));
    for (size_t i = 0; i < kEntries.size(); ++i) {
        const Entry& e = kEntries[i];
        QDesignerCustomWidgetInterface* w = widgets[int(i)];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(w->name(), e.name);
        EXPECT_EQ(w->group(), e.group);
        EXPECT_TRUE(w->domXml().contains(QStringLiteral("class=\"%1\"").arg(e.name)));
        if (e.iconSize == 0) {
            EXPECT_TRUE(w->icon().isNull());
            continue;
        }
        ASSERT_FALSE(w->icon().isNull());
        const QImage image = w->icon().pixmap(QSize(e.iconSize, e.iconSize)).toImage();
        EXPECT_EQ(image.size(), QSize(e.iconSize, e.iconSize));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
        EXPECT_LE(colours.size(), 16);
    }
}

// Designer's own core with a form that holds one barcode.
struct AppFirst {
    AppFirst() { app(); }
};
struct Designer : AppFirst {
    Designer() {
        core = QDesignerComponents::createFormEditor(nullptr);
        // Designer's main window: form windows and dialogs belong to it.
        core->setTopLevel(&main);
        QDesignerComponents::initializeResources();
        QDesignerComponents::initializePlugins(core);
        core->setWidgetBox(QDesignerComponents::createWidgetBox(core, nullptr));
        core->setPropertyEditor(QDesignerComponents::createPropertyEditor(core, nullptr));
        core->setObjectInspector(QDesignerComponents::createObjectInspector(core, nullptr));
        integration = new QDesignerIntegration(core, nullptr);
        core->setIntegration(integration);
        // As Designer does before it makes a custom widget.
        for (QDesignerCustomWidgetInterface* w : collection()->customWidgets())
            if (!w->isInitialized()) w->initialize(core);
        form = core->formWindowManager()->createFormWindow(&main);
        main.setCentralWidget(form);
        form->setContents(QStringLiteral(
            "<ui version=\"4.0\"><class>Form</class><widget class=\"QWidget\" name=\"Form\">"
            "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property>"
            "<widget class=\"zorvik::BarcodeWidget\" name=\"Zorvik1\"><property name=\"CodeCaption\"><string>03600029145</string>"
            "</property></widget></widget></ui>"));
        core->formWindowManager()->setActiveFormWindow(form);
        main.resize(500, 400);
        main.show();
        QApplication::processEvents();
        barcode = form->mainContainer()->findChild<QWidget*>("Zorvik1");
    }
    QMainWindow main;
    QDesignerFormEditorInterface* core = nullptr;
    QDesignerIntegration* integration = nullptr;
    QDesignerFormWindowInterface* form = nullptr;
    QWidget* barcode = nullptr;
};

TEST(DesignerPlugin, PropertyEditorGroupsTheCodeSettings) {
    Designer d;
    ASSERT_NE(d.barcode, nullptr);
    EXPECT_STREQ(d.barcode->metaObject()->className(), "zorvik::BarcodeWidget");
    auto* sheet = qt_extension<QDesignerPropertySheetExtension*>(d.core->extensionManager(), d.barcode);
    ASSERT_NE(sheet, nullptr);
    for (const char* p : {"CodeSymbology", "CodeCaption", "CodeAutoSize", "CodeTextAutosize", "CodeDensity", "CodeBorder",
                          "CodeDirection", "CodeTransparent", "CodeControlChars", "CodeShowCtrlsChars", "CodeTextOn",
                          "CodeTextAlignment"})
        EXPECT_EQ(sheet->propertyGroup(sheet->indexOf(p)), "Code") << p;
    for (const char* p : {"BackColor", "FontName", "objectName"})
        EXPECT_NE(sheet->propertyGroup(sheet->indexOf(p)), "Code") << p;
    EXPECT_FALSE(sheet->isVisible(sheet->indexOf("designMode")));

    // The property editor shows the group.
    d.core->propertyEditor()->setObject(d.barcode);
    QApplication::processEvents();
    QStringList groups;
    for (QTreeWidget* tree : d.core->propertyEditor()->findChildren<QTreeWidget*>())
        for (int i = 0; i < tree->topLevelItemCount(); ++i) groups << tree->topLevelItem(i)->text(0);
    EXPECT_TRUE(groups.contains("Code")) << groups.join(", ").toStdString();
}

TEST(DesignerPlugin, OneVerbAlsoOnDoubleClickAsOneUndoStep) {
    Designer d;
    ASSERT_NE(d.barcode, nullptr);
    auto* menu = qt_extension<QDesignerTaskMenuExtension*>(d.core->extensionManager(), d.barcode);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->taskActions().size(), 1);
    EXPECT_EQ(menu->taskActions().first()->text(), "Edit Code Properties");
    EXPECT_EQ(menu->preferredEditAction(), menu->taskActions().first());

    const int symbology = d.barcode->property("CodeSymbology").toInt();
    ASSERT_NE(symbology, 11);
    QUndoStack* history = d.form->commandHistory();
    const int steps = history->count();
    d.form->setDirty(false);
    bool opened = false;
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal->windowTitle() != "BarCode Properties Editor") return;
        timer->stop();
        opened = true;
        auto* types = modal->findChild<QComboBox*>("CTBox");
        types->setCurrentIndex(11);
        emit types->activated(11);
        // The control on the form follows while the dialog is open.
        EXPECT_EQ(d.barcode->property("CodeSymbology").toInt(), 11);
        modal->findChild<QLineEdit*>("TE")->setText("04210000526");
        modal->findChild<QPushButton*>("OKButton")->click();
    });
    timer->start(20);
    bool activated = false;
    QObject::connect(d.form, &QDesignerFormWindowInterface::activated, [&] { activated = true; });
    // Selected first, as a user's double-click on a form starts with a click.
    QTest::mouseClick(d.barcode, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(d.barcode, Qt::LeftButton, {}, QPoint(5, 5));
    for (int i = 0; i < 20 && !opened; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(activated);
    delete timer;
    ASSERT_TRUE(opened);

    EXPECT_EQ(d.barcode->property("CodeSymbology").toInt(), 11);
    EXPECT_EQ(d.barcode->property("CodeCaption").toString(), "04210000526");
    EXPECT_EQ(history->count(), steps + 1);
    EXPECT_TRUE(d.form->isDirty());
    const QString ui = d.form->contents();
    EXPECT_TRUE(ui.contains("zorvik::BarcodeWidget::UPC_A")) << ui.toStdString();
    EXPECT_TRUE(ui.contains("<string>04210000526</string>")) << ui.toStdString();

    history->undo();
    EXPECT_EQ(d.barcode->property("CodeSymbology").toInt(), symbology);
    EXPECT_EQ(d.barcode->property("CodeCaption").toString(), "03600029145");

    // Opened and closed without a change: no step, the form unchanged.
    d.form->setDirty(false);
    const int before = history->index();
    ASSERT_TRUE(history->canRedo());
    QTimer::singleShot(50, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->findChild<QPushButton*>("OKButton")->click();
    });
    menu->taskActions().first()->trigger();
    EXPECT_EQ(history->index(), before);
    EXPECT_TRUE(history->canRedo());  // a new step would have dropped the undone one
    EXPECT_FALSE(d.form->isDirty());
}

// The designer program itself, as users start it, finds and loads the collection.
TEST(DesignerPlugin, DesignerProgramLoadsItQuietly) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_DEBUG_PLUGINS", "1");
    env.insert("QT_PLUGIN_PATH", ZORVIK_BINARY_DIR "/plugins");
    QProcess designer;
    designer.setProcessEnvironment(env);
    designer.setProcessChannelMode(QProcess::MergedChannels);
    // Designer runs until stopped; long enough to load every plugin on a busy machine.
    designer.start("timeout", {"20", ZORVIK_DESIGNER_PROGRAM});
    ASSERT_TRUE(designer.waitForFinished(60000));
    const QString out = QString::fromLocal8Bit(designer.readAll());
    EXPECT_EQ(designer.exitCode(), 124) << "designer ended before it was stopped:\n" << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("\"%1\" loaded library").arg(kPlugin))) << out.toStdString();
    for (const QString& line : out.split('\n'))
        EXPECT_FALSE(line.contains("Designer:")) << line.toStdString();
}

// cmake --install puts the collection into Qt's designer plugin folder.
TEST(DesignerPlugin, InstallsIntoDesignersPluginFolder) {
    QTemporaryDir root;
    QProcess install;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DESTDIR", root.path());
    install.setProcessEnvironment(env);
    install.start("cmake", {"--install", ZORVIK_BINARY_DIR, "--component", "designer"});
    ASSERT_TRUE(install.waitForFinished(60000));
    EXPECT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo(root.path() + ZORVIK_DESIGNER_PLUGIN_DIR "/libzorvikdesigner.so").isFile());
}

}  // namespace
