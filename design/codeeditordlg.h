// The Code properties editor: a modal dialog that edits one barcode's
// settings in place. Its form comes from codeeditordlg.ui (a Qt resource),
// loaded when the dialog is made; every choice is written into the settings
// at once, so the control on the form redraws while the dialog is open.
#pragma once

#include <QObject>
#include <QPointer>

#include <memory>
#include <string>

#include "control/code.h"

class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace zorvik {

class TComponent;
class TFormDesigner;

class TCodeEditorDlg : public QObject {
    Q_OBJECT
public:
    // Parent is the window the dialog belongs to (null: the application's).
    explicit TCodeEditorDlg(QWidget* Parent = nullptr);
    ~TCodeEditorDlg() override;

    // Inside a form designer the writes go through the designer, which keeps
    // them undoable; Component is the control that owns the settings.
    void setDesigner(TFormDesigner* Designer, TComponent* Component);

    // Binds the dialog to Code (not owned) and shows its values.
    void SetCode(TCode* Code);
    TCode* code() const { return m_code; }

    // Each writes the value through the settings' setter, then shows the
    // value given (not the value the settings kept).
    void SetCodeType(int Value);
    void SetCaption(const std::string& Value);
    void SetAutoSize(bool Value);
    void SetDensity(int Value);
    void SetDirection(int Value);
    void SetTransparent(bool Value);
    void SetBorder(bool Value);
    void SetControlChars(bool Value);
    void SetShowCtrlsChars(bool Value);
    void SetTextOn(bool Value);
    void SetTextAlignment(int Value);

    // The form and its controls.
    QDialog& form() const { return *m_form; }
    int ShowModal();

    // Handlers of the controls.
    void CTBoxChange();
    void DensityBoxChange();
    void DirectionBoxChange();
    void TextAlignmentBoxChange();
    void AutoSizeBoxClick();
    void BorderBoxClick();
    void CtrlCharsBoxClick();
    void ShowCtrlsCharsBoxClick();
    void TextOnBoxClick();
    void TransparentBoxClick();
    void TEExit();
    void OKButtonClick();

    QPushButton* OKButton = nullptr;
    QTabWidget* TabbedNotebook1 = nullptr;
    QComboBox* CTBox = nullptr;
    QLineEdit* TE = nullptr;
    QCheckBox* AutoSizeBox = nullptr;
    QCheckBox* BorderBox = nullptr;
    QCheckBox* TransparentBox = nullptr;
    QComboBox* DensityBox = nullptr;
    QComboBox* DirectionBox = nullptr;
    QCheckBox* CtrlCharsBox = nullptr;
    QCheckBox* TextOnBox = nullptr;
    QComboBox* TextAlignmentBox = nullptr;
    QCheckBox* ShowCtrlsCharsBox = nullptr;

private:
    // Writes one setting: through the designer when there is one, else
    // through the settings' own setter. An equal value is not written: the
    // setter would ignore it, and a designer would record an empty change.
    void writeOrd(const char* Path, int64_t Current, int64_t Value);

    std::unique_ptr<QDialog> m_form;
    TCode* m_code = nullptr;
    TFormDesigner* m_designer = nullptr;
    TComponent* m_component = nullptr;
};

}  // namespace zorvik
