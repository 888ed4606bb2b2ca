// The main window of Zorvik Labels: the label with its barcode, the property
// panel, the product table whose current row drives the caption through the
// data link, and the File actions.
#pragma once

#include <QMainWindow>
#include <QSqlDatabase>

#include <memory>

#include "cli/report.h"

#include "platform/db.h"
#include "platform/qt/barcodewidget.h"
#include "platform/qt/modeldataset.h"

class QAbstractItemModel;
class QPrinter;
class QTableView;

namespace zorvik::labels {

class LabelsWindow : public QMainWindow {
    Q_OBJECT
public:
    LabelsWindow();
    ~LabelsWindow() override;

    BarcodeWidget& barcode() { return *m_barcode; }
    QTableView& table() { return *m_table; }

    // Each returns false with the reason in Error.
    bool loadForm(const QString& Path, const QString& Name, QString& Error);
    bool saveForm(const QString& Path, QString& Error);
    // Opens the SQLite file: its query's rows, or the first table's (editable).
    // An SQLite file (its products table, or Sql), or a postgresql:// URI
    // (Sql, or the products table), whose rows the table shows.
    bool openDatabase(const QString& Path, const QString& Sql, QString& Error);
    // Makes record Row (from 1) current.
    bool selectRow(int Row, QString& Error);
    // Writes the symbol as the command does: PNG, SVG or PDF by extension.
    bool exportSymbol(const QString& Path, QString& Error);
    // Prints the label on Printer at its own resolution, half an inch in.
    bool printOn(QPrinter& Printer, QString& Error);

private:
    // Shows m_model in the table and binds the barcode to its current row.
    bool showRows(QString& Error);
    void openFormAction();
    void saveFormAction();
    void exportAction();
    void printAction();
    void previewAction();
    void reportPreviewAction();

public:
    // Opens a preview of the pages of the banded report in the form file Form
    // (its bands, labels and barcodes over its own dataset), drawn through the
    // printer the preview gives; false with the reason when the form has no
    // report that can print.
    bool previewReport(const QString& Form, QString& Error);
    // The report preview open now, or nullptr.
    QWidget* reportPreview() const { return m_reportPreview; }

private:
    void bindData();

    BarcodeWidget* m_barcode = nullptr;
    QTableView* m_table = nullptr;
    QSqlDatabase m_db;
    QAbstractItemModel* m_model = nullptr;
    QWidget* m_reportPreview = nullptr;
    std::unique_ptr<cli::ReportJob> m_report;
    std::unique_ptr<TModelDataSet> m_dataSet;
    std::unique_ptr<TDataSource> m_source;
    QString m_formName;
};

}  // namespace zorvik::labels
