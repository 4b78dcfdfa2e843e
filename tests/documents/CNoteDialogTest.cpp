// The note dialog and the new-page dialog: titles that follow the choice, the
// template list's selection and what OK hands back.
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

#include "base/LocalTime.h"
#include "documents/CNewDiaryPageDialog.h"
#include "documents/CNoteDialog.h"
#include "support/Fakes.h"
#include "support/ScopedZone.h"
#include "support/ShippedTemplates.h"

using namespace veltrin;

TEST(NoteDialogs, TitleFollowsTheNameAndTheTemplateListFallsBackOnlyWhenAsked) {
    test::ProgramFolder folder;
    test::CopyShippedTemplates(folder.root);
    {
        CNoteDialog dialog("New note", false, 0, "Note Blue", true);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Editing 'New note' note..."));
        dialog.nameBox()->setText(QStringLiteral("Recipes"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Editing 'Recipes' note..."));
        EXPECT_EQ(dialog.templateName(), "Note Blue");
        EXPECT_EQ(dialog.iconList()->count(), 46);
        dialog.iconList()->setCurrentRow(45);
        EXPECT_EQ(dialog.icon(), 45);
        EXPECT_EQ(dialog.name(), QStringLiteral("Recipes"));
    }
    {
        // New notes fall back to the first template; editing offers none.
        CNoteDialog fresh("New note", false, 0, "Gone", true);
        EXPECT_EQ(fresh.templateName(), "Diary Blue");
        CNoteDialog edit("Garden", true, 12, std::string(), false);
        EXPECT_EQ(edit.templateName(), "");
        EXPECT_TRUE(edit.bold());
        EXPECT_EQ(edit.icon(), 12);
    }
}

TEST(NoteDialogs, NewPageDialogStartsOnTodayAndNamesThePickedDay) {
    test::ScopedZone zone("Europe/Berlin");
    test::ProgramFolder folder;
    folder.clock.t = *MakeLocalTime(2004, 3, 5, 15, 30, 0);
    CNewDiaryPageDialog dialog;
    EXPECT_EQ(dialog.pickedDay(), *MakeLocalTime(2004, 3, 5, 0, 0, 0)) << "local midnight of the day";
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Diary page: Friday, March 05, 2004"));
    dialog.calendar()->setSelectedDate(QDate(2004, 3, 1));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Diary page: Monday, March 01, 2004"));
    EXPECT_EQ(dialog.pickedDay(), *MakeLocalTime(2004, 3, 1, 0, 0, 0));
}
