// Building the tag tree from the shipped html.dat: reading and cutting the file, then the shown
// tree filled and painted; beside it a plain QTreeWidget given the same nodes one by one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <memory>

#include "panes/resourcetree.h"
#include "panes/tagdata.h"
#include "platform/files/textfile.h"

using namespace kavrin;

namespace {

// The build puts the data files beside the program, one folder above the benchmarks.
QString dataFile() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../html.dat"); }

TreeBuild readAndCut() {
    const TextFileResult file = readTextFile(dataFile());
    QSet<QString> keys{QStringLiteral("custom")};
    return tagNodesFromData(file.text, &keys);
}

void tagTreeParse(benchmark::State& state) {
    qsizetype nodes = 0;
    for (auto _ : state) nodes = readAndCut().nodes.size();
    state.counters["nodes"] = double(nodes);
}

// What the HTML tab's first choice does: read, cut, fill the shown tree, open the root, paint.
void tagTreeShown(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<ResourceTree>();
        tree->resize(200, 600);
        tree->show();
        QApplication::processEvents();
        state.ResumeTiming();
        const TreeBuild build = readAndCut();
        const QVector<QTreeWidgetItem*> made = tree->addNodes(build.nodes);
        made.first()->setExpanded(true);
        tree->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        if (!build.error.isEmpty()) state.SkipWithError("html.dat did not build");
        tree.reset();
        state.ResumeTiming();
    }
}

// The floor: the same nodes (cut beforehand) put into a plain QTreeWidget as plain Qt code would.
void plainQtTree(benchmark::State& state) {
    const TreeBuild build = readAndCut();
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<QTreeWidget>();
        tree->setHeaderHidden(true);
        tree->resize(200, 600);
        tree->show();
        QApplication::processEvents();
        state.ResumeTiming();
        QVector<QTreeWidgetItem*> made;
        made.reserve(build.nodes.size());
        for (const TreeNodeData& entry : build.nodes) {
            auto* item = entry.parent < 0 ? new QTreeWidgetItem(tree.get()) : new QTreeWidgetItem(made[entry.parent]);
            item->setText(0, entry.text);
            made << item;
        }
        made.first()->setExpanded(true);
        tree->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(tagTreeParse)->Unit(benchmark::kMillisecond);
BENCHMARK(tagTreeShown)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(plainQtTree)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
