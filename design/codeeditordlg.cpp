#include "design/codeeditordlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QUiLoader>

#include "platform/designintf.h"

// The form lives in the library's resources; a static library must register them itself.
static void initDesignResources() { Q_INIT_RESOURCE(design); }

namespace zorvik {

namespace {

template <typename T>
T* control(QDialog& Form, const char* Name) {
    T* c = Form.findChild<T*>(Name);
    Q_ASSERT_X(c != nullptr, "TCodeEditorDlg", Name);
    return c;
}

std::unique_ptr<QDialog> loadForm(QWidget* Parent) {
    initDesignResources();
    // The form's font is the Windows dialog font; its metric twins keep the
    // captions within the boxes the form gives them.
    QFont::insertSubstitutions("MS Sans Serif", {"Liberation Sans", "Arial", "Helvetica"});
    QFile file(":/zorvik/design/codeeditordlg.ui");
    file.open(QIODevice::ReadOnly);
    QUiLoader loader;
    // Only the standard widgets: the form never needs a plugin.
    loader.clearPluginPaths();
    auto* form = qobject_cast<QDialog*>(loader.load(&file, Parent));
    Q_ASSERT(form != nullptr);
    // A dialog of its own even with a parent window.
    form->setWindowFlags(Qt::Dialog);
    return std::unique_ptr<QDialog>(form);
}

}  // namespace

TCodeEditorDlg::TCodeEditorDlg(QWidget* Parent) : m_form(loadForm(Parent)) {
    QDialog& f = *m_form;
    OKButton = control<QPushButton>(f, "OKButton");
    TabbedNotebook1 = control<QTabWidget>(f, "TabbedNotebook1");
    CTBox = control<QComboBox>(f, "CTBox");
    TE = control<QLineEdit>(f, "TE");
    AutoSizeBox = control<QCheckBox>(f, "AutoSizeBox");
    BorderBox = control<QCheckBox>(f, "BorderBox");
    TransparentBox = control<QCheckBox>(f, "TransparentBox");
    DensityBox = control<QComboBox>(f, "DensityBox");
    DirectionBox = control<QComboBox>(f, "DirectionBox");
    CtrlCharsBox = control<QCheckBox>(f, "CtrlCharsBox");
    TextOnBox = control<QCheckBox>(f, "TextOnBox");
    TextAlignmentBox = control<QComboBox>(f, "TextAlignmentBox");
    ShowCtrlsCharsBox = control<QCheckBox>(f, "ShowCtrlsCharsBox");
    // The standard OK glyph beside the button's caption.
    OKButton->setIcon(f.style()->standardIcon(QStyle::SP_DialogOkButton));
    f.setFixedSize(f.size());
    // Labels take the size of their caption, as the form's labels size themselves.
    for (QLabel* label : f.findChildren<QLabel*>()) label->adjustSize();

    // User actions only (activated, clicked): the setters set the controls
    // themselves and must not run the handlers again.
    connect(CTBox, &QComboBox::activated, this, &TCodeEditorDlg::CTBoxChange);
    connect(DensityBox, &QComboBox::activated, this, &TCodeEditorDlg::DensityBoxChange);
    connect(DirectionBox, &QComboBox::activated, this, &TCodeEditorDlg::DirectionBoxChange);
    connect(TextAlignmentBox, &QComboBox::activated, this, &TCodeEditorDlg::TextAlignmentBoxChange);
    connect(AutoSizeBox, &QCheckBox::clicked, this, &TCodeEditorDlg::AutoSizeBoxClick);
    connect(BorderBox, &QCheckBox::clicked, this, &TCodeEditorDlg::BorderBoxClick);
    connect(CtrlCharsBox, &QCheckBox::clicked, this, &TCodeEditorDlg::CtrlCharsBoxClick);
    connect(ShowCtrlsCharsBox, &QCheckBox::clicked, this, &TCodeEditorDlg::ShowCtrlsCharsBoxClick);
    connect(TextOnBox, &QCheckBox::clicked, this, &TCodeEditorDlg::TextOnBoxClick);
    connect(TransparentBox, &QCheckBox::clicked, this, &TCodeEditorDlg::TransparentBoxClick);
    connect(TE, &QLineEdit::editingFinished, this, &TCodeEditorDlg::TEExit);
    connect(OKButton, &QPushButton::clicked, this, &TCodeEditorDlg::OKButtonClick);
}

TCodeEditorDlg::~TCodeEditorDlg() = default;

void TCodeEditorDlg::setDesigner(TFormDesigner* Designer, TComponent* Component) {
    m_designer = Designer;
    m_component = Component;
}

void TCodeEditorDlg::SetCode(TCode* Code) {
    m_code = Code;
    if (m_code == nullptr) return;
    const TCode& c = *m_code;
    SetCodeType(ord(c.Symbology()));
    SetCaption(c.Caption());
    SetAutoSize(c.AutoSize());
    SetDensity(ord(c.Density()));
    SetDirection(ord(c.Direction()));
    SetTransparent(c.Transparent());
    SetBorder(c.Border());
    SetControlChars(c.ControlChars());
    SetShowCtrlsChars(c.ShowCtrlsChars());
    SetTextOn(c.TextOn());
    SetTextAlignment(ord(c.TextAlignment()));
    BorderBox->setEnabled(!c.Transparent());
}

int TCodeEditorDlg::ShowModal() { return m_form->exec(); }

void TCodeEditorDlg::writeOrd(const char* Path, int64_t Current, int64_t Value) {
    if (m_code == nullptr || Current == Value) return;
    if (m_designer != nullptr && m_component != nullptr) {
        m_designer->SetOrdProperty(*m_component, Path, Value);
        return;
    }
    TCode& c = *m_code;
    const std::string_view p = Path;
    if (p == "Code.Symbology") c.SetCode(static_cast<TBarCodeType>(Value));
    else if (p == "Code.AutoSize") c.SetAutoSize(Value != 0);
    else if (p == "Code.Density") c.SetDensity(static_cast<TDensity>(Value));
    else if (p == "Code.Direction") c.SetDirection(static_cast<TDirection>(Value));
    else if (p == "Code.Transparent") c.SetTransparent(Value != 0);
    else if (p == "Code.Border") c.SetBorder(Value != 0);
    else if (p == "Code.ControlChars") c.SetCtrlChar(Value != 0);
    else if (p == "Code.ShowCtrlsChars") c.SetShowCtrlsChars(Value != 0);
    else if (p == "Code.TextOn") c.SetTextOn(Value != 0);
    else if (p == "Code.TextAlignment") c.SetAlignment(static_cast<TAlignment>(Value));
}

void TCodeEditorDlg::SetCodeType(int Value) {
    // Only the listed symbologies: a list never offers another index.
    if (Value < 0 || Value >= kBarCodeTypeCount) return;
    if (m_code != nullptr) writeOrd("Code.Symbology", ord(m_code->Symbology()), Value);
    CTBox->setCurrentIndex(Value);
}

void TCodeEditorDlg::SetCaption(const std::string& Value) {
    if (m_code != nullptr && m_code->Caption() != Value) {
        if (m_designer != nullptr && m_component != nullptr) m_designer->SetStrProperty(*m_component, "Code.Caption", Value);
        else m_code->SetCaption(Value);
    }
    TE->setText(QString::fromStdString(Value));
}

void TCodeEditorDlg::SetAutoSize(bool Value) {
    if (m_code != nullptr) writeOrd("Code.AutoSize", m_code->AutoSize(), Value);
    AutoSizeBox->setChecked(Value);
}

void TCodeEditorDlg::SetDensity(int Value) {
    if (Value < 0 || Value >= kDensityCount) return;
    if (m_code != nullptr) writeOrd("Code.Density", ord(m_code->Density()), Value);
    DensityBox->setCurrentIndex(Value);
}

void TCodeEditorDlg::SetDirection(int Value) {
    if (Value < 0 || Value > 1) return;
    if (m_code != nullptr) writeOrd("Code.Direction", ord(m_code->Direction()), Value);
    DirectionBox->setCurrentIndex(Value);
}

void TCodeEditorDlg::SetTransparent(bool Value) {
    if (m_code != nullptr) writeOrd("Code.Transparent", m_code->Transparent(), Value);
    TransparentBox->setChecked(Value);
}

void TCodeEditorDlg::SetBorder(bool Value) {
    if (m_code != nullptr) writeOrd("Code.Border", m_code->Border(), Value);
    BorderBox->setChecked(Value);
}

void TCodeEditorDlg::SetControlChars(bool Value) {
    if (m_code != nullptr) writeOrd("Code.ControlChars", m_code->ControlChars(), Value);
    CtrlCharsBox->setChecked(Value);
}

void TCodeEditorDlg::SetShowCtrlsChars(bool Value) {
    if (m_code != nullptr) writeOrd("Code.ShowCtrlsChars", m_code->ShowCtrlsChars(), Value);
    ShowCtrlsCharsBox->setChecked(Value);
}

void TCodeEditorDlg::SetTextOn(bool Value) {
    if (m_code != nullptr) writeOrd("Code.TextOn", m_code->TextOn(), Value);
    TextOnBox->setChecked(Value);
}

void TCodeEditorDlg::SetTextAlignment(int Value) {
    if (Value < 0 || Value > 1) return;
    if (m_code != nullptr) writeOrd("Code.TextAlignment", ord(m_code->TextAlignment()), Value);
    TextAlignmentBox->setCurrentIndex(Value);
}

void TCodeEditorDlg::CTBoxChange() { SetCodeType(CTBox->currentIndex()); }
void TCodeEditorDlg::DensityBoxChange() { SetDensity(DensityBox->currentIndex()); }
void TCodeEditorDlg::DirectionBoxChange() { SetDirection(DirectionBox->currentIndex()); }
void TCodeEditorDlg::TextAlignmentBoxChange() { SetTextAlignment(TextAlignmentBox->currentIndex()); }
void TCodeEditorDlg::AutoSizeBoxClick() { SetAutoSize(AutoSizeBox->isChecked()); }
void TCodeEditorDlg::BorderBoxClick() { SetBorder(BorderBox->isChecked()); }
void TCodeEditorDlg::CtrlCharsBoxClick() { SetControlChars(CtrlCharsBox->isChecked()); }
void TCodeEditorDlg::ShowCtrlsCharsBoxClick() { SetShowCtrlsChars(ShowCtrlsCharsBox->isChecked()); }
void TCodeEditorDlg::TextOnBoxClick() { SetTextOn(TextOnBox->isChecked()); }

void TCodeEditorDlg::TransparentBoxClick() {
    SetTransparent(TransparentBox->isChecked());
    // A transparent symbol draws no border; the Border setting itself stays.
    BorderBox->setEnabled(!TransparentBox->isChecked());
}

void TCodeEditorDlg::TEExit() {
    // An empty caption is never taken: it would draw nothing but a message.
    if (!TE->text().isEmpty()) SetCaption(TE->text().toStdString());
}

void TCodeEditorDlg::OKButtonClick() {
    // A caption typed and not yet confirmed is taken too.
    TEExit();
    m_form->accept();
}

}  // namespace zorvik
