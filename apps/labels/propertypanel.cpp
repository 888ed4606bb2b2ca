#include "apps/labels/propertypanel.h"

#include "design/zorvikreg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "control/published.h"

namespace zorvik::labels {

namespace {


}  // namespace

PropertyPanel::PropertyPanel(BarcodeWidget& Target, QWidget* Parent) : QWidget(Parent), m_target(Target) {
    auto* form = new QFormLayout(this);
    BarcodeWidget* w = &m_target;
    for (const PublishedProperty& p : zorvikProperties()) {
        if (p.type == PropertyType::Event) continue;
        const QByteArray name = qtPropertyName(p.path);
        const QString label = QString::fromUtf8(p.path.data(), static_cast<qsizetype>(p.path.size()));
        switch (p.type) {
            case PropertyType::Enumeration: {
                auto* box = new QComboBox;
                for (std::string_view id : p.idents)
                    box->addItem(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())));
                connect(box, &QComboBox::activated, this, [w, name, box](int) { w->setProperty(name, box->currentText()); });
                m_refreshers.push_back([w, &p, box] {
                    const QSignalBlocker block(box);
                    box->setCurrentIndex(static_cast<int>(p.getNumber(w->control())));
                });
                form->addRow(label, box);
                break;
            }
            case PropertyType::Boolean: {
                auto* box = new QCheckBox;
                connect(box, &QCheckBox::clicked, this, [w, name](bool on) { w->setProperty(name, on); });
                m_refreshers.push_back([w, &p, box] {
                    const QSignalBlocker block(box);
                    box->setChecked(p.getNumber(w->control()) != 0);
                });
                form->addRow(label, box);
                break;
            }
            case PropertyType::Color: {
                auto* button = new QPushButton;
                connect(button, &QPushButton::clicked, this, [this, w, name] {
                    const QColor c = QColorDialog::getColor(w->property(name).value<QColor>(), this);
                    if (c.isValid()) w->setProperty(name, c);
                });
                m_refreshers.push_back([w, &p, button] {
                    button->setText(QString::fromStdString(p.format(w->control())));
                    const QColor c = w->property(qtPropertyName(p.path)).value<QColor>();
                    button->setStyleSheet(QString("background: %1; color: %2")
                                              .arg(c.name(), c.lightness() < 128 ? "white" : "black"));
                });
                form->addRow(label, button);
                break;
            }
            case PropertyType::String: {
                auto* edit = new QLineEdit;
                connect(edit, &QLineEdit::editingFinished, this, [w, name, edit] { w->setProperty(name, edit->text()); });
                m_refreshers.push_back([w, &p, edit] {
                    const QSignalBlocker block(edit);
                    if (!edit->hasFocus()) edit->setText(QString::fromStdString(p.getText(w->control())));
                });
                form->addRow(label, edit);
                break;
            }
            case PropertyType::Integer:
            case PropertyType::Charset:
            case PropertyType::Cursor: {
                auto* spin = new QSpinBox;
                spin->setRange(static_cast<int>(p.min), static_cast<int>(p.max));
                spin->setKeyboardTracking(false);
                connect(spin, &QSpinBox::valueChanged, this, [w, name](int v) { w->setProperty(name, v); });
                m_refreshers.push_back([w, &p, spin] {
                    const QSignalBlocker block(spin);
                    spin->setValue(static_cast<int>(p.getNumber(w->control())));
                });
                form->addRow(label, spin);
                break;
            }
            default: {
                // Font styles (through the font dialog) and the data source: shown as written.
                auto* edit = new QLineEdit;
                edit->setReadOnly(true);
                m_refreshers.push_back([w, &p, edit] { edit->setText(QString::fromStdString(p.format(w->control()))); });
                form->addRow(label, edit);
                if (p.type == PropertyType::FontStyles) {
                    auto* button = new QPushButton(tr("Font…"));
                    connect(button, &QPushButton::clicked, this, &PropertyPanel::chooseFont);
                    form->addRow(QString(), button);
                }
                break;
            }
        }
    }
    connect(w, &BarcodeWidget::propertiesChanged, this, &PropertyPanel::refresh);
    refresh();
}

void PropertyPanel::refresh() {
    for (const auto& r : m_refreshers) r();
}

void PropertyPanel::chooseFont() {
    // A negative font height is the character height in pixels, as a pixel size is.
    QFont current(m_target.FontName());
    current.setPixelSize(std::max(1, std::abs(m_target.FontHeight())));
    const auto styles = m_target.FontStyle();
    current.setBold(styles.testFlag(BarcodeWidget::fsBold));
    current.setItalic(styles.testFlag(BarcodeWidget::fsItalic));
    current.setUnderline(styles.testFlag(BarcodeWidget::fsUnderline));
    current.setStrikeOut(styles.testFlag(BarcodeWidget::fsStrikeOut));
    // Scalable fonts only: the symbol's text is drawn at any size and turned.
    if (!TFontPropertyFont::Edit(current, this)) return;
    const QFont& chosen = current;
    m_target.setFontName(chosen.family());
    const int pixels = chosen.pixelSize() > 0 ? chosen.pixelSize() : qRound(chosen.pointSizeF() * 96.0 / 72.0);
    m_target.setFontHeight(-pixels);
    BarcodeWidget::TFontStyles s;
    s.setFlag(BarcodeWidget::fsBold, chosen.bold());
    s.setFlag(BarcodeWidget::fsItalic, chosen.italic());
    s.setFlag(BarcodeWidget::fsUnderline, chosen.underline());
    s.setFlag(BarcodeWidget::fsStrikeOut, chosen.strikeOut());
    m_target.setFontStyle(s);
}

}  // namespace zorvik::labels
