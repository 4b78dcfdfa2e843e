#include "documents/CDocumentEditor.h"

#include "documents/DocumentRules.h"
#include "platform/Platform.h"
#include "storage/StoredText.h"

namespace veltrin {

CDocumentEditor::CDocumentEditor(QWidget* parent) : QWidget(parent) {}

CDocumentEditor::~CDocumentEditor() = default;

QByteArray CDocumentEditor::Utf8OfStored(const std::string& stored) {
    return QByteArray::fromStdString(StoredTextToUtf8(stored));
}

bool CDocumentEditor::IsSafeLink(const QString& address) { return IsSafeLinkAddress(address.toStdString()); }

void CDocumentEditor::ReportStopped() {
    messages().fileError("The editor stopped working. The text written up to now is kept.");
}

}  // namespace veltrin
