// The Sync dialog: what it shows and gives back, and "Find" against a
// Radicale of the test's own.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "support/Fakes.h"
#include "support/RadicaleServer.h"
#include "sync/CSyncDialog.h"
#include "sync/Dav.h"

using namespace veltrin;
using test::RadicaleServer;

TEST(CSyncDialog, GivesBackWhatItShowsAndWhatWasTyped) {
    SyncConfig config;
    config.url = "https://example.org/";
    config.user = "anna";
    config.passwordCommand = "pass show dav";
    config.eventsCollection = "https://example.org/anna/work/";
    config.journalsCollection = "https://example.org/anna/journal/";
    config.intervalMinutes = 0;
    CSyncDialog dialog(config);
    EXPECT_EQ(dialog.intervalBox()->text(), QStringLiteral("only by hand"));
    const SyncConfig same = dialog.chosen();
    EXPECT_EQ(same.url, config.url);
    EXPECT_EQ(same.user, config.user);
    EXPECT_EQ(same.passwordCommand, config.passwordCommand);
    EXPECT_EQ(same.eventsCollection, config.eventsCollection);
    EXPECT_EQ(same.contactsCollection, "");
    EXPECT_EQ(same.journalsCollection, config.journalsCollection) << "saving the dialog keeps it";
    EXPECT_EQ(same.intervalMinutes, 0);
    EXPECT_FALSE(same.allowUnencrypted);

    dialog.urlBox()->setText(QStringLiteral("  http://example.org:5232/  "));
    dialog.unencryptedBox()->setChecked(true);
    dialog.intervalBox()->setValue(30);
    dialog.addressBookBox()->setEditText(QStringLiteral("http://example.org:5232/anna/book/"));
    QTest::keyClicks(dialog.passwordBox(), QStringLiteral("s3cret"));
    const SyncConfig typed = dialog.chosen();
    EXPECT_EQ(typed.url, "http://example.org:5232/");
    EXPECT_TRUE(typed.allowUnencrypted);
    EXPECT_EQ(typed.intervalMinutes, 30);
    EXPECT_EQ(typed.contactsCollection, "http://example.org:5232/anna/book/");
    EXPECT_EQ(dialog.password(), "s3cret");
    EXPECT_EQ(SyncConfig{}.intervalMinutes, 15) << "a new configuration syncs every 15 minutes";
}

TEST(CSyncDialog, WithoutASecretStoreThePasswordBoxIsOffAndTheDialogSaysWhy) {
    CSyncDialog dialog(SyncConfig{});
    dialog.show();
    dialog.setSecretStoreAvailable(false);
    EXPECT_FALSE(dialog.passwordBox()->isEnabled());
    EXPECT_TRUE(dialog.secretStoreNote()->isVisible());
    EXPECT_NE(dialog.secretStoreNote()->text().indexOf(QStringLiteral("password command")), -1);
    dialog.setSecretStoreAvailable(true);
    EXPECT_TRUE(dialog.passwordBox()->isEnabled());
    EXPECT_FALSE(dialog.secretStoreNote()->isVisible());
}

TEST(CSyncDialog, FindListsTheAccountsCollectionsFromABaseUrlOrSaysWhyNot) {
    test::ProgramFolder folder;
    RadicaleServer server(folder.root / "radicale");
    ASSERT_TRUE(server.up()) << server.log();
    CurlTransport http{HttpOptions{RadicaleServer::kUser, RadicaleServer::kPassword}};
    ASSERT_EQ(http.Send({"MKCALENDAR", server.userUrl() + "calendar/", {}, {}}).status, 201);

    SyncConfig config;
    config.url = server.url();
    config.user = RadicaleServer::kUser;
    config.passwordCommand = "echo wrong";
    CSyncDialog dialog(config);
    QSignalSpy found(&dialog, &CSyncDialog::found);
    dialog.findButton()->click();
    ASSERT_TRUE(found.wait(30000));
    EXPECT_NE(dialog.statusLabel()->text().indexOf(QStringLiteral("401")), -1)
        << dialog.statusLabel()->text().toStdString();
    EXPECT_EQ(dialog.calendarBox()->count(), 0);

    QTest::keyClicks(dialog.passwordBox(), QString::fromLatin1(RadicaleServer::kPassword));
    dialog.findButton()->click();
    ASSERT_TRUE(found.wait(30000));
    ASSERT_EQ(dialog.calendarBox()->count(), 1);
    EXPECT_EQ(dialog.chosen().eventsCollection, server.userUrl() + "calendar/");
    EXPECT_EQ(dialog.chosen().contactsCollection, "");
    ASSERT_EQ(dialog.journalsBox()->count(), 1) << "a calendar of every kind takes journals too";
    EXPECT_EQ(dialog.chosen().journalsCollection, server.userUrl() + "calendar/");
    EXPECT_TRUE(dialog.findButton()->isEnabled());
}
