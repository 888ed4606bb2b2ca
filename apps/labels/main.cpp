// zorvik-labels [--form FILE [--name OBJECT]] [--db FILE [--sql QUERY]] [--row N] [--screenshot FILE] [--print FILE]
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>

#include <cstdio>
#include <set>
#include <string>

#include "apps/labels/labelswindow.h"
#include "platform/forms.h"

namespace {

int fail(const QString& Text) {
    std::fprintf(stderr, "zorvik-labels: %s\n", Text.toLocal8Bit().constData());
    return 1;
}

// A file of the demo: beside the working folder, else in the source tree.
QString demoFile(const QString& Name) {
    const QString here = "demo/" + Name;
    return QFileInfo(here).isFile() ? here : QStringLiteral(ZORVIK_SOURCE_DIR "/demo/") + Name;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("zorvik-labels");
    QApplication::setApplicationDisplayName("Zorvik Labels");

    QCommandLineParser parser;
    parser.setApplicationDescription("Zorvik Labels: barcode labels from a product table.");
    parser.addHelpOption();
    const QCommandLineOption form("form", "Read the barcode control from the form FILE: a form file, or a Qt Designer form (.ui) (default: demo/label.dfm).", "FILE");
    const QCommandLineOption name("name", "The object of the form to read (default: the first barcode control).", "OBJECT");
    const QCommandLineOption db("db", "The SQLite FILE, or postgresql:// URI, whose rows drive the caption (default: demo/products.sqlite).", "FILE|URI");
    const QCommandLineOption sql("sql", "The QUERY whose rows are shown (default: the whole first table).", "QUERY");
    const QCommandLineOption row("row", "Make record N (from 1) current.", "N");
    const QCommandLineOption report("report", "Open a preview of the pages of the banded report in the form FILE.", "FILE");
    const QCommandLineOption screenshot(
        "screenshot", "Write a PNG of the window (or of the report preview) once it has settled, and exit.", "FILE");
    const QCommandLineOption print("print", "Print the label into the PDF FILE, and exit.", "FILE");
    parser.addOptions({form, name, db, sql, row, report, screenshot, print});
    if (!parser.parse(QApplication::arguments())) return fail(parser.errorText());
    if (parser.isSet("help")) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail("unexpected argument '" + parser.positionalArguments().first() + "'");
    if (parser.isSet(name) && !parser.isSet(form)) return fail("--name needs --form");
    if (parser.isSet(sql) && !parser.isSet(db)) return fail("--sql needs --db");
    int rowNumber = 0;
    if (parser.isSet(row)) {
        bool ok = false;
        rowNumber = parser.value(row).toInt(&ok);
        if (!ok || rowNumber < 1) return fail("--row expects a whole number from 1, got '" + parser.value(row) + "'");
    }
    const bool scripted = parser.isSet(screenshot) || parser.isSet(print);

    zorvik::labels::LabelsWindow window;
    if (scripted) {
        // Nobody is there to close a message box: messages go to standard error.
        zorvik::Application().setMessageHandler([](const std::string& Text, const std::string&, int) {
            // Settling paints repeat a message; say it once.
            static std::set<std::string> said;
            if (said.insert(Text).second) std::fprintf(stderr, "zorvik-labels: %s\n", Text.c_str());
            return zorvik::IDOK;
        });
    }
    QString error;
    const QString formFile = parser.isSet(form) ? parser.value(form) : demoFile("label.dfm");
    if ((parser.isSet(form) || QFileInfo(formFile).isFile()) && !window.loadForm(formFile, parser.value(name), error))
        return fail(error);
    const QString dbFile = parser.isSet(db) ? parser.value(db) : demoFile("products.sqlite");
    if (!window.openDatabase(dbFile, parser.value(sql), error)) return fail(error);
    if (rowNumber > 0 && !window.selectRow(rowNumber, error)) return fail(error);

    window.resize(1000, 640);
    window.show();
    if (parser.isSet(report) && !window.previewReport(parser.value(report), error)) return fail(error);
    if (!scripted) return QApplication::exec();

    // Once the first paints have settled.
    int status = 0;
    QTimer::singleShot(0, [&] {
        window.barcode().settle();
        for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
        if (parser.isSet(print)) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(parser.value(print));
            QString printError;
            if (!window.printOn(printer, printError)) status = fail(printError);
        }
        QWidget* shown = window.reportPreview() != nullptr ? window.reportPreview() : &window;
        if (parser.isSet(screenshot) && !shown->grab().save(parser.value(screenshot), "PNG"))
            status = fail("cannot write '" + parser.value(screenshot) + "'");
        QApplication::exit(status);
    });
    return QApplication::exec();
}
