#include "documents/CHtmlEditor.h"

#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include "documents/DocumentRules.h"
#include "documents/QtWebEngineSetup.h"
#include "storage/QtStoredText.h"

namespace veltrin {

namespace {

constexpr quint32 kWorld = QWebEngineScript::ApplicationWorld;

// Ahead of every document: its character set, and a policy that lets no
// script run and nothing load but our own documents and embedded pictures.
const QByteArray kDocumentHead = QByteArrayLiteral(
    "<meta charset=\"utf-8\"><meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
    "img-src data: veltrin-doc:; style-src 'unsafe-inline' veltrin-doc:; font-src data:\">");

// Runs in our own world only: notes any change of the document.
const char kObserver[] = R"(
(function() {
  if (window.__veltrin) return;
  var state = { changed: false };
  window.__veltrin = state;
  new MutationObserver(function() { state.changed = true; })
    .observe(document, { subtree: true, childList: true, attributes: true, characterData: true });
})();
)";

QString JsString(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c.unicode() < 0x20 || c.unicode() == 0x2028 || c.unicode() == 0x2029) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out + QLatin1Char('"');
}

// Loads only what the editor itself asks for: no links, redirects, meta
// refresh, forms, history or frames, and no new windows.
class DocumentPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    QUrl allowed;
    int refusedNavigations = 0;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
        if (!isMainFrame || allowed.isEmpty() || url != allowed) {
            ++refusedNavigations;
            return false;
        }
        allowed.clear();
        return true;
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}
};

// Offers editing actions only.
class DocumentView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        QMenu menu(this);
        for (auto action : {QWebEnginePage::Undo, QWebEnginePage::Redo, QWebEnginePage::Cut,
                            QWebEnginePage::Copy, QWebEnginePage::Paste, QWebEnginePage::SelectAll}) {
            if (action == QWebEnginePage::Cut || action == QWebEnginePage::SelectAll) menu.addSeparator();
            menu.addAction(page()->action(action));
        }
        menu.exec(event->globalPos());
    }
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override { return nullptr; }
};

}  // namespace

CHtmlEditor::CHtmlEditor(QWidget* parent) : CDocumentEditor(parent) {
    view_ = new DocumentView(this);
    auto* page = new DocumentPage(DocumentProfile(), view_);
    view_->setPage(page);
    QWebEngineScript observer;
    observer.setName(QStringLiteral("veltrin-observer"));
    observer.setSourceCode(QString::fromLatin1(kObserver));
    observer.setWorldId(kWorld);
    observer.setInjectionPoint(QWebEngineScript::DocumentReady);
    observer.setRunsOnSubFrames(false);
    page->scripts().insert(observer);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);

    connect(page, &QWebEnginePage::loadFinished, this, &CHtmlEditor::onLoadFinished);
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                if (status != QWebEnginePage::NormalTerminationStatus) onRendererGone();
            });
    // The copy follows the page while it can be edited, so only while the
    // editor is on screen (not hidden, its window not minimized).
    observer_ = new QTimer(this);
    observer_->setObjectName(QStringLiteral("observer"));
    observer_->setInterval(1000);
    connect(observer_, &QTimer::timeout, this, &CHtmlEditor::refreshCopy);
}

void CHtmlEditor::showEvent(QShowEvent* event) {
    CDocumentEditor::showEvent(event);
    observer_->start();
}

void CHtmlEditor::hideEvent(QHideEvent* event) {
    CDocumentEditor::hideEvent(event);
    observer_->stop();
}

CHtmlEditor::~CHtmlEditor() {
    if (!shown_.isEmpty()) WithdrawDocument(shown_);
}

QWebEnginePage* CHtmlEditor::page() const { return view_->page(); }

int CHtmlEditor::refusedNavigations() const { return static_cast<DocumentPage*>(page())->refusedNavigations; }

bool CHtmlEditor::SetDocumentHtml(const std::string& stored) {
    ++document_;
    restarts_ = 0;
    gaveUp_ = false;
    changed_ = false;
    copy_.clear();
    return load(Utf8OfStored(stored));
}

bool CHtmlEditor::LoadTemplateFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    return SetDocumentHtml(file.readAll().toStdString());
}

