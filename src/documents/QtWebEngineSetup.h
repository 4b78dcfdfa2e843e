#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QWebEngineProfile;

namespace veltrin {

// The HTML engine as the document editors use it, in the editor module.
// Stored pages are the user's own diary: they may never run code, reach the
// network or read files.

// The one off-the-record profile of every editor: no cache, no downloads,
// page settings off, and only the document scheme and data: addresses let
// through. The first call registers the scheme, which the engine accepts
// until its first profile exists.
QWebEngineProfile* DocumentProfile();

// Documents reach the engine through the program's own scheme, whatever their
// size (setHtml refuses large ones). Each document gets an address of its own.
QUrl PublishDocument(const QByteArray& utf8);
void WithdrawDocument(const QUrl& url);
bool IsDocumentUrl(const QUrl& url);

// Requests the profile refused since the program started (for the tests).
int RefusedRequestCount();

}  // namespace veltrin
