#include "imaging/QtSkinResources.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>

#include "VeltrinResources.h"
#include "imaging/Decode.h"

namespace veltrin {

namespace {

QIcon iconFromSizes(const QString& id) {
    EnsureVeltrinResources();
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = QStringLiteral(":/ICON/%1/%2").arg(id).arg(size);
        if (QFile::exists(path)) icon.addFile(path, QSize(size, size));
    }
    return icon;
}

// An icon whose pictures are read when one is first asked for: a program
// started into the tray never shows its window's icon, and the largest size
// alone is a quarter of a megabyte.
class OnFirstUseIconEngine : public QIconEngine {
public:
    explicit OnFirstUseIconEngine(QString id) : id_(std::move(id)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        loaded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return loaded().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return loaded().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return loaded().availableSizes(mode, state);
    }
    bool isNull() override { return loaded().isNull(); }
    QString key() const override { return QStringLiteral("veltrin-on-first-use"); }
    QIconEngine* clone() const override { return new OnFirstUseIconEngine(*this); }

private:
    const QIcon& loaded() {
        if (!read_) {
            icon_ = iconFromSizes(id_);
            read_ = true;
        }
        return icon_;
    }

    QString id_;
    QIcon icon_;
    bool read_ = false;
};

}  // namespace

QByteArray ResourceBytes(const QString& type, const QString& name) {
    EnsureVeltrinResources();
    QFile file(QStringLiteral(":/%1/%2").arg(type, name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

Picture LoadResourcePicture(const QString& name, const QString& type) {
    PictureFormat format;
    if (!FormatForResourceType(type.toStdString(), format)) return {};
    const QByteArray bytes = ResourceBytes(type, name);
    return DecodePicture(format, reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()));
}

namespace {

Picture LoadSkinPicture(const SkinPictureSize& entry) {
    Picture p = LoadResourcePicture(QString::fromLatin1(entry.resource), QStringLiteral("JPG"));
    p.addAlpha();
    return p;
}

}  // namespace

SkinPictures LoadSkinPictures() {
    SkinPictures s;
    for (const SkinPictureSize& entry : kSkinPictureSizes) s.*entry.picture = LoadSkinPicture(entry);
    return s;
}

Picture LoadSkinBackground() {
    for (const SkinPictureSize& entry : kSkinPictureSizes)
        if (entry.picture == &SkinPictures::background) return LoadSkinPicture(entry);
    return {};
}

ClockPictures LoadClockPictures() {
    const QString bitmap = QStringLiteral("BITMAP");
    return {LoadResourcePicture(QStringLiteral("220"), bitmap),
            LoadResourcePicture(QStringLiteral("221"), bitmap),
            LoadResourcePicture(QStringLiteral("219"), bitmap)};
}

QIcon ApplicationIcon() { return QIcon(new OnFirstUseIconEngine(QStringLiteral("128"))); }
QIcon TrayIcon() { return QIcon(new OnFirstUseIconEngine(QStringLiteral("264"))); }

}  // namespace veltrin
