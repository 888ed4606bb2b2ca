// Designer extensions of the barcode widget: a property sheet that shows the
// settings of Code as one group "Code", and a task menu that carries the
// component editor's verbs, the first of them also run on a double-click.
#pragma once

#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>

#include <QPointer>
#include <QVariant>

class QDesignerFormEditorInterface;

namespace zorvik {

class BarcodeWidget;

// Registers both extension factories with Designer's extension manager (once per core).
void installCodeExtensions(QDesignerFormEditorInterface* Core);

// Wraps the sheet Designer made for the widget and changes only the groups
// (and hides the designer's own switch); everything else is the default's.
class CodePropertySheet : public QObject, public QDesignerPropertySheetExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerPropertySheetExtension)
public:
    CodePropertySheet(QDesignerPropertySheetExtension* Default, QObject* DefaultObject, QObject* Parent);

    int count() const override { return m_default->count(); }
    int indexOf(const QString& Name) const override { return m_default->indexOf(Name); }
    QString propertyName(int Index) const override { return m_default->propertyName(Index); }
    QString propertyGroup(int Index) const override;
    void setPropertyGroup(int Index, const QString& Group) override { m_default->setPropertyGroup(Index, Group); }
    bool hasReset(int Index) const override { return m_default->hasReset(Index); }
    bool reset(int Index) override { return m_default->reset(Index); }
    bool isVisible(int Index) const override;
    void setVisible(int Index, bool Visible) override { m_default->setVisible(Index, Visible); }
    bool isAttribute(int Index) const override { return m_default->isAttribute(Index); }
    void setAttribute(int Index, bool Attribute) override { m_default->setAttribute(Index, Attribute); }
    QVariant property(int Index) const override { return m_default->property(Index); }
    void setProperty(int Index, const QVariant& Value) override { m_default->setProperty(Index, Value); }
    bool isChanged(int Index) const override { return m_default->isChanged(Index); }
    void setChanged(int Index, bool Changed) override { m_default->setChanged(Index, Changed); }
    bool isEnabled(int Index) const override { return m_default->isEnabled(Index); }

private:
    QDesignerPropertySheetExtension* m_default;
    QPointer<QObject> m_defaultObject;
};

class CodePropertySheetFactory : public QExtensionFactory {
    Q_OBJECT
public:
    explicit CodePropertySheetFactory(QExtensionManager* Parent) : QExtensionFactory(Parent) {}

protected:
    QObject* createExtension(QObject* Object, const QString& Iid, QObject* Parent) const override;
};

class CodeTaskMenu : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)
public:
    CodeTaskMenu(BarcodeWidget* Widget, QObject* Parent);
    QAction* preferredEditAction() const override { return m_actions.isEmpty() ? nullptr : m_actions.first(); }
    QList<QAction*> taskActions() const override { return m_actions; }

private:
    void executeVerb(int Index);

    QPointer<BarcodeWidget> m_widget;
    QList<QAction*> m_actions;
};

class CodeTaskMenuFactory : public QExtensionFactory {
    Q_OBJECT
public:
    explicit CodeTaskMenuFactory(QExtensionManager* Parent) : QExtensionFactory(Parent) {}

protected:
    QObject* createExtension(QObject* Object, const QString& Iid, QObject* Parent) const override;
};

}  // namespace zorvik
