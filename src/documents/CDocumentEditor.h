#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <string>

class QPrinter;

namespace veltrin {

// The document editor of the Diary and Notes views as they use it. The one
// on the HTML engine lives in a module of its own (CHtmlEditor), loaded when
// a page is first needed, so a program that sits in the tray never maps the
// engine's libraries. Every read is synchronous: it waits a bounded time.
class CDocumentEditor : public QWidget {
    Q_OBJECT
public:
    // How long a load or a read may take before it counts as failed.
    static constexpr int kWaitMs = 20000;
    // How long the flush on the way out may hold up the end of the program.
    static constexpr int kExitWaitMs = 2000;

    explicit CDocumentEditor(QWidget* parent = nullptr);
    ~CDocumentEditor() override;

    // Shows a stored text (a body's outer HTML or a whole document; old
    // Windows-1252 bytes are decoded). True once the page has loaded.
    virtual bool SetDocumentHtml(const std::string& stored) = 0;
    // Shows a template's start document from its file.
    virtual bool LoadTemplateFile(const std::string& path) = 0;

    // The body as the page holds it now. ok is false when the page is still
    // loading, failed to load, or could not be read: such a read must never
    // overwrite a record.
    struct Body {
        bool ok = false;
        bool changed = false;  // since the document was loaded
        std::string html;
    };
    virtual Body ReadBody(int waitMs = kWaitMs) = 0;
    // The text to commit into the record the page was loaded from: true only
    // for a successful, non-empty read of a page changed since its load.
    virtual bool TakeChangedBody(std::string& html, int waitMs = kWaitMs) = 0;

    virtual std::string GetBodyHtml() = 0;
    // ok, when given, tells a failed or timed-out read from an empty page.
    virtual std::string GetBodyText(bool* ok = nullptr) = 0;
    virtual std::string GetDocumentSource(bool* ok = nullptr) = 0;

    virtual bool SetDesignMode(bool on) = 0;
    virtual bool IsDesignMode() const = 0;
    virtual bool isLoaded() const = 0;

    // The editing commands (the view checks design mode first).
    virtual void RunCommand(int command) = 0;
    virtual void PasteAtSelection(const QString& html) = 0;
    virtual void SetFontName(const QString& name) = 0;
    virtual void SetFontSize(int size) = 0;
    virtual void InsertPicture(const QString& dataUrl) = 0;
    virtual void CreateLink(const QString& address) = 0;
    virtual void Find(const QString& text) = 0;
    // Prints the page and waits until it has been drawn.
    virtual bool Print(QPrinter* printer) = 0;
    // Select all, then clear the selection.
    virtual void ClearSelection() = 0;

signals:
    void documentLoaded(bool ok);

protected:
    // What the module needs of the program's rules and services, reached
    // through this class so the module links nothing but Qt.
    static QByteArray Utf8OfStored(const std::string& stored);
    static bool IsSafeLink(const QString& address);
    static void ReportStopped();
};

}  // namespace veltrin
