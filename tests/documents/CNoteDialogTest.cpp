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

TEST(NoteDialogs, NewPageCalendarOffersOnlyDaysAStoredTimeCanHold) {
    test::ScopedZone zone("Europe/Berlin");
    test::ProgramFolder folder;
    folder.clock.t = *MakeLocalTime(2004, 3, 5, 15, 30, 0);
    CNewDiaryPageDialog dialog;
    // A day past the 32-bit end stops at the last day instead of wrapping to 1902.
    dialog.calendar()->setSelectedDate(QDate(2039, 1, 1));
    const DateTime late = BreakDownLocal(dialog.pickedDay());
    EXPECT_EQ(late.year, 2038);
    EXPECT_EQ(late.month, 1);
    EXPECT_EQ(late.day, 19);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("New Diary page: Tuesday, January 19, 2038"));
    // Nor does a day before 1970 become a page.
    dialog.calendar()->setSelectedDate(QDate(1969, 12, 31));
    EXPECT_EQ(dialog.pickedDay(), *MakeLocalTime(1970, 1, 2, 0, 0, 0));
    // The same days the event editor offers.
    EXPECT_EQ(dialog.calendar()->minimumDate(), QDate(1970, 1, 2));
    EXPECT_EQ(dialog.calendar()->maximumDate(), QDate(2038, 1, 19));
}
