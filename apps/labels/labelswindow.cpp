#include "apps/labels/labelswindow.h"

#include "apps/labels/designerform.h"
#include "platform/sqlite/database.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlTableModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QHeaderView>

#include <fstream>

#include "apps/labels/propertypanel.h"
#include "cli/output.h"
#include "control/formio.h"
#include "platform/qt/qtprinter.h"

namespace zorvik::labels {

LabelsWindow::LabelsWindow() {
    setWindowTitle(tr("Zorvik Labels"));

    // The label: a white form with the barcode control on it.
    auto* label = new QWidget;
    label->setAutoFillBackground(true);
    QPalette white = label->palette();
    white.setColor(QPalette::Window, Qt::white);
    label->setPalette(white);
    label->setMinimumSize(420, 200);
    m_barcode = new BarcodeWidget(label);
    m_barcode->setLeft(24);
    m_barcode->setTop(24);
    auto* scroll = new QScrollArea;
    scroll->setWidget(label);
    scroll->setWidgetResizable(true);

    m_table = new QTableView;
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setVisible(false);

    auto* left = new QSplitter(Qt::Vertical);
    left->addWidget(scroll);
    left->addWidget(m_table);
    left->setSizes({260, 380});

    auto* panelScroll = new QScrollArea;
    panelScroll->setWidget(new PropertyPanel(*m_barcode));
    panelScroll->setWidgetResizable(true);
    panelScroll->setMinimumWidth(330);

    auto* main = new QSplitter(Qt::Horizontal);
    main->addWidget(left);
    main->addWidget(panelScroll);
    main->setStretchFactor(0, 1);
    setCentralWidget(main);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open Form…"), QKeySequence::Open, this, &LabelsWindow::openFormAction);
    file->addAction(tr("&Save Form…"), QKeySequence::Save, this, &LabelsWindow::saveFormAction);
    file->addAction(tr("&Export…"), this, &LabelsWindow::exportAction);
    file->addSeparator();
    file->addAction(tr("&Print…"), QKeySequence::Print, this, &LabelsWindow::printAction);
    file->addAction(tr("Print Pre&view…"), this, &LabelsWindow::previewAction);
    file->addAction(tr("&Report Preview…"), this, &LabelsWindow::reportPreviewAction);
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
}

LabelsWindow::~LabelsWindow() {
    // The control lets go of the data source before the source and the dataset go.
    m_barcode->setDataSourceObject(nullptr);
    m_source.reset();
    m_dataSet.reset();
}

bool LabelsWindow::loadForm(const QString& Path, const QString& Name, QString& Error) {
    if (Path.endsWith(".ui", Qt::CaseInsensitive)) {
        QString objectName;
        if (!loadDesignerForm(Path, Name, *m_barcode, objectName, Error)) return false;
        m_formName = objectName;
        bindData();
        return true;
    }
    std::string error, objectName;
    if (!loadZorvik(Path.toStdString(), Name.toStdString(), m_barcode->control(), objectName, error)) {
        Error = QString::fromStdString(error);
        return false;
    }
    m_formName = QString::fromStdString(objectName);
    // The form's own data source is not here: the product table is.
    bindData();
    return true;
}

bool LabelsWindow::saveForm(const QString& Path, QString& Error) {
    const std::string text = writeZorvik(m_barcode->control(), m_formName.isEmpty() ? "Zorvik1" : m_formName.toStdString());
    std::string error;
    const bool ok = cli::writeAtomically(
        Path.toStdString(),
        [&](std::FILE* f, std::string& e) {
            if (std::fwrite(text.data(), 1, text.size(), f) == text.size()) return true;
            e = "write failed";
            return false;
        },
        error);
    if (!ok) Error = QString::fromStdString(error);
    return ok;
}

namespace {

// The rows of a query on a database server, read once into a table the view
// shows (read-only: the server's rows are not edited here).
QAbstractItemModel* serverRows(const QString& Uri, const QString& Sql, QObject* Parent, QString& Error) {
    std::string why;
    const std::string query = Sql.isEmpty() ? std::string("SELECT * FROM products ORDER BY 1") : Sql.toStdString();
    std::unique_ptr<TDataSet> rows = zorvik::openDatabase(Uri.toStdString(), query, why);
    if (rows == nullptr) {
        Error = QString::fromStdString(why);
        return nullptr;
    }
    auto* model = new QStandardItemModel(Parent);
    QStringList headers;
    for (int c = 0; c < rows->FieldCount(); ++c) headers << QString::fromStdString(rows->Fields(c)->FieldName());
    model->setHorizontalHeaderLabels(headers);
    for (rows->First(); !rows->Eof(); rows->Next()) {
        QList<QStandardItem*> row;
        for (int c = 0; c < rows->FieldCount(); ++c) {
            auto* item = new QStandardItem(QString::fromStdString(rows->Fields(c)->DisplayText()));
            item->setEditable(false);
            row << item;
        }
        model->appendRow(row);
    }
    if (!rows->LastError().empty()) {
        Error = QString::fromStdString(rows->LastError());
        delete model;
        return nullptr;
    }
    return model;
}

}  // namespace

bool LabelsWindow::openDatabase(const QString& Path, const QString& Sql, QString& Error) {
    if (isServerDatabase(Path.toStdString())) {
        QAbstractItemModel* rows = serverRows(Path, Sql, this, Error);
        if (rows == nullptr) return false;
        m_barcode->setDataSourceObject(nullptr);
        m_source.reset();
        m_dataSet.reset();
        m_table->setModel(nullptr);
        delete m_model;
        m_model = rows;
        return showRows(Error);
    }
    // SQLite would make an empty file of a wrong name.
    if (!QFileInfo(Path).isFile()) {
        Error = tr("cannot open database '%1': no such file").arg(Path);
        return false;
    }
    m_barcode->setDataSourceObject(nullptr);
    m_source.reset();
    m_dataSet.reset();
    m_table->setModel(nullptr);
    delete m_model;
    m_model = nullptr;
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase("labels");
    }
    m_db = QSqlDatabase::addDatabase("QSQLITE", "labels");
    m_db.setDatabaseName(Path);
    if (!m_db.open()) {
        Error = tr("cannot open database '%1': %2").arg(Path, m_db.lastError().text());
        return false;
    }
    if (Sql.isEmpty()) {
        const QStringList tables = m_db.tables();
        if (tables.isEmpty()) {
            Error = tr("database '%1' has no tables").arg(Path);
            return false;
        }
        auto* model = new QSqlTableModel(this, m_db);
        model->setTable(tables.contains("products") ? "products" : tables.first());
        model->setEditStrategy(QSqlTableModel::OnFieldChange);
        if (!model->select()) {
            Error = tr("cannot read table: %1").arg(model->lastError().text());
            delete model;
            return false;
        }
        while (model->canFetchMore()) model->fetchMore();
        m_model = model;
    } else {
        auto* model = new QSqlQueryModel(this);
        model->setQuery(QSqlQuery(Sql, m_db));
        if (model->lastError().isValid()) {
            Error = tr("bad query: %1").arg(model->lastError().text());
            delete model;
            return false;
        }
        while (model->canFetchMore()) model->fetchMore();
        m_model = model;
    }
    return showRows(Error);
}

