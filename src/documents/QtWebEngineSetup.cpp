#include "documents/QtWebEngineSetup.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <atomic>

namespace veltrin {

namespace {

const QByteArray kScheme = QByteArrayLiteral("veltrin-doc");

std::atomic<int> refused{0};

class DocumentSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    QUrl publish(const QByteArray& bytes) {
        const QString key = QString::number(++next_);
        documents_.insert(key, bytes);
        return QUrl(QString::fromLatin1(kScheme) + QStringLiteral("://doc/") + key);
    }
    void withdraw(const QUrl& url) { documents_.remove(url.path().mid(1)); }

    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const auto it = documents_.constFind(job->requestUrl().path().mid(1));
        if (it == documents_.constEnd() || job->requestUrl().host() != QLatin1String("doc")) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* buffer = new QBuffer(job);
        buffer->setData(*it);
        buffer->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html"), buffer);
    }

private:
    QHash<QString, QByteArray> documents_;
    quint64 next_ = 0;
};

// Everything but our own documents and data: pictures is refused here, even
// what the page settings already keep out.
class RequestGate : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme == QLatin1String(kScheme) || scheme == QLatin1String("data")) return;
        ++refused;
        info.block(true);
    }
};

DocumentSchemeHandler* schemeHandler = nullptr;

}  // namespace

QWebEngineProfile* DocumentProfile() {
    static QWebEngineProfile* profile = [] {
        QWebEngineUrlScheme scheme(kScheme);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
        scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme);
        QWebEngineUrlScheme::registerScheme(scheme);
        auto* p = new QWebEngineProfile(QCoreApplication::instance());  // no name: off the record
        p->setHttpCacheType(QWebEngineProfile::NoCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        p->setSpellCheckEnabled(false);
        QObject::connect(p, &QWebEngineProfile::downloadRequested,
                         [](QWebEngineDownloadRequest* download) { download->cancel(); });
        QWebEngineSettings* s = p->settings();
        for (auto attribute :
             {QWebEngineSettings::JavascriptEnabled, QWebEngineSettings::JavascriptCanOpenWindows,
              QWebEngineSettings::JavascriptCanAccessClipboard,
              QWebEngineSettings::LocalContentCanAccessRemoteUrls,
              QWebEngineSettings::LocalContentCanAccessFileUrls, QWebEngineSettings::ErrorPageEnabled,
              QWebEngineSettings::PluginsEnabled, QWebEngineSettings::PdfViewerEnabled,
              QWebEngineSettings::NavigateOnDropEnabled, QWebEngineSettings::AutoLoadIconsForPage,
              QWebEngineSettings::LocalStorageEnabled, QWebEngineSettings::HyperlinkAuditingEnabled,
              QWebEngineSettings::FullScreenSupportEnabled, QWebEngineSettings::WebGLEnabled,
              QWebEngineSettings::Accelerated2dCanvasEnabled, QWebEngineSettings::DnsPrefetchEnabled,
              QWebEngineSettings::ScreenCaptureEnabled,
              QWebEngineSettings::AllowWindowActivationFromJavaScript})
            s->setAttribute(attribute, false);
        s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
        schemeHandler = new DocumentSchemeHandler(p);
        p->installUrlSchemeHandler(kScheme, schemeHandler);
        p->setUrlRequestInterceptor(new RequestGate(p));
        return p;
    }();
    return profile;
}

QUrl PublishDocument(const QByteArray& utf8) {
    DocumentProfile();
    return schemeHandler->publish(utf8);
}

void WithdrawDocument(const QUrl& url) {
    if (schemeHandler) schemeHandler->withdraw(url);
}

bool IsDocumentUrl(const QUrl& url) {
    return url.scheme() == QLatin1String(kScheme) && url.host() == QLatin1String("doc");
}

int RefusedRequestCount() { return refused.load(); }

}  // namespace veltrin
