#pragma once

#include <QByteArray>
#include <QIcon>
#include <QString>

#include "imaging/Picture.h"
#include "imaging/Skin.h"

namespace veltrin {

// The program's built-in pictures live in the Qt resource system as
// ":/<type>/<name>", e.g. ":/JPG/IDR_BACKGROUND1_JPG" or ":/BITMAP/220".
QByteArray ResourceBytes(const QString& type, const QString& name);

// Decodes a built-in picture by name (or number) and type: "JPG" as JPEG,
// "GIF" and "BITMAP" as GIF. Missing or damaged: an empty picture.
Picture LoadResourcePicture(const QString& name, const QString& type);

// The seven skin pictures in their load order (small 261–263, top normal,
// hover and selected, background), each given full alpha with ceiling 255.
SkinPictures LoadSkinPictures();
// The skin's background alone, as LoadSkinPictures decodes it.
Picture LoadSkinBackground();

// The clock's face (220), large digits (221) and small digits (219) in
// their original colours.
ClockPictures LoadClockPictures();

// Icon 128, the program's own, at every size drawn for it.
QIcon ApplicationIcon();
// Icon 264, the notification-area icon.
QIcon TrayIcon();

}  // namespace veltrin
