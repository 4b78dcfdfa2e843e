// The editor on the real engine. Each test starts pages, so they are few and
// each checks a group of related behaviour.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <csignal>
#include <gtest/gtest.h>

#include "documents/CHtmlEditor.h"
#include "documents/QtWebEngineSetup.h"
#include "support/Fakes.h"

using namespace veltrin;

namespace {

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        editor.resize(600, 400);
        editor.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }
    void typeAtEnd(const QString& text) {
        editor.activateWindow();
        editor.view()->setFocus();
        QWidget* target = editor.view()->focusProxy() ? editor.view()->focusProxy() : editor.view();
        ASSERT_TRUE(QTest::qWaitFor([&] { return target->hasFocus(); }, 30000));
        // The caret at the end of the body, as a click there would put it.
        editor.page()->runJavaScript(
            "document.body.focus();var r=document.createRange();r.selectNodeContents(document.body);"
            "r.collapse(false);var s=getSelection();s.removeAllRanges();s.addRange(r);",
            QWebEngineScript::ApplicationWorld);
        editor.GetBodyHtml();  // a round trip: the caret is placed
        QTest::keyClicks(target, text);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return editor.GetBodyText().find(text.toStdString()) != std::string::npos; }, 30000));
    }
    // A real crash: the page's renderer process is killed.
    void killRenderer() {
        const qint64 pid = editor.page()->renderProcessPid();
        ASSERT_GT(pid, 0);
        ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGKILL), 0);
    }
    CHtmlEditor editor;
};

}  // namespace

TEST_F(Editor, TypingReachesTheCommitAndDesignModeSurvivesReloads) {
    ASSERT_TRUE(editor.SetDocumentHtml("<body bgcolor=\"#eef\"><p>Monday</p></body>"));
    std::string html;
    EXPECT_FALSE(editor.TakeChangedBody(html)) << "a page only read must not be committed";
    EXPECT_EQ(editor.GetBodyText(), "Monday");

    ASSERT_TRUE(editor.SetDesignMode(true));
    ASSERT_TRUE(editor.SetDocumentHtml("<body><p>Tuesday</p></body>"));
    EXPECT_TRUE(editor.IsDesignMode());
    typeAtEnd(QStringLiteral("rain all day"));
    ASSERT_TRUE(editor.TakeChangedBody(html));
    EXPECT_NE(html.find("rain all day"), std::string::npos) << html;
    EXPECT_NE(html.find("Tuesday"), std::string::npos);
    EXPECT_EQ(html.rfind("<body", 0), 0u) << "the record keeps the body with its tag";

    // The next document is a fresh start: nothing of the last one is taken.
    ASSERT_TRUE(editor.SetDocumentHtml(html));
    EXPECT_FALSE(editor.TakeChangedBody(html));
    EXPECT_NE(editor.GetBodyText().find("rain all day"), std::string::npos);

    // Out of design mode typing changes nothing.
    ASSERT_TRUE(editor.SetDesignMode(false));
    ASSERT_TRUE(editor.SetDocumentHtml("<body><p>Wednesday</p></body>"));
    QWidget* target = editor.view()->focusProxy() ? editor.view()->focusProxy() : editor.view();
    QTest::keyClicks(target, "xyz");
    EXPECT_EQ(editor.GetBodyText(), "Wednesday");
    EXPECT_FALSE(editor.TakeChangedBody(html));
}

TEST_F(Editor, StoredPagesRunNothingAndReachNothing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const std::string remote = "http://127.0.0.1:" + std::to_string(server.serverPort());
    const std::string page =
        "<body><p id=\"p\">quiet</p>"
        "<script>document.getElementById('p').textContent='script ran'</script>"
        "<img src=\"x\" onerror=\"document.body.textContent='handler ran'\">"
        "<img src=\"" +
        remote +
        "/remote.png\">"
        "<img src=\"file:///etc/hostname\">"
        "<iframe src=\"" +
        remote +
        "/frame.html\"></iframe>"
        "<meta http-equiv=\"refresh\" content=\"0;url=" +
        remote +
        "/refresh\">"
        "<form action=\"" +
        remote +
        "/form\" method=\"post\"><input name=\"q\"></form>"
        "<a id=\"a\" href=\"" +
        remote + "/link\">link</a></body>";
    const int refusedBefore = RefusedRequestCount();
    ASSERT_TRUE(editor.SetDocumentHtml(page));
    // The refresh and the frame are asked for and refused.
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.refusedNavigations() >= 1; }, 30000));
    EXPECT_EQ(RefusedRequestCount(), refusedBefore)
        << "the page's own policy stops loads before they are asked for";
    EXPECT_EQ(editor.GetBodyText().find("ran"), std::string::npos) << editor.GetBodyText();
    std::string html;
    EXPECT_FALSE(editor.TakeChangedBody(html));
    EXPECT_TRUE(IsDocumentUrl(editor.page()->url())) << editor.page()->url().toString().toStdString();
    EXPECT_FALSE(server.hasPendingConnections());

    // A page without our policy, behind only the profile: still nothing
    // leaves the program.
    QWebEnginePage bare(DocumentProfile());
    bool loaded = false;
    QObject::connect(&bare, &QWebEnginePage::loadFinished, [&] { loaded = true; });
    bare.load(PublishDocument(
        QByteArray::fromStdString("<img src=\"" + remote + "/a.png\"><img src=\"file:///etc/hostname\">")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded; }, 30000));
    EXPECT_FALSE(server.hasPendingConnections());
    EXPECT_FALSE(server.waitForNewConnection(0));
}

