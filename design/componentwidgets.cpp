#include "design/componentwidgets.h"

#include <QImage>
#include <QPainter>

#include "platform/qt/barcodewidget.h"
#include "winlist/windowslist.h"

namespace zorvik {

ReportBarcodeWidget::ReportBarcodeWidget(QWidget* Parent) : QWidget(Parent) { resize(sizeHint()); }

void ReportBarcodeWidget::setBarcode(const QString& Name) {
    m_barcode = Name;
    update();
}

void ReportBarcodeWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const BarcodeWidget* source = nullptr;
    if (!m_barcode.isEmpty() && window() != nullptr) source = window()->findChild<BarcodeWidget*>(m_barcode);
    if (source != nullptr) {
        painter.drawImage(0, 0, const_cast<BarcodeWidget*>(source)->grab().toImage());
        return;
    }
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

WindowsListWidget::WindowsListWidget(QWidget* Parent) : QWidget(Parent), m_list(std::make_unique<TWindowsList>(nullptr)) {
    resize(sizeHint());
}

WindowsListWidget::~WindowsListWidget() = default;

bool WindowsListWidget::AcceptEmptyNames() const { return m_list->AcceptEmptyNames(); }

void WindowsListWidget::setAcceptEmptyNames(bool Value) { m_list->SetAcceptEmptyNames(Value); }

void WindowsListWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.setPen(palette().buttonText().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    for (int y = 7; y < height() - 5; y += 5) painter.drawLine(6, y, width() - 7, y);
}

}  // namespace zorvik