bool CHtmlEditor::load(const QByteArray& utf8) {
    source_ = utf8;
    const QUrl url = PublishDocument(kDocumentHead + utf8);
    const QUrl previous = shown_;
    shown_ = url;
    loaded_ = false;
    const quint64 mine = ++serial_;
    static_cast<DocumentPage*>(page())->allowed = url;
    page()->load(url);
    if (!previous.isEmpty()) WithdrawDocument(previous);
    if (finished_ < mine) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &CHtmlEditor::documentLoaded, &loop, [&] {
            if (finished_ >= mine || serial_ != mine) loop.quit();
        });
        deadline.start(kWaitMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return serial_ == mine && loaded_;
}

void CHtmlEditor::onLoadFinished(bool ok) {
    if (page()->url() != shown_ && page()->requestedUrl() != shown_) return;  // an old load ending late
    finished_ = serial_;
    loaded_ = ok;
    // The engine forgets design mode with every document.
    if (ok)
        run(design_ ? QStringLiteral("document.designMode='on'")
                    : QStringLiteral("document.designMode='off'"));
    emit documentLoaded(ok);
}

void CHtmlEditor::onRendererGone() {
    // Nothing can be read from the page now: every wait on it ends at once.
    loaded_ = false;
    finished_ = serial_;
    emit documentLoaded(false);
    if (gaveUp_) return;
    // Started again from the event loop, never from inside a wait, so a
    // renderer that fails again does not nest one wait in another.
    QTimer::singleShot(0, this, [this, serial = serial_] { restart(serial); });
}

void CHtmlEditor::restart(quint64 serial) {
    if (serial != serial_ || gaveUp_) return;  // the page has moved on since
    if (++restarts_ > kRestarts) {
        gaveUp_ = true;
        ReportStopped();
        return;
    }
    // An edited page starts again from its last good copy, which stays marked
    // changed; an unedited one from what was loaded, so it keeps its bytes.
    load(changed_ && !copy_.isEmpty() ? copy_.toUtf8() : source_);
}

