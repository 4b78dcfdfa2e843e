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
#include <QUrl>
#include <gtest/gtest.h>

#include <cstdint>
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

// A wave file of silence: the header, then `samples` 16-bit mono samples.
std::string SilentWave(int samples) {
    std::string bytes = "RIFF....WAVEfmt ";
    auto put32 = [&bytes](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += char((v >> (8 * i)) & 0xff);
    };
    put32(16);
    bytes += std::string("\x01\x00\x01\x00", 4);  // PCM, one channel
    put32(8000);
    put32(16000);
    bytes += std::string("\x02\x00\x10\x00", 4);  // two bytes a frame, 16 bits
    bytes += "data";
    put32(std::uint32_t(samples) * 2);
    bytes += std::string(std::size_t(samples) * 2, '\0');
    const std::uint32_t riffLength = std::uint32_t(bytes.size() - 8);
    for (int i = 0; i < 4; ++i) bytes[4 + i] = char((riffLength >> (8 * i)) & 0xff);
    return bytes;
}

const QObject* SoundEffectOfTheModule() {
    for (const QObject* child : qApp->children())
        if (child->inherits("QSoundEffect")) return child;
    return nullptr;
}

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
    test::writeAll(wav, SilentWave(400));
    sound.play(wav.string());
    EXPECT_TRUE(sound.moduleLoaded());
    EXPECT_TRUE(MultimediaMapped());
    const QObject* effect = SoundEffectOfTheModule();
    ASSERT_NE(effect, nullptr);
    // Waited for: an effect torn down while Qt still reads its file leaks Qt's sample.
    const auto statusBecomes = [effect](int status) {
        return QTest::qWaitFor([&] { return effect->property("status").toInt() == status; }, 30000);
    };
    constexpr int kReady = 2;  // QSoundEffect::Status
    EXPECT_TRUE(statusBecomes(kReady)) << effect->property("status").toInt();
    EXPECT_TRUE(shown.shown.empty()) << shown.texts().front();
}

// A file that is there but cannot be played beeps (in Qt's error state);
// one cut short never reaches Qt, whose reader would wait for the rest of it
// for ever without a sound.
TEST(QtSoundPlayer, AFileThatCannotBePlayedEndsInABeep) {
    test::ProgramFolder folder;
    const test::RecordingMessages& shown = folder.messages;
    ScopedSoundModule module(VELTRIN_SOUND_MODULE_FILE);
    QtSound sound;
    const std::filesystem::path wav = folder.root / "chime.wav";
    const std::string whole = SilentWave(400);

    std::string foreign = whole;
    foreign[20] = 0x55;  // a compressed format Qt does not read
    test::writeAll(wav, foreign);
    sound.play(wav.string());
    const QObject* effect = SoundEffectOfTheModule();
    ASSERT_NE(effect, nullptr);
    constexpr int kLoading = 1, kError = 3;
    EXPECT_TRUE(QTest::qWaitFor([&] { return effect->property("status").toInt() == kError; }, 30000));

    for (const std::size_t cut : {std::size_t(11), std::size_t(30), std::size_t(40), std::size_t(43),
                                  std::size_t(44), std::size_t(100)}) {
        const std::filesystem::path part = folder.root / ("cut" + std::to_string(cut) + ".wav");
        test::writeAll(part, whole.substr(0, cut));
        sound.play(part.string());
        EXPECT_NE(effect->property("status").toInt(), kLoading) << "cut at " << cut;
        EXPECT_NE(effect->property("source").toUrl().fileName().toStdString(), part.filename().string());
    }
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
