// Makes the pictures of the README's Designer section: Designer's widget box
// filtered on the package's classes, and the properties editor opened by the
// barcode's edit action on a form. Runs on Qt's offscreen platform:
//   cmake --build build --target zorvik_design_screenshots
//   QT_QPA_PLATFORM=offscreen build/bin/zorvik-design-screenshots build/plugins docs/design
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QExtensionManager>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPluginLoader>
#include <QTimer>
#include <QTabWidget>
#include <cstdio>
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zorvik-design-screenshots PLUGIN_FOLDER OUTPUT_FOLDER\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setFont(QFont("DejaVu Sans", 9));
    QCoreApplication::addLibraryPath(argv[1]);
    QMainWindow main;
    auto* core = QDesignerComponents::createFormEditor(nullptr);
    core->setTopLevel(&main);
    QDesignerComponents::initializeResources();
    QDesignerComponents::initializePlugins(core);
    auto* wb = QDesignerComponents::createWidgetBox(core, nullptr);
    core->setWidgetBox(wb);
    core->setPropertyEditor(QDesignerComponents::createPropertyEditor(core, nullptr));
    auto* integration = new QDesignerIntegration(core, nullptr);
    core->setIntegration(integration);
    QPluginLoader loader(QString(argv[1]) + "/designer/libzorvikdesigner.so");
    for (auto* w : qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance())->customWidgets())
        if (!w->isInitialized()) w->initialize(core);
    wb->setFileName(":/qt-project.org/widgetbox/widgetbox.xml");
    wb->load();
    for (QLineEdit* e : wb->findChildren<QLineEdit*>()) e->setText("zorvik");
    wb->resize(260, 250);
    wb->show();
    for (int i = 0; i < 20; ++i) app.processEvents();
    wb->grab().save(QString(argv[2]) + "/designer-widget-box.png");

    auto* form = core->formWindowManager()->createFormWindow(&main);
    form->setContents(QStringLiteral(
        "<ui version=\"4.0\"><class>Form</class><widget class=\"QWidget\" name=\"Form\">"
        "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>300</width><height>160</height></rect></property>"
        "<widget class=\"zorvik::BarcodeWidget\" name=\"Zorvik1\">"
        "<property name=\"CodeSymbology\"><enum>zorvik::BarcodeWidget::EAN_13</enum></property>"
        "<property name=\"CodeCaption\"><string>400638133393</string></property>"
        "<property name=\"CodeTextOn\"><bool>true</bool></property>"
        "</widget></widget></ui>"));
    main.setCentralWidget(form);
    core->formWindowManager()->setActiveFormWindow(form);
    main.resize(320, 180);
    main.show();
    for (int i = 0; i < 20; ++i) app.processEvents();
    QWidget* bc = form->mainContainer()->findChild<QWidget*>("Zorvik1");
    auto* menu = qt_extension<QDesignerTaskMenuExtension*>(core->extensionManager(), bc);
    QTimer::singleShot(300, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* tabs = modal->findChild<QTabWidget*>("TabbedNotebook1");
        tabs->setCurrentIndex(0);
        for (int i = 0; i < 10; ++i) app.processEvents();
        modal->grab().save(QString(argv[2]) + "/code-properties-editor.png");
        modal->close();
    });
    menu->preferredEditAction()->trigger();
    return 0;
}
