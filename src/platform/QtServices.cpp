#include "platform/QtServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSoundEffect>
#include <QTextBrowser>
#include <QUrl>

#include "platform/ModuleFolder.h"

namespace veltrin {

namespace {
bool g_ending = false;
}

void QtMessages::setEnding(bool ending) { g_ending = ending; }

Messages::Answer QtMessages::show(const std::string& text, const std::string& caption, Icon icon,
                                  Buttons buttons) {
    if (g_ending) return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    QMessageBox box(nullptr);
    box.setWindowTitle(QString::fromStdString(caption));
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

bool QtShell::open(const std::string& target) {
    const QString t = QString::fromStdString(target);
    const QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(t) : QUrl::fromUserInput(t);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtShell::startProgram(const std::string& path) {
    return QProcess::startDetached(QString::fromStdString(path), {});
}

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

void QtSound::play(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) {
        QApplication::beep();
        return;
    }
    if (!effect_) {
        effect_ = std::make_unique<QSoundEffect>();
        // A file that is there but cannot be played still makes a sound.
        QObject::connect(effect_.get(), &QSoundEffect::statusChanged, effect_.get(), [e = effect_.get()] {
            if (e->status() == QSoundEffect::Error) QApplication::beep();
        });
    }
    effect_->setSource(QUrl::fromLocalFile(file));
    effect_->play();
}

void QtHelp::showTopic(const std::string& topic) {
    const QString page = QString::fromStdString(ModuleFolder() + "/help" + topic);
    if (!QFileInfo(page).isFile()) return;
    static QPointer<QTextBrowser> browser;
    // A window beside an open modal dialog would take no input: the help
    // then belongs to that dialog (and closes with it).
    QWidget* owner = QApplication::activeModalWidget();
    if (browser && browser->parentWidget() != owner) delete browser;
    if (!browser) {
        browser = new QTextBrowser(owner);
        browser->setWindowFlags(Qt::Window);
        browser->setAttribute(Qt::WA_DeleteOnClose);
        browser->setOpenExternalLinks(true);
        browser->setWindowTitle(QStringLiteral("Veltrin Help"));
        browser->resize(720, 560);
    }
    browser->setSource(QUrl::fromLocalFile(page));
    browser->show();
    browser->raise();
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
