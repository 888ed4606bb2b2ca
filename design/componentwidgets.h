// The widgets that stand for the report's printable barcode and the window
// list on a Qt form, so that both can sit on forms made in Qt Designer.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace zorvik {

class TWindowsList;

// A printable barcode on a report band: it prints the symbol of the barcode
// control named by Barcode. On a form it shows that control's symbol, or a
// dashed frame while it names none.
class ReportBarcodeWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Barcode READ Barcode WRITE setBarcode)
public:
    explicit ReportBarcodeWidget(QWidget* Parent = nullptr);
    QString Barcode() const { return m_barcode; }
    void setBarcode(const QString& Name);
    QSize sizeHint() const override { return {200, 200}; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    QString m_barcode;
};

// The window list: a component without a face of its own, shown on a form as
// a small box so that it can be selected.
class WindowsListWidget : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool AcceptEmptyNames READ AcceptEmptyNames WRITE setAcceptEmptyNames)
public:
    explicit WindowsListWidget(QWidget* Parent = nullptr);
    ~WindowsListWidget() override;
    TWindowsList& list() { return *m_list; }
    bool AcceptEmptyNames() const;
    void setAcceptEmptyNames(bool Value);
    QSize sizeHint() const override { return {28, 28}; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    std::unique_ptr<TWindowsList> m_list;
};

}  // namespace zorvik
