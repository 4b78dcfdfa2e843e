// Painting the tree-list control: a window of rows costs the same whatever
// the number of rows behind it.
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <memory>
#include <string>

#include "Target.h"
#include "controls/CGroupTree.h"

using namespace veltrin;

namespace {

std::unique_ptr<CGroupTree> makeTree(int rows) {
    auto tree = std::make_unique<CGroupTree>();
    for (const char* title : {"Event Name", "Time", "Left", "Priority"})
        tree->InsertColumn(tree->model().ColumnCount(), title, ColumnAlign::Left, 150);
    GroupTreeModel& m = tree->model();
    const int check = m.AddCellStyle(kStyleCheck | kStyleEditable);
    for (int i = 0; i < rows; ++i) {
        const NodeHandle n = m.InsertItem(kRootNode, kInsertLast, "Event " + std::to_string(i), -1, check);
        m.SetCheck(n, 0, i % 2);
        m.SetItemText(n, 1, "Monday, 12:00");
        m.SetItemText(n, 2, "3 days");
        m.SetItemText(n, 3, std::to_string(1 + i % 10) + " of 10");
    }
    tree->resize(640, 480);
    tree->show();
    QApplication::processEvents();
    m.SelectItem(m.NodeAtRow(rows / 2), 0, true);  // the middle of the list in view
    QApplication::processEvents();
    return tree;
}

void BM_Paint(benchmark::State& state) {
    auto tree = makeTree(static_cast<int>(state.range(0)));
    QImage image(tree->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        tree->viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(BM_Paint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto t = bench::runAll(argc, argv);
    const bool ok = bench::reportTarget("tree paint 100000 rows vs 100 rows",
                                        t["BM_Paint/100000"] / t["BM_Paint/100"], 2.0);
    return ok ? 0 : 1;
}
