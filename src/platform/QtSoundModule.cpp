// The sound module's entry: the program loads this module with the first
// sound it plays and plays every sound through it (by kSoundPlayerName).
#include "platform/QtSoundModule.h"

#include <QApplication>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>
#include <type_traits>

extern "C" Q_DECL_EXPORT void VeltrinPlaySound(const QString& file) {
    // One effect for the run; it goes with the application object.
    static QPointer<QSoundEffect> effect;
    if (!effect) {
        effect = new QSoundEffect(qApp);
        // A file that is there but cannot be played still makes a sound.
        QObject::connect(effect, &QSoundEffect::statusChanged, effect, [e = effect.data()] {
            if (e->status() == QSoundEffect::Error) QApplication::beep();
        });
    }
    effect->setSource(QUrl::fromLocalFile(file));
    effect->play();
}

static_assert(std::is_same_v<decltype(&VeltrinPlaySound), veltrin::SoundPlayer>);
