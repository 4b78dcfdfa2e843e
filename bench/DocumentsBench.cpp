// The Diary view on the real engine: switching between two large pages
// against loading the same HTML into a bare engine page, and the window's
// start with 3 000 diary pages against an empty Diary.dat, in the same run.
#include <QApplication>
#include <QEventLoop>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "Target.h"
#include "app/AppData.h"
#include "app/CMainDialog.h"
#include "contacts/ContactRecords.h"
#include "controls/CGroupTree.h"
#include "documents/CDiaryView.h"
#include "documents/DocumentRecords.h"
#include "documents/QtEditorModule.h"
#include "events/EventRecords.h"
#include "platform/ModuleFolder.h"
#include "platform/QtServices.h"
#include "settings/AppSettings.h"
#include "settings/ViewIndex.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

// A page of about `bytes` bytes of paragraphs.
std::string Page(const std::string& word, std::size_t bytes) {
    std::string html = "<body>";
    for (int i = 0; html.size() < bytes; ++i)
        html += "<p>" + word + " " + std::to_string(i) +
                ": a long walk by the river, then tea and a letter to an old friend.</p>";
    return html + "</body>";
}

// A program folder of the benchmark's own with the shipped templates.
fs::path MakeFolder(const std::string& name) {
    const fs::path root =
        fs::temp_directory_path() / ("veltrin-bench-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "data");
    fs::copy(VELTRIN_TEMPLATE_SOURCE, root / "template", fs::copy_options::recursive);
    return root;
}

void UseFolder(const fs::path& root) { SetExecutablePathForTesting((root / "veltrin").string()); }

struct Folders {
    fs::path switching = MakeFolder("switch");
    fs::path empty = MakeFolder("empty");
    fs::path full = MakeFolder("full");
    ~Folders() {
        SetExecutablePathForTesting("");
        for (const fs::path& p : {switching, empty, full}) fs::remove_all(p);
    }
};
Folders* folders = nullptr;

void BM_DiaryPageSwitch(benchmark::State& state) {
    UseFolder(folders->switching);
    AppSettings settings;
    ApplySettingsDefaults(settings);
    DiaryTable table = {{"2024, March 01", Page("Monday", 200'000), 1'709'247'600, 0},
                        {"2024, March 02", Page("Tuesday", 200'000), 1'709'334'000, 1}};
    CDiaryView view(table, settings);
    view.resize(1000, 700);
    view.show();
    GroupTreeModel& list = view.tree()->model();
    const NodeHandle pages[2] = {list.GetNextItem(kRootNode, kFirstChild),
                                 list.GetNextItem(kRootNode, kLastChild)};
    int next = 0;
    for (auto _ : state) {
        list.SelectItem(pages[next], 0);
        next ^= 1;
    }
    if (view.currentNode() != pages[next ^ 1]) state.SkipWithError("the page did not switch");
}

void BM_BareEnginePageLoad(benchmark::State& state) {
    const QString pages[2] = {QString::fromStdString(Page("Monday", 200'000)),
                              QString::fromStdString(Page("Tuesday", 200'000))};
    QWebEngineView view;
    auto* page = new QWebEnginePage(&view);
    view.setPage(page);
    view.resize(860, 560);
    view.show();
    int next = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(page, &QWebEnginePage::loadFinished, &loop, &QEventLoop::quit);
        page->setHtml(pages[next]);
        loop.exec();
        next ^= 1;
    }
}

void WriteData(const fs::path& root, int pages) {
    UseFolder(root);
    AppSettings s;
    ApplySettingsDefaults(s);
    s.currentView = kDiaryView;
    SerializeSettings(s, true);
    DiaryTable diary;
    for (int i = 0; i < pages; ++i) {
        const std::int32_t date = 946'684'800 + i * 86'400;
        diary.push_back(
            {"Day " + std::to_string(i), Page("Day " + std::to_string(i), 1'500), date, i == pages - 1});
    }
    SerializeDiaryFile(diary, true);
    NoteTable notes;
    SerializeNotesFile(notes, true);
    EventStore events;
    SerializeEventsFile(events, true);
    ContactStore contacts;
    SerializeContactsFile(contacts, true);
}

// From reading the data files to the window shown on the Diary view with the
// current page loaded; the save on the way out is not timed.
void BM_StartUp(benchmark::State& state) {
    UseFolder(state.range(0) ? folders->full : folders->empty);
    for (auto _ : state) {
        auto data = std::make_unique<AppData>();
        LoadAll(*data);
        auto dialog = std::make_unique<CMainDialog>(*data, QStringList{QStringLiteral("veltrin")});
        dialog->show();
        QApplication::processEvents();
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_DiaryPageSwitch)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BareEnginePageLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StartUp)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv(kEditorModuleVariable, VELTRIN_EDITOR_MODULE_FILE);
    PrepareDocumentEngine();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    Folders f;
    folders = &f;
    // The start registers the program to run at log-in: keep that in here.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((f.empty / "config").string()));
    QtServices services;
    WriteData(f.empty, 0);
    WriteData(f.full, 3000);
    CMainDialog::SetTrayAvailableForTesting(0);
    auto t = bench::runAll(argc, argv);
    bool ok = bench::reportTarget(
        "diary page switch 200 KB vs bare engine page load",
        t["BM_DiaryPageSwitch/min_time:2.000"] / t["BM_BareEnginePageLoad/min_time:2.000"], 2.0);
    ok = bench::reportTarget("start-up 3000 diary pages vs empty Diary.dat",
                             t["BM_StartUp/1/min_time:3.000"] / t["BM_StartUp/0/min_time:3.000"], 1.3) &&
         ok;
    folders = nullptr;
    return ok ? 0 : 1;
}
