// The Qt Designer plugin collection: one widget-box entry per component the
// package registers, on the group named by its palette page, with the
// extensions that edit the barcode's settings.
#pragma once

#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <QIcon>
#include <QObject>

#include <functional>

namespace zorvik {

// How one registered class appears in Designer.
struct DesignerClass {
    const char* componentClass;  // the registry's name ("TZorvik")
    const char* qtClass;         // the widget's class, also the name in .ui files
    const char* includeFile;
    const char* icon;            // a resource, or empty for the designer's default image
    const char* toolTip;
    const char* objectName;      // what Designer names a new one
    QWidget* (*create)(QWidget* Parent, bool Designing);
};

class ZorvikWidgetInterface : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)
public:
    ZorvikWidgetInterface(const DesignerClass& Class, QString Group, QObject* Parent);

    QString name() const override { return QString::fromLatin1(m_class.qtClass); }
    QString group() const override { return m_group; }
    QString toolTip() const override { return QString::fromLatin1(m_class.toolTip); }
    QString whatsThis() const override { return toolTip(); }
    QString includeFile() const override { return QString::fromLatin1(m_class.includeFile); }
    QIcon icon() const override { return m_icon; }
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* Parent) override { return m_class.create(Parent, m_core != nullptr); }
    bool isInitialized() const override { return m_core != nullptr; }
    void initialize(QDesignerFormEditorInterface* Core) override;
    QString domXml() const override;

private:
    DesignerClass m_class;
    QString m_group;
    QIcon m_icon;
    QDesignerFormEditorInterface* m_core = nullptr;
};

class ZorvikDesignerCollection : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)
public:
    explicit ZorvikDesignerCollection(QObject* Parent = nullptr);
    QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return m_widgets; }

private:
    QList<QDesignerCustomWidgetInterface*> m_widgets;
};

}  // namespace zorvik
