// The yardstick of the Diary view's first show: a bare engine page of a
// diary page's size, from making the view to the page loaded, in a program
// that links the engine. Prints the milliseconds.
#include <QApplication>
#include <QEventLoop>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>

#include "SampleData.h"
#include "documents/QtEditorModule.h"

int main(int argc, char** argv) {
    veltrin::PrepareDocumentEngine();
    QApplication app(argc, argv);
    const QString html = QString::fromStdString(veltrin::bench::makeDiary(1, 1500).front().html);
    const auto t0 = std::chrono::steady_clock::now();
    QWebEngineView view;
    auto* page = new QWebEnginePage(&view);
    view.setPage(page);
    view.resize(860, 560);
    view.show();
    QEventLoop loop;
    bool ok = false;
    QObject::connect(page, &QWebEnginePage::loadFinished, &loop, [&](bool done) {
        ok = done;
        loop.quit();
    });
    page->setHtml(html);
    loop.exec();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (!ok) return 1;
    std::printf("%.3f\n", ms);
    return 0;
}
