#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>

#include "contacts/CBusinessPage.h"
#include "contacts/CHomePage.h"
#include "contacts/CPersonPropSheet.h"
#include "contacts/CPersonalPage.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

ContactItem named(const std::string& first, const std::string& middle, const std::string& last,
                  const std::string& display, const std::string& nickname = {}) {
    ContactItem c;
    c.fields.set(ContactFieldRecordIndex("First Name"), first);
    c.fields.set(ContactFieldRecordIndex("Middle Name"), middle);
    c.fields.set(ContactFieldRecordIndex("Last Name"), last);
    c.fields.set(ContactFieldRecordIndex("Name"), display);
    c.fields.set(ContactFieldRecordIndex("Nickname"), nickname);
    return c;
}

QLineEdit* line(QWidget& w, const char* field) { return w.findChild<QLineEdit*>(field); }

QStringList comboItems(QComboBox* c) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    return items;
}

}  // namespace

TEST(PersonPropSheet, PagesLabelsAndEveryFieldAreThere) {
    CPersonPropSheet sheet{ContactItem{}};
    EXPECT_EQ(sheet.windowTitle(), "Properties");
    ASSERT_EQ(sheet.tabs()->count(), 3);
    EXPECT_EQ(sheet.tabs()->tabText(0), "Personal");
    EXPECT_EQ(sheet.tabs()->tabText(1), "Home");
    EXPECT_EQ(sheet.tabs()->tabText(2), "Business");
    QStringList labels;
    for (QLabel* l : sheet.findChildren<QLabel*>()) labels << l->text();
    for (const char* text :
         {"Enter personal information about this contact here.", "&First:", "Mi&ddle:", "&Last:", "Dis&play:",
          "&Nickname:", "E-Mail", "&Notes", "Enter home-related information about this contact here.",
          "Personal &Web Page:", "Ce&llular:", "Enter business-related information about this contact here.",
          "Co&mpany:", "&Job Title:", "&Department:", "&Office:", "P&ager:", "Business &Web Page:"})
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    // Each of the 29 fields has exactly one box.
    for (const ContactField& f : ContactFields()) {
        int boxes = 0;
        for (CContactPage* p : sheet.findChildren<CContactPage*>()) boxes += p->fieldBox(f.name) != nullptr;
        EXPECT_EQ(boxes, 1) << f.name;
    }
}

TEST(PersonPropSheet, EveryFieldTravelsToItsPlaceAndUntouchedBytesStay) {
    ContactItem c;
    for (int i = 0; i < kContactFieldCount; ++i) c.fields.set(i, "v" + std::to_string(i) + "\xe9");
    c.fields.set(ContactFieldRecordIndex("Home Street"), "1 Main St\r\nFlat 2");
    c.fields.set(ContactFieldRecordIndex("Notes"), "a\r\nb\rc\n");
    c.groupId = 42;
    CPersonPropSheet sheet(c);
    EXPECT_EQ(line(sheet, "Company")->text(), QString::fromUtf8("v24\xc3\xa9"));
    ContactItem back = sheet.item();
    EXPECT_TRUE(back.fields == c.fields);
    EXPECT_EQ(back.groupId, 42);

    line(sheet, "Pager")->setText("555");
    back = sheet.item();
    EXPECT_EQ(back.fields[ContactFieldRecordIndex("Pager")], "555");
    EXPECT_EQ(back.fields[ContactFieldRecordIndex("Notes")], "a\r\nb\rc\n");
    EXPECT_EQ(back.fields[ContactFieldRecordIndex("Company")], "v24\xe9");
}

TEST(PersonPropSheet, AutomaticDisplayNameFollowsTheNames) {
    CPersonPropSheet sheet(named("Ann", "", "Cole", "Ann Cole"));
    CPersonalPage* page = sheet.personalPage();
    EXPECT_TRUE(page->automaticDisplay());
    line(sheet, "Middle Name")->setText("B.");
    EXPECT_EQ(page->displayBox()->currentText(), "Ann B. Cole");
    line(sheet, "First Name")->setText("");
    EXPECT_EQ(page->displayBox()->currentText(), " B. Cole");
    EXPECT_EQ(sheet.item().fields[ContactFieldRecordIndex("Name")], " B. Cole");
}

TEST(PersonPropSheet, HandTypedDisplayNameStaysAndTheListIsRebuiltAroundIt) {
    CPersonPropSheet sheet(named("Ann", "", "Cole", "Dr. Cole", "Nan"));
    CPersonalPage* page = sheet.personalPage();
    EXPECT_FALSE(page->automaticDisplay());
    line(sheet, "First Name")->setText("Anna");
    EXPECT_EQ(page->displayBox()->currentText(), "Dr. Cole");
    page->displayBox()->setEditText("Prof. Cole");
    page->rebuildDisplayChoices();
    EXPECT_EQ(comboItems(page->displayBox()), (QStringList{"Prof. Cole", "Anna Cole", "Nan"}));
    EXPECT_EQ(page->displayBox()->currentText(), "Prof. Cole");

    // The mode was decided at opening: typing a matching name does not switch it.
    page->displayBox()->setEditText("Anna");
    line(sheet, "Last Name")->setText("Lee");
    EXPECT_EQ(page->displayBox()->currentText(), "Anna");

    CPersonPropSheet automatic(named("Bo", "", "", ""));
    automatic.personalPage()->rebuildDisplayChoices();
    EXPECT_EQ(comboItems(automatic.personalPage()->displayBox()), QStringList{"Bo"});
}

TEST(PersonPropSheet, GoButtonsOpenTheAddressAsOneArgument) {
    test::RecordingShell shell;
    test::ScopedShell installed(shell);
    CPersonPropSheet sheet{ContactItem{}};
    sheet.homePage()->goButton()->click();  // empty: nothing opened
    EXPECT_TRUE(shell.opened.empty());
    line(sheet, "Personal Web Page")->setText("http://example.org/a b\" & rm -rf ~");
    sheet.homePage()->goButton()->click();
    line(sheet, "Business Web Page")->setText("  https://example.com/  ");
    sheet.businessPage()->goButton()->click();
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"http://example.org/a b\" & rm -rf ~", "https://example.com/"}));
}
