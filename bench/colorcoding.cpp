// The whole-document colouring pass of a document window on large pages, beside loading the
// same text uncoloured, in one run. Qt runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "documents/colouring/colorcoding.h"
#include "documents/docfile.h"
#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "benchsupport.h"
#include "mainwindow/mdiMain.h"

using namespace kavrin;

namespace {

QString pageText(qsizetype bytes) {
    QString page = QStringLiteral("<html>\r\n<head>\r\n<title>Catalogue</title>\r\n</head>\r\n<body bgcolor=\"#ffffff\">\r\n<table border=\"0\" width=\"100%\">\r\n");
    for (int row = 0; page.size() < bytes; ++row) {
        page += QStringLiteral(
                    "<tr>\r\n"
                    "  <td class=\"name\"><a href=\"page%1.html\">Item %1</a></td>\r\n"
                    "  <td align=\"right\"><font color=\"#336699\">%1.50</font></td>\r\n"
                    "  <td><img src=\"images/icon%1.gif\" width=\"16\" height=\"16\" alt=\"\"></td>\r\n"
                    "</tr>\r\n"
                    "<!-- row %1 -->\r\n"
                    "<p>Some text with <b>bold</b> and <i>italic</i> words, <form><input type=\"text\"></form></p>\r\n")
                    .arg(row);
    }
    page += QStringLiteral("</table>\r\n</body>\r\n</html>\r\n");
    return page;
}

DocumentWindow* benchDocument() {
    static DocumentWindow* doc = nullptr;
    if (!doc) {
        resetProgramState();
        fontName = "Monospace";
        fontSize = 10;
        tagColor = 0xA00000;
        commentColor = 0x808080;
        tableColor = 0x80;
        imageColor = 0x8000;
        anchorColor = 0xFF8000;
        fontColor = 0x408080;
        formColor = 0x808040;
        unrecognizedColor = 0xFF;
        kavrin::bench::quietStart();
        mainWindow = new mdiMain();
        mainWindow->show();
        newDocument();
        doc = activeDocument();
    }
    return doc;
}

void colorCodePass(benchmark::State& state) {
    DocumentWindow* doc = benchDocument();
    const QString page = pageText(state.range(0) * 1024 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        ignoreChange = true;
        doc->txtMain->setText(page);
        ignoreChange = false;
        QApplication::processEvents();
        state.ResumeTiming();
        colorCodeDocument(doc);
        QApplication::processEvents();
    }
    if (doc->txtMain->tag != "T") state.SkipWithError("colouring failed");
}

void loadUncoloured(benchmark::State& state) {
    DocumentWindow* doc = benchDocument();
    const QString page = pageText(state.range(0) * 1024 * 1024);
    for (auto _ : state) {
        state.PauseTiming();
        ignoreChange = true;
        doc->txtMain->setText(QString());
        QApplication::processEvents();
        state.ResumeTiming();
        doc->txtMain->setText(page);
        QApplication::processEvents();
        state.PauseTiming();
        ignoreChange = false;
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(colorCodePass)->ArgName("MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(loadUncoloured)->ArgName("MB")->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
