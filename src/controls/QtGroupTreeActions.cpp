#include "controls/QtGroupTreeActions.h"

#include <QAction>
#include <QIcon>

#include "controls/CPopupMenu.h"
#include "controls/CToolStrip.h"
#include "controls/QtThemeIcons.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

QList<QAction*> CreateGroupTreeActions(QObject* owner) {
    QList<QAction*> actions;
    for (const GroupTreeCommandEntry& e : GroupTreeCommandEntries()) {
        auto* a = new QAction(owner);
        if (e.id == 0) {
            a->setSeparator(true);
        } else {
            a->setText(QString::fromUtf8(e.text));
            a->setToolTip(a->text());
            a->setIcon(ThemeIcon(QString::fromLatin1(e.icon)));
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

void AddInteropCommands(CPopupMenu& menu) {
    menu.addSeparator();
    menu.addCommand(kTreeImport, QStringLiteral("Import..."), ThemeIcon(QStringLiteral("document-open")));
    menu.addCommand(kTreeExport, QStringLiteral("Export..."), ThemeIcon(QStringLiteral("document-save-as")));
}

}  // namespace veltrin
