#include "design/plugin/codeextensions.h"

#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QExtensionManager>

#include <QAction>
#include <QMetaProperty>
#include <QSet>

#include "control/published.h"
#include "design/zorvikreg.h"
#include "platform/qt/barcodewidget.h"

namespace zorvik {

namespace {

// The Qt property of a form-file path, as Designer names it.
QString qtName(std::string_view Path) { return QString::fromLatin1(qtPropertyName(Path)); }

// Changes made by an editor go through the form window's cursor, as if made
// in the property editor: each is a command the caller groups into one.
// The command opens with the first change, so that a dialog closed without
// one leaves no empty step in the history and the form unchanged.
class DesignerWriter : public TFormDesigner {
public:
    DesignerWriter(QDesignerFormWindowInterface* Form, BarcodeWidget* Widget, QString Command)
        : m_form(Form), m_widget(Widget), m_command(std::move(Command)) {}
    ~DesignerWriter() override {
        if (m_open) m_form->endCommand();
    }

    void SetOrdProperty(TComponent&, std::string_view Path, int64_t Value) override {
        // The value in the widget property's own type (an enumeration's, not int).
        const QString name = qtName(Path);
        const QMetaObject* meta = m_widget->metaObject();
        QVariant v = int(Value);
        if (const int index = meta->indexOfProperty(name.toLatin1().constData()); index >= 0) v.convert(meta->property(index).metaType());
        open();
        m_form->cursor()->setWidgetProperty(m_widget, name, v);
    }
    void SetStrProperty(TComponent&, std::string_view Path, const std::string& Value) override {
        open();
        m_form->cursor()->setWidgetProperty(m_widget, qtName(Path), QString::fromStdString(Value));
    }

private:
    void open() {
        if (m_open) return;
        m_open = true;
        m_form->beginCommand(m_command);
    }

    QDesignerFormWindowInterface* m_form;
    BarcodeWidget* m_widget;
    QString m_command;
    bool m_open = false;
};

QSet<QDesignerFormEditorInterface*>& installed() {
    static QSet<QDesignerFormEditorInterface*> s;
    return s;
}

}  // namespace

void installCodeExtensions(QDesignerFormEditorInterface* Core) {
    if (Core == nullptr || installed().contains(Core)) return;
    installed().insert(Core);
    QExtensionManager* manager = Core->extensionManager();
    manager->registerExtensions(new CodePropertySheetFactory(manager), Q_TYPEID(QDesignerPropertySheetExtension));
    manager->registerExtensions(new CodeTaskMenuFactory(manager), Q_TYPEID(QDesignerTaskMenuExtension));
}

CodePropertySheet::CodePropertySheet(QDesignerPropertySheetExtension* Default, QObject* DefaultObject, QObject* Parent)
    : QObject(Parent), m_default(Default), m_defaultObject(DefaultObject) {}

QString CodePropertySheet::propertyGroup(int Index) const {
    // The settings of the nested Code object are one group, as their paths say.
    const QString name = m_default->propertyName(Index);
    for (const PublishedProperty& row : zorvikProperties())
        if (row.path.starts_with("Code.") && row.type != PropertyType::Event && qtName(row.path) == name)
            return QStringLiteral("Code");
    return m_default->propertyGroup(Index);
}

bool CodePropertySheet::isVisible(int Index) const {
    // Whether the widget sits in a designer is the designer's business, not a setting.
    if (m_default->propertyName(Index) == QLatin1String("designMode")) return false;
    return m_default->isVisible(Index);
}

QObject* CodePropertySheetFactory::createExtension(QObject* Object, const QString& Iid, QObject* Parent) const {
    if (Iid != Q_TYPEID(QDesignerPropertySheetExtension) || qobject_cast<BarcodeWidget*>(Object) == nullptr) return nullptr;
    // The default sheet comes from the factories behind this one. Asking the
    // manager with this factory still registered would come back here and
    // recurse until the stack overflows.
    QExtensionManager* manager = extensionManager();
    auto* self = const_cast<CodePropertySheetFactory*>(this);
    manager->unregisterExtensions(self, Iid);
    QObject* fallback = manager->extension(Object, Iid);
    manager->registerExtensions(self, Iid);
    auto* defaultSheet = fallback != nullptr ? static_cast<QDesignerPropertySheetExtension*>(
                                                   fallback->qt_metacast(Q_TYPEID(QDesignerPropertySheetExtension).data()))
                                             : nullptr;
    if (defaultSheet == nullptr) return nullptr;
    return new CodePropertySheet(defaultSheet, fallback, Parent);
}

CodeTaskMenu::CodeTaskMenu(BarcodeWidget* Widget, QObject* Parent) : QObject(Parent), m_widget(Widget) {
    // The verbs are the component editor's.
    TComponentEditorClass make = FindComponentEditor(kZorvikClass);
    if (make == nullptr) return;
    const std::unique_ptr<TComponentEditor> editor = make(Widget->control(), kZorvikClass, nullptr);
    for (int i = 0; i < editor->GetVerbCount(); ++i) {
        auto* action = new QAction(QString::fromStdString(editor->GetVerb(i)), this);
        connect(action, &QAction::triggered, this, [this, i] { executeVerb(i); });
        m_actions.append(action);
    }
}

void CodeTaskMenu::executeVerb(int Index) {
    if (m_widget == nullptr) return;
    TComponentEditorClass make = FindComponentEditor(kZorvikClass);
    if (make == nullptr) return;
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(m_widget);
    if (form == nullptr) {
        make(m_widget->control(), kZorvikClass, nullptr)->ExecuteVerb(Index);
        return;
    }
    // Everything the dialog changes is one step of the form's undo history.
    setDesignParentWindow(form->window());
    {
        DesignerWriter writer(form, m_widget, QString::fromStdString(std::string(kEditCodeVerb)));
        make(m_widget->control(), kZorvikClass, &writer)->ExecuteVerb(Index);
    }
    setDesignParentWindow(nullptr);
}

QObject* CodeTaskMenuFactory::createExtension(QObject* Object, const QString& Iid, QObject* Parent) const {
    if (Iid != Q_TYPEID(QDesignerTaskMenuExtension)) return nullptr;
    auto* widget = qobject_cast<BarcodeWidget*>(Object);
    return widget != nullptr ? new CodeTaskMenu(widget, Parent) : nullptr;
}

}  // namespace zorvik
