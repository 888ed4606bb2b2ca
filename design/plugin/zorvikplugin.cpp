#include "design/plugin/zorvikplugin.h"

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>

#include <array>

#include "design/componentwidgets.h"
#include "design/plugin/codeextensions.h"
#include "design/zorvikreg.h"
#include "platform/designintf.h"
#include "platform/qt/barcodewidget.h"

static void initDesignResources() { Q_INIT_RESOURCE(design); }

namespace zorvik {

namespace {

QWidget* createBarcode(QWidget* Parent, bool Designing) {
    auto* w = new BarcodeWidget(Parent);
    // Inside the designer an unbound control shows a sample and an invisible one still draws.
    w->setDesignMode(Designing);
    return w;
}

QWidget* createReportBarcode(QWidget* Parent, bool) { return new ReportBarcodeWidget(Parent); }
QWidget* createWindowsList(QWidget* Parent, bool) { return new WindowsListWidget(Parent); }

// The widgets that stand for the registered classes; the palette bitmaps are
// named after the class in upper case.
constexpr std::array<DesignerClass, 3> kDesignerClasses{{
    {"TZorvik", "zorvik::BarcodeWidget", "platform/qt/barcodewidget.h", ":/zorvik/design/TZORVIK",
     "TZorvik: a one-dimensional barcode", "Zorvik1", &createBarcode},
    {"TQR2Zorvik", "zorvik::ReportBarcodeWidget", "design/componentwidgets.h", ":/zorvik/design/TQR2ZORVIK",
     "TQR2Zorvik: a barcode control's symbol on a report band", "QR2Zorvik1", &createReportBarcode},
    {"TWindowsList", "zorvik::WindowsListWidget", "design/componentwidgets.h", "",
     "TWindowsList: the desktop's top-level windows by title", "WindowsList1", &createWindowsList},
}};
static_assert(kDesignerClasses.size() == 3);

}  // namespace

ZorvikWidgetInterface::ZorvikWidgetInterface(const DesignerClass& Class, QString Group, QObject* Parent)
    : QObject(Parent), m_class(Class), m_group(std::move(Group)) {
    if (*m_class.icon != '\0') m_icon = QIcon(QPixmap(QString::fromLatin1(m_class.icon)));
}

void ZorvikWidgetInterface::initialize(QDesignerFormEditorInterface* Core) {
    if (m_core != nullptr) return;
    m_core = Core;
    if (qstrcmp(m_class.componentClass, "TZorvik") == 0) installCodeExtensions(Core);
}

QString ZorvikWidgetInterface::domXml() const {
    return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\"/></ui>")
        .arg(name(), QString::fromLatin1(m_class.objectName));
}

ZorvikDesignerCollection::ZorvikDesignerCollection(QObject* Parent) : QObject(Parent) {
    initDesignResources();
    loadZorvikPackage();
    for (const TPaletteEntry& entry : RegisteredComponents())
        for (const DesignerClass& c : kDesignerClasses)
            if (entry.className == c.componentClass)
                m_widgets.append(new ZorvikWidgetInterface(c, QString::fromStdString(entry.page), this));
}

}  // namespace zorvik
