#pragma once

#include <QUrl>
#include <string>

#include "documents/CDocumentEditor.h"

class QTimer;
class QWebEnginePage;
class QWebEngineView;

namespace veltrin {

// The document editor on the HTML engine: a page switched into design mode.
// It keeps a copy of the body's HTML and whether the page changed since it
// was loaded, kept current by an observer in the program's own script world;
// every read first does a bounded flush. It lives in the editor module.
class CHtmlEditor : public CDocumentEditor {
    Q_OBJECT
public:
    // How often a failed renderer is started again for one document.
    static constexpr int kRestarts = 3;

    explicit CHtmlEditor(QWidget* parent = nullptr);
    ~CHtmlEditor() override;

    bool SetDocumentHtml(const std::string& stored) override;
    bool LoadTemplateFile(const std::string& path) override;

    Body ReadBody(int waitMs = kWaitMs) override;
    // When the read does not answer in time, the last good copy of this same
    // document stands in, so a slow renderer costs at most the latest second.
    bool TakeChangedBody(std::string& html, int waitMs = kWaitMs) override;

    std::string GetBodyHtml() override;
    std::string GetBodyText(bool* ok = nullptr) override;
    std::string GetDocumentSource(bool* ok = nullptr) override;

    bool SetDesignMode(bool on) override;
    bool IsDesignMode() const override { return design_; }
    bool isLoaded() const override { return loaded_; }

    void RunCommand(int command) override;
    void PasteAtSelection(const QString& html) override;
    void SetFontName(const QString& name) override;
    void SetFontSize(int size) override;
    void InsertPicture(const QString& dataUrl) override;
    void CreateLink(const QString& address) override;
    void Find(const QString& text) override;
    bool Print(QPrinter* printer) override;
    void ClearSelection() override;

    QWebEngineView* view() const { return view_; }
    QWebEnginePage* page() const;
    QTimer* observerTimer() const { return observer_; }
    // Navigations the page refused (links, refreshes, frames, forms).
    int refusedNavigations() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool load(const QByteArray& utf8);
    QVariant evaluate(const QString& script, bool* ok = nullptr, int waitMs = kWaitMs);
    void run(const QString& script);
    void onLoadFinished(bool ok);
    void onRendererGone();
    void restart(quint64 serial);
    void refreshCopy();

    QWebEngineView* view_ = nullptr;
    QTimer* observer_ = nullptr;
    QUrl shown_;          // the document the page shows or is loading
    quint64 serial_ = 0;  // counts loads; a wait ends when its load is done or superseded
    quint64 finished_ = 0;
    quint64 document_ = 0;  // counts documents set; a restart shows the same document again
    int restarts_ = 0;      // of the renderer, for this document
    bool gaveUp_ = false;
    bool loaded_ = false;
    bool design_ = false;
    bool changed_ = false;  // sticky until the next document is set
    QString copy_;          // the body's HTML as last read
    QByteArray source_;     // what was loaded, for a renderer that has to start again
};

}  // namespace veltrin
