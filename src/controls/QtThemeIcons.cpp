#include "controls/QtThemeIcons.h"

#include "tree/GroupIcons.h"

#include <QApplication>
#include <QStandardPaths>
#include <QStringList>
#include <QStyle>

namespace veltrin {

void UseProgramIconTheme() {
    static const bool themed = [] {
        // Some platforms (offscreen, bare X servers) know no icon folders.
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString& dir :
             QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory))
            if (!paths.contains(dir)) paths << dir;
        if (!paths.contains(QStringLiteral("/usr/share/icons"))) paths << QStringLiteral("/usr/share/icons");
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
            QIcon::setThemeName(QStringLiteral("Tango"));
        return true;
    }();
    (void)themed;
}

QIcon ThemeIcon(const QString& name) {
    UseProgramIconTheme();
    return QIcon::fromTheme(name);
}

QIcon NumberedIcon(int number) {
    static const struct {
        int number;
        const char* name;
    } table[] = {
        {161, "list-remove"},
        {163, "list-add"},
        {202, "document-new"},
        {197, "folder-new"},
        {194, "document-properties"},
        {201, "edit-delete"},
        {199, "go-up"},
        {198, "go-down"},
        {286, "appointment-new"},
        {287, "x-office-address-book"},
        {296, "x-office-calendar"},
        {297, "appointment"},
        {298, "emblem-important"},
        {300, "process-stop"},
        {274, "help-browser"},
        {303, "document-open"},
        {253, "office-calendar"},
    };
    for (const auto& entry : table)
        if (entry.number == number) return ThemeIcon(QString::fromLatin1(entry.name));
    return {};
}

QIcon OkIcon() {
    const QIcon themed = ThemeIcon(QStringLiteral("dialog-ok"));
    return themed.isNull() ? QApplication::style()->standardIcon(QStyle::SP_DialogOkButton) : themed;
}

std::vector<QPixmap> GroupIconPixmaps() {
    std::vector<QPixmap> pictures;
    for (const char* name : GroupIconNames())
        pictures.push_back(ThemeIcon(QString::fromLatin1(name)).pixmap(16, 16));
    return pictures;
}

}  // namespace veltrin