TEST_F(Editor, LargePagesAndOldBytesSurviveWhole) {
    // Three megabytes, past what the engine takes inline.
    std::string big = "<body>";
    for (int i = 0; big.size() < 3 * 1024 * 1024; ++i)
        big += "<p>line " + std::to_string(i) + " of the long page</p>";
    big += "<p>THE END</p></body>";
    ASSERT_TRUE(editor.SetDocumentHtml(big));
    ASSERT_TRUE(editor.SetDesignMode(true));
    typeAtEnd(QStringLiteral("!"));
    std::string html;
    ASSERT_TRUE(editor.TakeChangedBody(html));
    EXPECT_GE(html.size(), big.size());
    EXPECT_NE(html.find("line 0 of"), std::string::npos);
    EXPECT_NE(html.find("THE END"), std::string::npos);

    // A Windows-1252 page is shown decoded and, unedited, never taken back.
    const std::string old = "<body><p>Caf\xe9 \x80 5</p></body>";
    ASSERT_TRUE(editor.SetDocumentHtml(old));
    EXPECT_EQ(editor.GetBodyText(), "Caf\xc3\xa9 \xe2\x82\xac 5");
    EXPECT_FALSE(editor.TakeChangedBody(html));
}

TEST_F(Editor, AReadOfNoPageSaysSoInsteadOfPassingForAnEmptyPage) {
    // Nothing loaded yet: the read cannot answer, which an export must not take for an empty page.
    bool ok = true;
    EXPECT_EQ(editor.GetBodyText(&ok), "");
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(editor.GetDocumentSource(&ok), "");
    EXPECT_FALSE(ok);

    ASSERT_TRUE(editor.SetDocumentHtml("<body></body>"));
    EXPECT_EQ(editor.GetBodyText(&ok), "");
    EXPECT_TRUE(ok) << "an empty page is read";
    EXPECT_NE(editor.GetDocumentSource(&ok).find("<body"), std::string::npos);
    EXPECT_TRUE(ok);
}

TEST_F(Editor, AfterARendererCrashTypedTextIsKeptAndAnUneditedPageIsNotTaken) {
    test::RecordingMessages messages;
    test::ScopedMessages installed(messages);
    QSignalSpy crashes(editor.page(), &QWebEnginePage::renderProcessTerminated);

    // An unedited page, read once, comes back as it was and is not taken back.
    const std::string old = "<body><p>Caf\xe9 \x80 5</p></body>";
    ASSERT_TRUE(editor.SetDocumentHtml(old));
    ASSERT_FALSE(editor.GetBodyHtml().empty());
    killRenderer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return crashes.count() == 1; }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.isLoaded(); }, 30000));
    EXPECT_EQ(editor.GetBodyText(), "Caf\xc3\xa9 \xe2\x82\xac 5");
    std::string html;
    EXPECT_FALSE(editor.TakeChangedBody(html)) << "an unedited page keeps its stored bytes";

    // The renderer dies while the commit reads the page: the copy of the
    // typing stands in, and the page starts again from it.
    ASSERT_TRUE(editor.SetDesignMode(true));
    ASSERT_TRUE(editor.SetDocumentHtml("<body><p>Tuesday</p></body>"));
    typeAtEnd(QStringLiteral("rain all day"));
    ASSERT_FALSE(editor.GetBodyHtml().empty());
    killRenderer();
    ASSERT_TRUE(editor.TakeChangedBody(html));
    EXPECT_NE(html.find("rain all day"), std::string::npos) << html;
    EXPECT_EQ(crashes.count(), 2) << "the crash came during the read";
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.isLoaded(); }, 30000));
    EXPECT_NE(editor.GetBodyText().find("rain all day"), std::string::npos);
    EXPECT_TRUE(editor.IsDesignMode());
    html.clear();
    ASSERT_TRUE(editor.TakeChangedBody(html)) << "the page started again still counts as edited";
    EXPECT_NE(html.find("rain all day"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Editor, ARendererThatKeepsFailingIsStartedAFewTimesThenTheUserIsToldOnce) {
    test::RecordingMessages messages;
    test::ScopedMessages installed(messages);
    ASSERT_TRUE(editor.SetDocumentHtml("<body><p>Notes</p></body>"));
    ASSERT_TRUE(editor.SetDesignMode(true));
    typeAtEnd(QStringLiteral("kept words"));
    ASSERT_FALSE(editor.GetBodyHtml().empty());

    // Every time the page has loaded again, its renderer is killed.
    int kills = 0;
    bool killing = true;
    QObject::connect(editor.page(), &QWebEnginePage::loadFinished, &editor, [&](bool ok) {
        if (killing && ok && kills < 10) {
            ++kills;
            killRenderer();
        }
    });
    ++kills;
    killRenderer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.empty(); }, 60000));
    EXPECT_EQ(kills, 1 + CHtmlEditor::kRestarts);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"The editor stopped working. The text written up to now is kept."});
    std::string html;
    ASSERT_TRUE(editor.TakeChangedBody(html)) << "the typing still reaches the record";
    EXPECT_NE(html.find("kept words"), std::string::npos) << html;

    // The next document gets a renderer of its own.
    killing = false;
    ASSERT_TRUE(editor.SetDocumentHtml(html));
    EXPECT_NE(editor.GetBodyText().find("kept words"), std::string::npos);
    EXPECT_EQ(kills, 1 + CHtmlEditor::kRestarts);
    EXPECT_EQ(messages.shown.size(), 1u);
}
