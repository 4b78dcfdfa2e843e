#include "documents/CMissingEditor.h"

#include <QLabel>
#include <QVBoxLayout>

namespace veltrin {

CMissingEditor::CMissingEditor(const QString& why, QWidget* parent) : CDocumentEditor(parent) {
    auto* text = new QLabel(Explanation(why), this);
    text->setObjectName(QStringLiteral("missingEditor"));
    text->setTextFormat(Qt::PlainText);  // the reason holds a path, never markup
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

QString CMissingEditor::Explanation(const QString& why) {
    return QStringLiteral(
               "The editor of Diary and Notes cannot be loaded: %1\n"
               "Pages and notes are kept as they are.")
        .arg(why);
}

std::string CMissingEditor::GetBodyText(bool* ok) {
    if (ok) *ok = false;
    return {};
}

std::string CMissingEditor::GetDocumentSource(bool* ok) {
    if (ok) *ok = false;
    return {};
}

bool CMissingEditor::SetDesignMode(bool on) {
    design_ = on;
    return false;
}

}  // namespace veltrin
