#include "imaging/QtSkinResources.h"

#include <QFile>

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

QIcon ApplicationIcon() { return iconFromSizes(QStringLiteral("128")); }
QIcon TrayIcon() { return iconFromSizes(QStringLiteral("264")); }

}  // namespace veltrin
