#include "platform/QtServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTextBrowser>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "platform/DataLocation.h"
#include "platform/ModuleFolder.h"
#include "platform/QtSoundModule.h"

namespace veltrin {

namespace {
bool g_ending = false;
}

void QtMessages::setEnding(bool ending) { g_ending = ending; }

QtMessages::~QtMessages() {
    for (const QPointer<QMessageBox>& box : notices_) delete box.data();
}

Messages::Answer QtMessages::show(const std::string& text, const std::string& caption, Icon icon,
                                  Buttons buttons) {
    if (g_ending) return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    QMessageBox box(nullptr);
    box.setWindowTitle(QString::fromStdString(caption));
    // Texts carry stored names, which are never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(text));
    switch (icon) {
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

void QtMessages::notice(const std::string& text) {
    if (g_ending) return;
    notices_.erase(std::remove_if(notices_.begin(), notices_.end(),
                                  [](const QPointer<QMessageBox>& b) { return b.isNull(); }),
                   notices_.end());
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Veltrin"), QString::fromStdString(text),
                                QMessageBox::Ok);
    box->setWindowModality(Qt::NonModal);
    // Above a reminder window, which stays on top.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(box, &QDialog::finished, box, &QObject::deleteLater);
    notices_.emplace_back(box);
    box->show();
}

bool QtShell::open(const std::string& target) {
    const QString t = QString::fromStdString(target);
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl::fromUserInput(t);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtShell::startProgram(const std::string& path) {
    return QProcess::startDetached(QString::fromStdString(path), {});
}

void QtSound::play(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        QApplication::beep();
        return;
    }
    if (!tried_) {
        tried_ = true;
        QLibrary library(QString::fromStdString(ModuleFilePathOf(ExecutablePath(), VELTRIN_SOUND_MODULE_NAME,
                                                                 std::getenv(kSoundModuleVariable))));
        // Kept loaded for the rest of the run.
        player_ = reinterpret_cast<SoundPlayer>(library.resolve(kSoundPlayerName));
        if (!player_)
            messages().notice("Veltrin cannot play sounds, so it beeps instead.\n\n" +
                              library.errorString().toStdString());
    }
    if (player_)
        player_(file);
    else
        QApplication::beep();
}

QtHelp::~QtHelp() { delete browser_.data(); }

void QtHelp::showTopic(const std::string& topic) {
    const QString page = QString::fromStdString(ShippedFolder() + "/help" + topic);
    if (!QFileInfo(page).isFile()) return;
    // A window beside an open modal dialog would take no input: the help
    // then belongs to that dialog (and closes with it).
    QWidget* owner = QApplication::activeModalWidget();
    if (browser_ && browser_->parentWidget() != owner) delete browser_.data();
    if (!browser_) {
        browser_ = new QTextBrowser(owner);
        browser_->setWindowFlags(Qt::Window);
        browser_->setAttribute(Qt::WA_DeleteOnClose);
        browser_->setOpenExternalLinks(true);
        browser_->setWindowTitle(QStringLiteral("Veltrin Help"));
        browser_->resize(720, 560);
    }
    browser_->setSource(QUrl::fromLocalFile(page));
    browser_->show();
    browser_->raise();
}

QtServices::QtServices() {
    setMessages(&messages_);
    setShell(&shell_);
    setSound(&sound_);
    setHelp(&help_);
}

QtServices::~QtServices() {
    setMessages(nullptr);
    setShell(nullptr);
    setSound(nullptr);
    setHelp(nullptr);
}

}  // namespace veltrin
