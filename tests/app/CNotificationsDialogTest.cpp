#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>

#include "app/CNotificationsDialog.h"
#include "support/Fakes.h"

using namespace veltrin;

TEST(CNotificationsDialog, AnEmptyAddressKeepsTheDialogOpenWithTheFocusInTheField) {
    test::ProgramFolder folder;
    CNotificationsDialog dlg;
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    EXPECT_TRUE(dlg.subscribeButton()->isChecked());
    dlg.addressField()->setText(QStringLiteral("   "));
    dlg.unsubscribeButton()->setFocus();
    dlg.accept();
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_EQ(folder.messages.shown[0].text, "Please enter e-mail!");
    EXPECT_EQ(folder.messages.shown[0].caption, "Veltrin");
    EXPECT_EQ(folder.messages.shown[0].icon, Messages::Icon::Exclamation);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 0);
    EXPECT_TRUE(folder.shell.opened.empty());
    EXPECT_EQ(dlg.focusWidget(), dlg.addressField());
}

TEST(CNotificationsDialog, OkOpensTheSubscriptionPageWithTheEncodedAddress) {
    test::ProgramFolder folder;
    CNotificationsDialog dlg;
    dlg.show();
    dlg.unsubscribeButton()->setChecked(true);
    dlg.addressField()->setText(QStringLiteral(" a+b&c@example.org "));
    dlg.accept();
    ASSERT_EQ(folder.shell.opened.size(), 1u);
    const std::string& address = folder.shell.opened[0];
    EXPECT_NE(address.find("subscribe.php?subscribe=0&email=a%2Bb%26c@example.org"), std::string::npos)
        << address;
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(folder.messages.shown.empty());
}

TEST(CNotificationsDialog, AFailedOpenIsReported) {
    test::ProgramFolder folder;
    folder.shell.result = false;
    CNotificationsDialog dlg;
    dlg.addressField()->setText(QStringLiteral("me@example.org"));
    dlg.accept();
    ASSERT_EQ(folder.messages.shown.size(), 1u);
    EXPECT_NE(folder.messages.shown[0].text.find("subscribe.php"), std::string::npos);
}
