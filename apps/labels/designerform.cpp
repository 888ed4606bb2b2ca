#include "apps/labels/designerform.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaProperty>
#include <QUiLoader>
#include <QWidget>

#include <memory>

#include "control/published.h"
#include "platform/qt/barcodewidget.h"

namespace zorvik::labels {

namespace {


}  // namespace

bool loadDesignerForm(const QString& Path, const QString& Name, BarcodeWidget& Target, QString& ObjectName,
                      QString& Error) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        Error = QStringLiteral("cannot open form '%1': %2").arg(Path, file.errorString());
        return false;
    }
    QUiLoader loader;
    // The plugin beside a build of the application; an installed one sits in
    // Qt's designer plugin folder, which the loader searches anyway.
    loader.addPluginPath(QCoreApplication::applicationDirPath() + "/../plugins/designer");
    const std::unique_ptr<QWidget> form(loader.load(&file));
    if (form == nullptr) {
        Error = QStringLiteral("cannot read form '%1': %2").arg(Path, loader.errorString());
        return false;
    }
    // The form's barcode comes from the plugin's own copy of the widget
    // class, so it is found by class name and read through its properties.
    QWidget* source = nullptr;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (qstrcmp(w->metaObject()->className(), "zorvik::BarcodeWidget") != 0) continue;
        if (!Name.isEmpty() && w->objectName().compare(Name, Qt::CaseInsensitive) != 0) continue;
        source = w;
        break;
    }
    if (source == nullptr) {
        Error = Name.isEmpty() ? QStringLiteral("form '%1' holds no barcode (is the Zorvik Designer plugin installed?)").arg(Path)
                               : QStringLiteral("form '%1' holds no barcode called '%2'").arg(Path, Name);
        return false;
    }
    for (const PublishedProperty& p : zorvikProperties()) {
        if (p.type == PropertyType::Event || p.type == PropertyType::Reference) continue;
        const QByteArray name = qtPropertyName(p.path);
        QVariant value = source->property(name.constData());
        if (!value.isValid()) continue;
        // Enumerations and flags pass by number: the two classes' enum types differ.
        if (value.metaType().flags().testFlag(QMetaType::IsEnumeration) || p.type == PropertyType::FontStyles)
            value = value.toInt();
        Target.setProperty(name.constData(), value);
    }
    ObjectName = source->objectName();
    return true;
}

}  // namespace zorvik::labels
