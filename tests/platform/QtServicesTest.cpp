// The message boxes the program shows: what the user reads and answers.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/QtServices.h"
#include "support/ShownText.h"

using namespace veltrin;

namespace {

// Reads the next message box once it is open, then presses one of its buttons.
void AnswerNextBox(QString& shownText, QString& shownTitle, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&shownText, &shownTitle, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        shownText = test::ShownText(label);
        shownTitle = box->windowTitle();
        box->button(press)->click();
    });
}

}  // namespace

TEST(QtMessages, StoredNamesInATextAreShownAsTypedAndTheAnswerComesBack) {
    QtMessages messages;
    QString text, title;
    AnswerNextBox(text, title, QMessageBox::No);
    const std::string question = "Are you sure to remove 'a <b>b</b> & <i>c</i>' note ?";
    EXPECT_EQ(
        messages.show(question, "Note removing...", Messages::Icon::Exclamation, Messages::Buttons::YesNo),
        Messages::Answer::No);
    EXPECT_EQ(text.toStdString(), question);
    EXPECT_EQ(title, QStringLiteral("Note removing..."));

    AnswerNextBox(text, title, QMessageBox::Yes);
    EXPECT_EQ(
        messages.show(question, "Note removing...", Messages::Icon::Exclamation, Messages::Buttons::YesNo),
        Messages::Answer::Yes);

    AnswerNextBox(text, title, QMessageBox::Ok);
    messages.fileError("Cannot open template '<h1>Big</h1>' !\n Open 'Options' dialog");
    EXPECT_EQ(text.toStdString(), "Cannot open template '<h1>Big</h1>' !\n Open 'Options' dialog");
    EXPECT_EQ(title, QStringLiteral("Veltrin"));
}