bool LabelsWindow::showRows(QString& Error) {
    m_table->setModel(m_model);
    m_dataSet = std::make_unique<TModelDataSet>(m_model);
    m_dataSet->follow(m_table->selectionModel());
    m_source = std::make_unique<TDataSource>(nullptr);
    m_source->SetDataSet(m_dataSet.get());
    bindData();
    if (!m_dataSet->Open()) {
        Error = QString::fromStdString(m_dataSet->LastError());
        return false;
    }
    if (m_model->rowCount() > 0) m_table->selectRow(0);
    return true;
}

void LabelsWindow::bindData() {
    if (m_model == nullptr || m_source == nullptr) return;
    // The control's field when the table has it, else the first column.
    bool found = false;
    for (int c = 0; c < m_model->columnCount(); ++c)
        found |= m_model->headerData(c, Qt::Horizontal).toString().compare(m_barcode->DataField(), Qt::CaseInsensitive) == 0;
    if (!found && m_model->columnCount() > 0) m_barcode->setDataField(m_model->headerData(0, Qt::Horizontal).toString());
    m_barcode->setDataSourceObject(m_source.get());
}

bool LabelsWindow::selectRow(int Row, QString& Error) {
    if (m_model == nullptr || Row < 1 || Row > m_model->rowCount()) {
        Error = tr("no record %1: the table has %2").arg(Row).arg(m_model ? m_model->rowCount() : 0);
        return false;
    }
    m_table->selectRow(Row - 1);
    m_table->setCurrentIndex(m_model->index(Row - 1, 0));
    return true;
}

