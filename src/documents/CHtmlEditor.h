#pragma once

#include <QUrl>
#include <QWidget>
#include <string>

class QPrinter;
class QTimer;
class QWebEnginePage;
class QWebEngineView;

namespace veltrin {

// The document editor of the Diary and Notes views: an HTML page switched
// into design mode. It keeps a copy of the body's HTML and whether the page
// changed since it was loaded, kept current by an observer in the
// program's own script world; every read first does a bounded flush, so
// callers see a synchronous editor.
class CHtmlEditor : public QWidget {
    Q_OBJECT
public:
    // How long a load or a read may take before it counts as failed.
    static constexpr int kWaitMs = 20000;
    // How long the flush on the way out may hold up the end of the program.
    static constexpr int kExitWaitMs = 2000;
    // How often a failed renderer is started again for one document.
    static constexpr int kRestarts = 3;

    explicit CHtmlEditor(QWidget* parent = nullptr);
    ~CHtmlEditor() override;

    // Shows a stored text (a body's outer HTML or a whole document; old
    // Windows-1252 bytes are decoded). True once the page has loaded.
    bool SetDocumentHtml(const std::string& stored);
    // Shows a template's start document from its file.
    bool LoadTemplateFile(const std::string& path);

    // The body as the page holds it now. ok is false when the page is still
    // loading, failed to load, or could not be read: such a read must never
    // overwrite a record.
    struct Body {
        bool ok = false;
        bool changed = false;  // since the document was loaded
        std::string html;
    };
    Body ReadBody(int waitMs = kWaitMs);
    // The text to commit into the record the page was loaded from: true only
    // for a successful, non-empty read of a page changed since its load.
    // When the read does not answer in time, the last good copy of this same
    // document stands in, so a slow renderer costs at most the latest second.
    bool TakeChangedBody(std::string& html, int waitMs = kWaitMs);

    std::string GetBodyHtml();
    // ok, when given, tells a failed or timed-out read from an empty page.
    std::string GetBodyText(bool* ok = nullptr);
    std::string GetDocumentSource(bool* ok = nullptr);

    bool SetDesignMode(bool on);
    bool IsDesignMode() const { return design_; }

    // The editing commands (the view checks design mode first).
    void RunCommand(int command);
    void PasteAtSelection(const QString& html);
    void SetFontName(const QString& name);
    void SetFontSize(int size);
    void InsertPicture(const QString& dataUrl);
    void CreateLink(const QString& address);
    void Find(const QString& text);
    // Prints the page and waits until it has been drawn.
    bool Print(QPrinter* printer);
    // Select all, then clear the selection.
    void ClearSelection();

    QWebEngineView* view() const { return view_; }
    QWebEnginePage* page() const;
    bool isLoaded() const { return loaded_; }
    QTimer* observerTimer() const { return observer_; }
    // Navigations the page refused (links, refreshes, frames, forms).
    int refusedNavigations() const;

signals:
    void documentLoaded(bool ok);

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
