#include "controls/QtGroupTreeActions.h"

#include <QAction>
#include <QIcon>
#include <QStringList>

#include "controls/CPopupMenu.h"
#include "controls/CToolStrip.h"
#include "controls/GroupTreeCommands.h"
#include "controls/QtThemeIcons.h"

namespace veltrin {

void EnsureIconTheme() {
    // Without a desktop platform theme (offscreen) Qt knows no system folders.
    QStringList paths = QIcon::themeSearchPaths();
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString& dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons)) paths.append(icons);
    }
    if (paths != QIcon::themeSearchPaths()) QIcon::setThemeSearchPaths(paths);
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor")) QIcon::setThemeName(QStringLiteral("Tango"));
}

QList<QAction*> CreateGroupTreeActions(QObject* owner) {
    EnsureIconTheme();
    QList<QAction*> actions;
    for (const GroupTreeCommandEntry& e : GroupTreeCommandEntries()) {
        auto* a = new QAction(owner);
        if (e.id == 0) {
            a->setSeparator(true);
        } else {
            a->setText(QString::fromUtf8(e.text));
            a->setToolTip(a->text());
            a->setIcon(QIcon::fromTheme(QString::fromLatin1(e.icon)));
            a->setData(e.id);
        }
        actions.append(a);
    }
    return actions;
}

void AddGroupTreeCommands(CToolStrip& strip) {
    for (const GroupTreeCommandEntry& e : GroupTreeCommandEntries()) {
        if (e.id == 0)
            strip.addSeparator();
        else
            strip.addButton(e.id, ThemeIcon(QString::fromLatin1(e.icon)), QString::fromUtf8(e.text));
    }
}

void AddGroupTreeCommands(CPopupMenu& menu) {
    for (const GroupTreeCommandEntry& e : GroupTreeCommandEntries()) {
        if (e.id == 0)
            menu.addSeparator();
        else
            menu.addCommand(e.id, QString::fromUtf8(e.text), ThemeIcon(QString::fromLatin1(e.icon)));
    }
}

}  // namespace veltrin
