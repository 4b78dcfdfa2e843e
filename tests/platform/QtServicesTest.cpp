// The services the program installs: message boxes, the shell, the sound, the help window.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/QtServices.h"
#include "support/Fakes.h"
#include "support/ModalAnswer.h"
#include "support/ShownText.h"

namespace veltrin {
namespace {

QMessageBox* OpenBoxSaying(const QString& text) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->text() == text)
            return box;
    return nullptr;
}

// Reads the next message box once it is open, then presses one of its buttons.
void AnswerNextBox(QString& shownText, QString& shownTitle, QMessageBox::StandardButton press) {
    test::WhenModalOpens<QMessageBox>([&shownText, &shownTitle, press](QMessageBox* box) {
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        shownText = test::ShownText(label);
        shownTitle = box->windowTitle();
        box->button(press)->click();
    });
}

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

// A notice comes from inside a timer tick: it must be on screen when the call
// returns, not waited for in a loop of its own.
TEST(QtMessagesNotice, IsShownWithoutWaitingAndGoesWhenClosed) {
    QtMessages messages;
    bool waited = false;
    // Were the call to wait in a box of its own, this ends that wait.
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            waited = true;
            static_cast<QDialog*>(modal)->reject();
        }
    });
    messages.notice("Cannot open \"/media/usb/plan.odt\".");
    EXPECT_FALSE(waited);
    QPointer<QMessageBox> box = OpenBoxSaying(QStringLiteral("Cannot open \"/media/usb/plan.odt\"."));
    ASSERT_TRUE(box) << "no notice on screen";
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowTitle(), "Veltrin");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint) << "a reminder window would cover it";
    QApplication::processEvents();  // the queued check has run
    EXPECT_FALSE(waited);

    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(box.isNull()) << "a closed notice is not kept";
}

TEST(QtMessagesNotice, OpenNoticesGoWithTheServiceAndNoneAreShownWhileEnding) {
    QPointer<QMessageBox> first, second;
    {
        QtMessages messages;
        messages.notice("Cannot find \"a\".");
        messages.notice("Cannot find \"b\".");
        first = OpenBoxSaying(QStringLiteral("Cannot find \"a\"."));
        second = OpenBoxSaying(QStringLiteral("Cannot find \"b\"."));
        ASSERT_TRUE(first && second) << "each notice has a box of its own";

        QtMessages::setEnding(true);
        messages.notice("Cannot find \"c\".");
        QtMessages::setEnding(false);
        EXPECT_EQ(OpenBoxSaying(QStringLiteral("Cannot find \"c\".")), nullptr);
    }
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}

// What the shell can tell at once: a program that cannot be started at all
// (here a script naming an interpreter that is not there) is a failure the
// caller can report; one that starts is on its way.
TEST(QtShellStart, SaysWhetherTheProgramCouldBeStarted) {
    test::ProgramFolder folder;
    namespace fs = std::filesystem;
    const fs::path mark = folder.root / "ran";
    const fs::path good = folder.root / "good.sh";
    test::writeAll(good, "#!/bin/sh\necho ran > '" + mark.string() + "'\n");
    fs::permissions(good, fs::perms::owner_all);
    const fs::path broken = folder.root / "broken.sh";
    test::writeAll(broken, "#!/no/such/interpreter\n");
    fs::permissions(broken, fs::perms::owner_all);

    QtShell shell;
    EXPECT_FALSE(shell.startProgram(broken.string()));
    EXPECT_FALSE(shell.startProgram((folder.root / "missing").string()));
    ASSERT_TRUE(shell.startProgram(good.string()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(mark); }, 30000)) << "the program did not run";
}

bool MultimediaMapped() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        if (line.find("libQt6Multimedia") != std::string::npos) return true;
    return false;
}

// Points QtSound at a module file for the life of the object.
class ScopedSoundModule {
public:
    explicit ScopedSoundModule(const std::string& file) { ::setenv(kSoundModuleVariable, file.c_str(), 1); }
    ~ScopedSoundModule() { ::unsetenv(kSoundModuleVariable); }
};

// Qt's multimedia libraries are loaded with the first sound, never at start;
// a missing file beeps without loading them.
TEST(QtSoundPlayer, TheModuleLoadsWithTheFirstSoundThatIsThere) {
    test::ProgramFolder folder;
    const test::RecordingMessages& shown = folder.messages;
    ScopedSoundModule module(VELTRIN_SOUND_MODULE_FILE);
    ASSERT_FALSE(MultimediaMapped()) << "the test links the multimedia libraries itself";

    QtSound sound;
    sound.play((folder.root / "missing.wav").string());
    EXPECT_FALSE(sound.moduleLoaded());
    EXPECT_FALSE(MultimediaMapped());

    const std::filesystem::path wav = folder.root / "chime.wav";
    test::writeAll(wav, "not a sound");  // cannot be played: a beep, from inside the module
    sound.play(wav.string());
    EXPECT_TRUE(sound.moduleLoaded());
    EXPECT_TRUE(MultimediaMapped());
    sound.play(wav.string());
    QTest::qWait(0);
    EXPECT_TRUE(shown.shown.empty()) << shown.texts().front();
}

TEST(QtSoundPlayer, WithoutTheModuleEverySoundBeepsAndTheUserIsToldWhyOnce) {
    test::ProgramFolder folder;
    const test::RecordingMessages& shown = folder.messages;
    ScopedSoundModule module((folder.root / "no-such-module.so").string());
    const std::filesystem::path wav = folder.root / "chime.wav";
    test::writeAll(wav, "RIFF");

    QtSound sound;
    sound.play(wav.string());
    sound.play(wav.string());
    EXPECT_FALSE(sound.moduleLoaded());
    ASSERT_EQ(shown.shown.size(), 1u);
    EXPECT_EQ(shown.shown[0].text.rfind("Veltrin cannot play sounds, so it beeps instead.", 0), 0u);
    EXPECT_NE(shown.shown[0].text.find("no-such-module.so"), std::string::npos) << shown.shown[0].text;
}

// The main window runs without modality, so help opened from it has no owner
// to go with: it goes with the service, at the end of the program.
TEST(QtHelpWindow, WithoutADialogOpenItStandsAloneAndGoesWithTheService) {
    test::ProgramFolder folder;
    std::filesystem::create_directories(folder.root / "help" / "General");
    test::writeAll(folder.root / "help" / "General" / "index.htm", "<h1>Contents</h1>");
    QPointer<QTextBrowser> browser;
    {
        QtHelp help;
        help.showTopic("/General/index.htm");
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<QTextBrowser*>(w); b && b->isVisible()) browser = b;
        ASSERT_TRUE(browser) << "no help window";
        EXPECT_EQ(browser->parentWidget(), nullptr);
        EXPECT_EQ(browser->windowTitle(), "Veltrin Help");
        help.showTopic("/General/missing.htm");  // no page: nothing changes
        EXPECT_TRUE(browser && browser->isVisible());
    }
    EXPECT_TRUE(browser.isNull()) << "the help window outlived the program's services";
}

}  // namespace
}  // namespace veltrin