bool LabelsWindow::exportSymbol(const QString& Path, QString& Error) {
    using namespace cli;
    OutputKind kind;
    if (!outputKindOf(Path.toStdString(), kind)) {
        Error = tr("cannot tell the format of '%1': use a name ending in .png, .svg or .pdf").arg(Path);
        return false;
    }
    m_barcode->settle();
    // Drawn once more, as the command draws it: recorded first, because the
    // size is known only once it is drawn.
    RecordingCanvas recording;
    TZorvik& control = m_barcode->control();
    control.DrawBarCode(&recording, 0, 0, 1);
    if (!control.lastRenderSized()) {
        Error = tr("nothing drawn");
        return false;
    }
    const int w = BarCodeWidth, h = BarCodeHeight;
    if (const std::string problem = sizeProblem(kind, w, h, 1); !problem.empty()) {
        Error = QString::fromStdString(problem);
        return false;
    }
    std::string error;
    if (!writeAtomically(
            Path.toStdString(), [&](std::FILE* f, std::string& e) { return writeRecording(recording, w, h, 1, kind, control.BackColor(), f, e); },
            error)) {
        Error = QString::fromStdString(error);
        return false;
    }
    return true;
}

bool LabelsWindow::printOn(QPrinter& Printer, QString& Error) {
    const int dpi = useDestinationResolution(Printer);
    m_barcode->settle();
    TQtPrinter printer(Printer);
    TPrinter* previous = SetPrinter(&printer);
    std::string error;
    bool ok = printer.BeginDoc(error);
    if (ok) {
        m_barcode->control().PrintBarCode(dpi / 2, dpi / 2);
        ok = printer.EndDoc(error);
    }
    SetPrinter(previous);
    if (!ok) Error = QString::fromStdString(error);
    return ok;
}

void LabelsWindow::openFormAction() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Form"), {}, tr("Form files (*.dfm *.ui);;All files (*)"));
    QString error;
    if (!path.isEmpty() && !loadForm(path, {}, error)) QMessageBox::warning(this, tr("Open Form"), error);
}

void LabelsWindow::saveFormAction() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Form"), {}, tr("Form files (*.dfm)"));
    QString error;
    if (!path.isEmpty() && !saveForm(path, error)) QMessageBox::warning(this, tr("Save Form"), error);
}

void LabelsWindow::exportAction() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Export"), {},
                                                      tr("PNG image (*.png);;SVG image (*.svg);;PDF document (*.pdf)"));
    QString error;
    if (!path.isEmpty() && !exportSymbol(path, error)) QMessageBox::warning(this, tr("Export"), error);
}

void LabelsWindow::printAction() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QString error;
    if (!printOn(printer, error)) QMessageBox::warning(this, tr("Print"), error);
}

void LabelsWindow::previewAction() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        QString error;
        printOn(*p, error);
    });
    preview.exec();
}

void LabelsWindow::reportPreviewAction() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Report Preview"), {}, tr("Form files (*.dfm)"));
    QString error;
    if (!path.isEmpty() && !previewReport(path, error)) QMessageBox::warning(this, tr("Report Preview"), error);
}

bool LabelsWindow::previewReport(const QString& Form, QString& Error) {
    auto job = std::make_unique<cli::ReportJob>();
    cli::ReportOptions options;
    options.form = Form.toStdString();
    if (!job->load(options)) {
        Error = tr("cannot read a report from '%1'").arg(Form);
        return false;
    }
    delete m_reportPreview;
    m_report = std::move(job);
    auto* printer = new QPrinter(QPrinter::HighResolution);
    auto* preview = new QPrintPreviewDialog(printer, this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    connect(preview, &QObject::destroyed, this, [this, printer, preview] {
        delete printer;
        if (m_reportPreview == preview) m_reportPreview = nullptr;
    });
    connect(preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        TQtPrinter device(*p);
        std::string error;
        if (m_report && !m_report->print(device, p->resolution(), error))
            QMessageBox::warning(this, tr("Report Preview"), QString::fromStdString(error));
    });
    m_reportPreview = preview;
    preview->resize(800, 900);
    preview->open();
    return true;
}

}  // namespace zorvik::labels