QVariant CHtmlEditor::evaluate(const QString& script, bool* ok, int waitMs) {
    if (ok) *ok = false;
    if (!loaded_) return {};
    struct Result {
        bool done = false;
        QVariant value;
    };
    auto result = std::make_shared<Result>();
    QEventLoop loop;
    QPointer<QEventLoop> guard(&loop);
    page()->runJavaScript(script, kWorld, [result, guard](const QVariant& v) {
        result->done = true;
        result->value = v;
        if (guard) guard->quit();
    });
    if (!result->done) {
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        // A page that failed or was replaced never answers.
        connect(this, &CHtmlEditor::documentLoaded, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (ok) *ok = result->done;
    return result->value;
}

void CHtmlEditor::run(const QString& script) { page()->runJavaScript(script, kWorld); }

CHtmlEditor::Body CHtmlEditor::ReadBody(int waitMs) {
    Body body;
    const QUrl url = shown_;
    bool done = false;
    const QVariantMap m =
        evaluate(QStringLiteral(
                     "(function(){var "
                     "s=window.__veltrin;if(!s||!document.body||document.readyState!=='complete')return null;"
                     "return {url:location.href,changed:s.changed,html:document.body.outerHTML};})()"),
                 &done, waitMs)
            .toMap();
    // Only a read of this very document, fully loaded, counts.
    if (!done || m.isEmpty() || url != shown_ || !loaded_ ||
        QUrl(m.value(QStringLiteral("url")).toString()) != url)
        return body;
    const QString html = m.value(QStringLiteral("html")).toString();
    if (html.isEmpty()) return body;
    if (m.value(QStringLiteral("changed")).toBool()) changed_ = true;
    copy_ = html;
    body.ok = true;
    body.changed = changed_;
    body.html = ToStored(html);
    return body;
}

void CHtmlEditor::refreshCopy() {
    if (!loaded_ || !design_ || !isVisible()) return;
    page()->runJavaScript(
        QStringLiteral("(function(){var s=window.__veltrin;if(!s||!s.changed||!document.body)"
                       "return null;return {url:location.href,html:document.body.outerHTML};})()"),
        kWorld, [this, url = shown_](const QVariant& v) {
            const QVariantMap m = v.toMap();
            if (m.isEmpty() || url != shown_ || !loaded_ ||
                QUrl(m.value(QStringLiteral("url")).toString()) != url)
                return;
            const QString html = m.value(QStringLiteral("html")).toString();
            if (html.isEmpty()) return;
            changed_ = true;
            copy_ = html;
        });
}

bool CHtmlEditor::TakeChangedBody(std::string& html, int waitMs) {
    const quint64 document = document_;
    const Body body = ReadBody(waitMs);
    if (!body.ok) {
        if (document != document_ || !changed_ || copy_.isEmpty()) return false;
        html = ToStored(copy_);
        return true;
    }
    if (!body.changed || body.html.empty()) return false;
    html = body.html;
    return true;
}

std::string CHtmlEditor::GetBodyHtml() {
    const Body body = ReadBody();
    return body.ok ? body.html : std::string();
}

std::string CHtmlEditor::GetBodyText(bool* ok) {
    bool done = false;
    const QVariant v = evaluate(QStringLiteral("document.body?document.body.innerText:''"), &done);
    if (ok) *ok = done;
    return done ? ToStored(v.toString()) : std::string();
}

std::string CHtmlEditor::GetDocumentSource(bool* ok) {
    bool done = false;
    const QVariant v =
        evaluate(QStringLiteral("'<!DOCTYPE html>\\n'+document.documentElement.outerHTML"), &done);
    if (ok) *ok = done;
    return done ? ToStored(v.toString()) : std::string();
}

bool CHtmlEditor::SetDesignMode(bool on) {
    design_ = on;
    if (!loaded_) return false;
    bool ok = false;
    evaluate(on ? QStringLiteral("document.designMode='on'") : QStringLiteral("document.designMode='off'"),
             &ok);
    return ok;
}

void CHtmlEditor::RunCommand(int command) {
    QWebEnginePage* p = page();
    switch (command) {
    case kDocCut: p->triggerAction(QWebEnginePage::Cut); break;
    case kDocCopy: p->triggerAction(QWebEnginePage::Copy); break;
    case kDocPaste: p->triggerAction(QWebEnginePage::Paste); break;
    case kDocSelectAll: p->triggerAction(QWebEnginePage::SelectAll); break;
    case kDocBold: p->triggerAction(QWebEnginePage::ToggleBold); break;
    case kDocItalic: p->triggerAction(QWebEnginePage::ToggleItalic); break;
    case kDocUnderline: p->triggerAction(QWebEnginePage::ToggleUnderline); break;
    case kDocStrikeOut: p->triggerAction(QWebEnginePage::ToggleStrikethrough); break;
    case kDocAlignLeft: p->triggerAction(QWebEnginePage::AlignLeft); break;
    case kDocCenter: p->triggerAction(QWebEnginePage::AlignCenter); break;
    case kDocAlignRight: p->triggerAction(QWebEnginePage::AlignRight); break;
    // The bullets button has always made a numbered list.
    case kDocBullets: p->triggerAction(QWebEnginePage::InsertOrderedList); break;
    case kDocHorizontalLine:
        run(QStringLiteral("document.execCommand('insertHorizontalRule',false,'')"));
        break;
    default: break;
    }
}

void CHtmlEditor::PasteAtSelection(const QString& html) {
    run(QStringLiteral("document.execCommand('insertHTML',false,%1)").arg(JsString(html)));
}

void CHtmlEditor::SetFontName(const QString& name) {
    run(QStringLiteral("document.execCommand('fontName',false,%1)").arg(JsString(name)));
}

void CHtmlEditor::SetFontSize(int size) {
    run(QStringLiteral("document.execCommand('fontSize',false,'%1')").arg(size));
}

void CHtmlEditor::InsertPicture(const QString& dataUrl) {
    if (!dataUrl.startsWith(QLatin1String("data:"))) return;
    run(QStringLiteral("document.execCommand('insertImage',false,%1)").arg(JsString(dataUrl)));
}

void CHtmlEditor::CreateLink(const QString& address) {
    if (address.isEmpty() || !IsSafeLink(address)) return;
    run(QStringLiteral("document.execCommand('createLink',false,%1)").arg(JsString(address)));
}

void CHtmlEditor::Find(const QString& text) { page()->findText(text); }

bool CHtmlEditor::Print(QPrinter* printer) {
    bool result = false, done = false;
    QEventLoop loop;
    QMetaObject::Connection c = connect(view_, &QWebEngineView::printFinished, &loop, [&](bool ok) {
        result = ok;
        done = true;
        loop.quit();
    });
    view_->print(printer);
    if (!done) {
        QTimer::singleShot(kWaitMs * 3, &loop, &QEventLoop::quit);
        connect(this, &CHtmlEditor::documentLoaded, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(c);
    return result;
}

void CHtmlEditor::ClearSelection() { run(QStringLiteral("window.getSelection().removeAllRanges()")); }

}  // namespace veltrin
