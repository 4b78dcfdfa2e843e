#include "controls/GroupTreeActions.h"

#include <QAction>
#include <QIcon>

#include "controls/GroupTreeCommands.h"

namespace veltrin {

void EnsureIconTheme() {
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

}  // namespace veltrin
