// The choreography reader:
//   import_sd_ms: an Sd file of 1,000 sequences imported into cards (median of 5);
//   card_step_ms: Page Down to the next card painted in the reader (median of 200).

#include "cardimport.h"
#include "reader.h"
#include "scriptedprompter.h"
#include "tempdatafolder.h"

#include "benchfigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace hoedeck;
using namespace hoedeck::testing;

namespace {
// Sd's printed output: a form feed and a header above each sequence, calls double-spaced, a
// warning and a formation picture among them, the resolve last.
QByteArray sdFile(int sequences) {
    QByteArray out = "\n";
    for (int i = 0; i < sequences; ++i) {
        out += "\f\nSat Nov 14 19:32:11 2026     Sd39.82:db39.82     Plus\n";
        out += "Practice session  #" + QByteArray::number(i) + "\n\n";
        for (int call = 0; call < 14; ++call)
            out += "HEADS square thru 4\n\n";
        out += "  Warning:  Dancers are not in a legal formation\n\n    4B>   3G<   2B^\n\n";
        out += "right and left grand  (at home)\n\n";
    }
    return out;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempDataFolder data;
    data.write("big.sd", sdFile(1000));

    std::vector<double> imports;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        reader::importCards(data.path("big.sd"), data.path("cards"),
                            QStringLiteral("run%1").arg(run), reader::ImportFormat::Sd);
        imports.push_back(double(timer.nsecsElapsed()) / 1e6);
    }

    ScriptedPrompter prompter;
    ReaderWindow reader(data.folder(), prompter);
    reader.resize(1280, 900);
    reader.show();
    if (!QTest::qWaitForWindowExposed(&reader))
        return 1;
    reader.desk().loadBox(1, data.path("cards/run0/seq_000.txt"));
    reader.showBox(1);
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(reader.ListBox2(), Qt::Key_PageDown);
        reader.repaint(); // painted, not only asked for
        steps.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    if (reader.desk().viewCaption() != "run0/seq_200.txt") {
        std::fprintf(stderr, "bench_reader: paging ended at %s\n",
                     qPrintable(reader.desk().viewCaption()));
        return 1;
    }
    std::printf("import_sd_ms: %.1f\n", median(imports));
    std::printf("card_step_ms: %.2f\n", median(steps));
    return 0;
}
