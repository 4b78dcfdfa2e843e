#pragma once

#include <QLabel>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace veltrin::test {

// The text a label puts on the screen, markup read as Qt reads it: the plain
// text of the document the label lays out.
inline QString ShownText(QLabel* label) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);  // lays the text out in a document
    label->sizeHint();
    const auto* document = label->findChild<QTextDocument*>();
    return document ? document->toPlainText() : QStringLiteral("(no document)");
}

// The text a tool tip shows: it reads markup where it finds some.
inline QString ShownToolTip(const QString& tip) {
    return Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
}

}  // namespace veltrin::test
