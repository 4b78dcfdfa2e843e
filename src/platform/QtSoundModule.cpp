// The sound module's entry: the program loads this module with the first
// sound it plays and plays every sound through it (by kSoundPlayerName).
#include "platform/QtSoundModule.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>
#include <type_traits>

namespace {

// Qt's wave reader waits for more bytes while a chunk is cut short, so a
// truncated file would stay loading for ever, silent. Such a file is turned
// away here: every chunk up to and with the samples must be in the file.
bool WaveHeaderIsWhole(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray riff = in.read(12);
    if (riff.size() < 12 || !(riff.startsWith("RIFF") || riff.startsWith("RIFX")) || riff.mid(8, 4) != "WAVE")
        return false;
    const bool big = riff.startsWith("RIFX");
    const qint64 size = in.size();
    for (qint64 at = 12; at + 8 <= size;) {
        if (!in.seek(at)) return false;
        const QByteArray head = in.read(8);
        if (head.size() < 8) return false;
        const quint32 length = big ? qFromBigEndian<quint32>(head.constData() + 4)
                                   : qFromLittleEndian<quint32>(head.constData() + 4);
        if (at + 8 + qint64(length) > size) return false;
        if (head.startsWith("data")) return true;
        at += 8 + qint64(length) + (length & 1);
    }
    return false;
}

}  // namespace

extern "C" Q_DECL_EXPORT void VeltrinPlaySound(const QString& file) {
    if (!WaveHeaderIsWhole(file)) {
        QApplication::beep();
        return;
    }
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
