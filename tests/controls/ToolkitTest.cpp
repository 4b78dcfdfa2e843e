#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/CBannerStrip.h"
#include "controls/CHeaderStrip.h"
#include "controls/CHyperlink.h"
#include "controls/CPictureButton.h"
#include "controls/CPopupMenu.h"
#include "controls/CSkinButton.h"
#include "controls/CSplitter.h"
#include "controls/CToolStrip.h"
#include "controls/QtSkinPainting.h"
#include "controls/QtThemeIcons.h"
#include "platform/Platform.h"
#include "support/DragSplitter.h"
#include "support/Fakes.h"
#include "support/ShownText.h"

namespace veltrin {
namespace {

QPixmap Solid(int w, int h, const QColor& c) {
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

struct SkinButtonFixture : ::testing::Test {
    QWidget parent;
    CSkinButton* button = new CSkinButton(QStringLiteral("Today"), &parent);
    void SetUp() override {
        button->setBitmaps(Solid(90, 73, Qt::red), Solid(90, 73, Qt::green), Solid(90, 73, Qt::blue));
        button->setGeometry(0, 0, 90, 72);
        parent.resize(300, 100);
        parent.show();
    }
    QColor Shown() { return button->grab().toImage().pixelColor(3, 3); }
};

TEST_F(SkinButtonFixture, EachStateDrawsItsOwnBitmap) {
    EXPECT_EQ(button->look(), CSkinButton::Look::Normal);
    EXPECT_EQ(Shown(), QColor(Qt::red));

    Enter(button);
    EXPECT_EQ(button->look(), CSkinButton::Look::Hover);
    EXPECT_EQ(Shown(), QColor(Qt::blue));
    Leave(button);
    EXPECT_EQ(button->look(), CSkinButton::Look::Normal);

    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->look(), CSkinButton::Look::Selected);
    EXPECT_EQ(Shown(), QColor(Qt::green));
    // While held, the pressed look follows whether the pointer is over it.
    QMouseEvent away(QEvent::MouseMove, QPointF(200, 10), button->mapToGlobal(QPointF(200, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &away);
    EXPECT_FALSE(button->isDown());
    QMouseEvent back(QEvent::MouseMove, QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(button, &back);
    EXPECT_TRUE(button->isDown());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_NE(button->look(), CSkinButton::Look::Selected);  // a push button does not stay checked

    Enter(button);
    button->setEnabled(false);
    EXPECT_EQ(button->look(), CSkinButton::Look::Normal);
    EXPECT_EQ(Shown(), QColor(Qt::red));
}

TEST_F(SkinButtonFixture, CaptionIsTheTooltipAndFollowsChanges) {
    EXPECT_EQ(button->toolTip(), QStringLiteral("Today"));
    button->setCaption(QStringLiteral("&Options"));
    EXPECT_EQ(button->text(), QStringLiteral("&Options"));
    EXPECT_EQ(button->toolTip(), QStringLiteral("Options"));
}

TEST_F(SkinButtonFixture, CaptionIsDrawnInTheTextColour) {
    button->setBitmaps(Solid(90, 73, Qt::white), Solid(90, 73, Qt::white), Solid(90, 73, Qt::white));
    QFont f = button->font();
    f.setPixelSize(20);
    f.setBold(true);
    button->setFont(f);
    button->setTextColour(QColor(255, 0, 0));
    const QImage shown = button->grab().toImage();
    int red = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 60) ++red;
            // Nothing within the 2-pixel margin.
            if (x < 2 || y < 2) {
                EXPECT_EQ(c, QColor(Qt::white));
            }
        }
    EXPECT_GT(red, 20);
}

TEST(SkinButtonGroup, RadioButtonsCheckOneAtATime) {
    QWidget parent;
    std::vector<CSkinButton*> views;
    for (int i = 0; i < 3; ++i) {
        views.push_back(new CSkinButton(QString::number(i), &parent, CSkinButton::Kind::Radio));
        views.back()->setGeometry(i * 90, 0, 90, 72);
    }
    auto* options = new CSkinButton(QStringLiteral("Options"), &parent);
    options->setGeometry(270, 0, 90, 72);
    auto* check = new CSkinButton(QStringLiteral("Check"), &parent, CSkinButton::Kind::CheckBox);
    check->setGeometry(360, 0, 90, 72);
    parent.resize(500, 80);
    parent.show();

    QTest::mouseClick(views[1], Qt::LeftButton);
    EXPECT_TRUE(views[1]->isChecked());
    QTest::mouseClick(views[2], Qt::LeftButton);
    EXPECT_FALSE(views[1]->isChecked());
    EXPECT_TRUE(views[2]->isChecked());
    EXPECT_EQ(views[2]->look(), CSkinButton::Look::Selected);
    EXPECT_EQ(views[1]->look(), CSkinButton::Look::Normal);

    // Clicking the checked one keeps it checked.
    QSignalSpy clicked(views[2], &QAbstractButton::clicked);
    QTest::mouseClick(views[2], Qt::LeftButton);
    EXPECT_TRUE(views[2]->isChecked());
    EXPECT_EQ(clicked.count(), 1);

    // The space key, released on a button, checks it.
    views[0]->setFocus();
    QTest::keyClick(views[0], Qt::Key_Space);
    EXPECT_TRUE(views[0]->isChecked());
    EXPECT_FALSE(views[2]->isChecked());

    // A push button beside them is not part of the group.
    QTest::mouseClick(options, Qt::LeftButton);
    EXPECT_FALSE(options->isChecked());
    EXPECT_TRUE(views[0]->isChecked());

    // A check box toggles and leaves the radio buttons alone.
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_TRUE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(views[0]->isChecked());
}

TEST(SkinFaces, ARowGetsLeftMiddleAndRightFaces) {
    ButtonFaces faces;
    const Rgb colours[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 3; ++i) {
        faces.normal[i] = Picture(90, 73, colours[i]);
        faces.hover[i] = Picture(90, 73, {colours[i].r, colours[i].g, 100});
    }
    faces.selected = Picture(90, 73, {9, 9, 9});
    const FacePixmaps pixmaps = ToFacePixmaps(faces);

    QWidget parent;
    std::vector<CSkinButton*> row;
    for (int i = 0; i < 7; ++i) row.push_back(new CSkinButton(&parent));
    AssignRowFaces(row, pixmaps);
    auto colourOf = [](const QPixmap& p) { return p.toImage().pixelColor(0, 0); };
    EXPECT_EQ(colourOf(row[0]->bitmap(CSkinButton::Look::Normal)), QColor(255, 0, 0));
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(colourOf(row[i]->bitmap(CSkinButton::Look::Normal)), QColor(0, 255, 0));
    EXPECT_EQ(colourOf(row[6]->bitmap(CSkinButton::Look::Normal)), QColor(0, 0, 255));
    EXPECT_EQ(colourOf(row[6]->bitmap(CSkinButton::Look::Hover)), QColor(0, 0, 100));
    for (CSkinButton* b : row) EXPECT_EQ(colourOf(b->bitmap(CSkinButton::Look::Selected)), QColor(9, 9, 9));
    EXPECT_EQ(row[3]->sizeHint(), QSize(90, 73));
}

// Runs `inside` once the popup is open, then chooses with the keyboard.
int RunMenu(const std::function<int()>& exec, const std::function<void(QMenu*)>& inside,
            const QList<int>& keys) {
    QTimer::singleShot(50, [&] {
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr);
        inside(open);
        for (int k : keys) QTest::keyClick(open, static_cast<Qt::Key>(k));
    });
    return exec();
}

TEST(PopupMenu, ReturnsTheChosenCommandOrZero) {
    CPopupMenu menu;
    menu.addCommand(306, QStringLiteral("Contents and index"), ThemeIcon(QStringLiteral("help-browser")));
    menu.addSeparator();
    menu.addCommand(316, QStringLiteral("Exit"), ThemeIcon(QStringLiteral("system-log-out")));
    const int chosen = RunMenu([&] { return menu.execAt(QPoint(100, 100)); }, [](QMenu*) {},
                               {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
    EXPECT_EQ(chosen, 316);
    const int dismissed =
        RunMenu([&] { return menu.execAt(QPoint(100, 100)); }, [](QMenu*) {}, {Qt::Key_Escape});
    EXPECT_EQ(dismissed, 0);
}

TEST(PopupMenu, OpensUnderItsButtonOrAboveThePointer) {
    QWidget window;
    window.resize(700, 300);
    auto* info = new CSkinButton(QStringLiteral("Info"), &window);
    info->setGeometry(540, 0, 90, 72);
    window.show();
    CPopupMenu menu;
    menu.setSideTitle(QStringLiteral("Veltrin"));
    menu.addCommand(314, QStringLiteral("About Veltrin..."));
    QPoint at;
    RunMenu([&] { return menu.execUnder(info); }, [&](QMenu* m) { at = m->pos(); }, {Qt::Key_Escape});
    EXPECT_EQ(at, info->mapToGlobal(QPoint(0, 72)));
    // The side title takes a band on the left.
    EXPECT_EQ(menu.contentsMargins().left(), CPopupMenu::kSideWidth);

    QRect shown;
    RunMenu([&] { return menu.execAbove(QPoint(300, 400)); }, [&](QMenu* m) { shown = m->geometry(); },
            {Qt::Key_Escape});
    EXPECT_EQ(shown.bottom() + 1, 400);
    EXPECT_EQ(shown.left(), 300);
}

TEST(PopupMenu, SubmenusAndCheckMarks) {
    CPopupMenu menu;
    CPopupMenu* us = menu.addSubmenu(QStringLiteral("US and Canada"));
    us->addCommand(200, QStringLiteral("Albany, N.Y."));
    QAction* york = us->addCommand(279, QStringLiteral("New York, N.Y."), {}, true);
    EXPECT_TRUE(york->isChecked());
    EXPECT_EQ(CPopupMenu::commandOf(york), 279);
    EXPECT_EQ(CPopupMenu::commandOf(nullptr), 0);
    EXPECT_EQ(menu.actions().size(), 1);
}

TEST(HeaderStrip, GradientRunsLeftToRightWithTheTextAfterItsMargin) {
    CHeaderStrip strip(QStringLiteral("Events"));
    strip.setGradient(QColor(0, 0, 255), QColor(255, 255, 0));
    strip.setTextColour(QColor(255, 0, 0));
    QFont f = strip.font();
    f.setPixelSize(18);
    strip.setFont(f);
    strip.resize(400, 30);
    const QImage shown = strip.grab().toImage();
    const QColor left = shown.pixelColor(0, 1), right = shown.pixelColor(399, 1);
    EXPECT_LT(left.red(), 10);
    EXPECT_GT(left.blue(), 245);
    EXPECT_GT(right.red(), 245);
    EXPECT_LT(right.blue(), 10);
    int firstText = -1;
    for (int x = 0; x < 400 && firstText < 0; ++x)
        for (int y = 0; y < 30; ++y) {
            const QColor c = shown.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 60 && c.blue() < 120) {
                firstText = x;
                break;
            }
        }
    EXPECT_GE(firstText, CHeaderStrip::kTextMargin);
    EXPECT_LT(firstText, CHeaderStrip::kTextMargin + 6);
}

TEST(Splitter, DragIsHeldWithinItsRangeAndReportsTheMove) {
    QWidget view;
    view.resize(1200, 400);
    auto* bar = new CSplitter(&view);
    bar->placeAt(QRect(400, 10, 5, 300));
    bar->setDragRange(200, 300);
    view.show();
    QSignalSpy moved(bar, &CSplitter::moved);

    auto drag = [&](int toX) { test::DragSplitter(bar, toX); };
    drag(50);
    EXPECT_EQ(bar->x(), 200);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.takeFirst().at(0).toInt(), -200);
    drag(1100);
    EXPECT_EQ(bar->x(), 700);
    EXPECT_EQ(moved.takeFirst().at(0).toInt(), 500);
    EXPECT_EQ(bar->offset(), 300);
    drag(650);
    EXPECT_EQ(moved.takeFirst().at(0).toInt(), -50);
}

TEST(Splitter, DragsAddUpWhileTheViewLaysTheBarOutAgain) {
    QWidget view;
    view.resize(1200, 400);
    auto* bar = new CSplitter(&view);
    bar->setDragRange(200, 300);
    const QRect start(400, 10, 5, 300);
    bar->placeAt(start);
    view.show();

    // Each move makes the view lay itself out, placing the bar from its start.
    test::DragSplitter(bar, 500);
    bar->placeAt(start);
    EXPECT_EQ(bar->x(), 500);
    test::DragSplitter(bar, 550);
    bar->placeAt(start);
    EXPECT_EQ(bar->offset(), 150) << "+100 then +50";
    EXPECT_EQ(bar->x(), 550);

    // The range stays measured from the start, however many drags it takes.
    test::DragSplitter(bar, 750);
    bar->placeAt(start);
    test::DragSplitter(bar, 900);
    bar->placeAt(start);
    EXPECT_EQ(bar->offset(), 300);
    EXPECT_EQ(bar->x(), 700);
    for (int i = 0; i < 3; ++i) {
        test::DragSplitter(bar, bar->x() - 250);
        bar->placeAt(start.translated(0, 20));  // a taller or shorter view keeps the column
    }
    EXPECT_EQ(bar->offset(), -200);
    EXPECT_EQ(bar->geometry(), QRect(200, 30, CSplitter::kWidth, 300));
}

TEST(ToolStrip, ButtonsCarryIconsTooltipsAndCommands) {
    CToolStrip strip;
    strip.addButton(300, ThemeIcon(QStringLiteral("list-remove")), QStringLiteral("Collapse all"));
    strip.addButton(301, ThemeIcon(QStringLiteral("list-add")), QStringLiteral("Expand all"));
    strip.addSeparator();
    strip.addButton(302, ThemeIcon(QStringLiteral("document-new")), QStringLiteral("Insert after"));
    strip.setStripColour(QColor(200, 220, 160));
    strip.resize(300, CToolStrip::kHeight);
    strip.show();
    QSignalSpy commands(&strip, &CToolStrip::commandTriggered);
    CPictureButton* b = strip.button(302);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->size(), QSize(20, 20));
    EXPECT_EQ(b->iconSize(), QSize(16, 16));
    EXPECT_EQ(b->toolTip(), QStringLiteral("Insert after"));
    EXPECT_FALSE(b->icon().isNull());  // from the icon theme
    QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 302);
    EXPECT_GT(strip.button(300)->x() + 20, 0);
    EXPECT_LT(strip.button(301)->x(), b->x() - 20);  // the gap lies between
    const QColor c = strip.grab().toImage().pixelColor(299 - 20, CToolStrip::kHeight / 2);
    EXPECT_NEAR(c.green(), 220, 12);
}

TEST(ThemeIcons, EveryNumberedIconIsInTheTheme) {
    for (int n : {161, 163, 202, 197, 194, 201, 199, 198, 286, 287, 300, 274, 303}) {
        const QIcon icon = NumberedIcon(n);
        EXPECT_FALSE(icon.isNull()) << n;
        EXPECT_FALSE(icon.pixmap(16, 16).isNull()) << n;
    }
    EXPECT_TRUE(NumberedIcon(12345).isNull());
}

TEST(SkinPaintingTest, BackgroundKeepsItsLowerPartAndFillsTheArea) {
    QImage skin(200, 120, QImage::Format_RGB32);
    skin.fill(Qt::white);
    for (int y = 60; y < 110; ++y)
        for (int x = 10; x < 190; ++x) skin.setPixelColor(x, y, Qt::blue);  // lower half of the inside
    QImage target(180, 40, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter p(&target);
        PaintSkinBackground(p, skin, target.rect());
    }
    // A short area shows the picture's lower part at its own size.
    EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(target.pixelColor(170, 35), QColor(Qt::blue));
    QImage big(720, 400, QImage::Format_RGB32);
    big.fill(Qt::black);
    {
        QPainter p(&big);
        PaintSkinBackground(p, skin, big.rect());
    }
    EXPECT_NE(big.pixelColor(719, 399), QColor(Qt::black));
    EXPECT_EQ(big.pixelColor(360, 390), QColor(Qt::blue));
    EXPECT_EQ(big.pixelColor(360, 5), QColor(Qt::white));
}

TEST(SkinPaintingTest, FrameCornersComeFromThePictureCorners) {
    QImage skin(100, 80, QImage::Format_RGB32);
    skin.fill(Qt::gray);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            skin.setPixelColor(x, y, Qt::red);
            skin.setPixelColor(99 - x, 79 - y, Qt::green);
        }
    QImage target(300, 200, QImage::Format_RGB32);
    target.fill(Qt::black);
    {
        QPainter p(&target);
        PaintSkinFrame(p, skin, QRect(20, 30, 250, 150));
    }
    EXPECT_EQ(target.pixelColor(20, 30), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(29, 39), QColor(Qt::red));
    EXPECT_EQ(target.pixelColor(269, 179), QColor(Qt::green));
    EXPECT_EQ(target.pixelColor(100, 35), QColor(Qt::gray));    // top edge
    EXPECT_EQ(target.pixelColor(100, 100), QColor(Qt::black));  // the inside is left alone
    EXPECT_EQ(target.pixelColor(19, 29), QColor(Qt::black));
}

TEST(PictureButton, DialogButtonsShowTheirLabelAndTooltip) {
    CPictureButton cancel(1, NumberedIcon(300), QStringLiteral("&Cancel"), nullptr, true);
    EXPECT_EQ(cancel.toolTip(), QStringLiteral("Cancel"));
    EXPECT_EQ(cancel.toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(cancel.focusPolicy(), Qt::StrongFocus);
    QSignalSpy spy(&cancel, &CPictureButton::commandTriggered);
    cancel.show();
    cancel.setFocus();
    QTest::keyClick(&cancel, Qt::Key_Space);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
}

TEST(BannerStrip, ShowsTheIconAndTheEventName) {
    CBannerStrip banner;
    banner.resize(400, CBannerStrip::kHeight);
    QPixmap red(32, 32);
    red.fill(Qt::red);
    banner.setIcon(QIcon(red));
    banner.setText(QStringLiteral("Dentist"));
    EXPECT_EQ(banner.toolTip(), QStringLiteral("Dentist"));
    const QImage shown = banner.grab().toImage();
    EXPECT_EQ(shown.pixelColor(10 + 16, CBannerStrip::kHeight / 2), QColor(Qt::red));
    int white = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 52; x < 200; ++x) white += shown.pixelColor(x, y).lightness() > 240;
    EXPECT_GT(white, 20);  // the name, in white
}

TEST(Hyperlink, OpensTheTrimmedAddressAndNothingWhenBlank) {
    test::RecordingShell shell;
    test::ScopedShell installed(shell);
    EXPECT_TRUE(OpenHyperlink("  www.example.org \n"));
    EXPECT_FALSE(OpenHyperlink("   "));
    EXPECT_FALSE(OpenHyperlink(""));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], "www.example.org");

    CHyperlink link(QStringLiteral("mail@example.org"));
    link.resize(200, 20);
    link.show();
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[1], "mail@example.org");
}

TEST(StoredNames, MarkupInANameIsShownAsTypedInTipsAndLinks) {
    const QString name = QStringLiteral("a <b>b</b> & <i>c</i>");
    CBannerStrip banner;
    banner.setText(name);
    EXPECT_EQ(test::ShownToolTip(banner.toolTip()), name);
    banner.setText(QStringLiteral("Dentist"));
    EXPECT_EQ(banner.toolTip(), QStringLiteral("Dentist")) << "a plain name stays as it is";

    CHyperlink link(name);
    EXPECT_EQ(test::ShownText(&link), name);
    link.setText(QStringLiteral("<a href=\"x\">y</a>"));
    EXPECT_EQ(test::ShownText(&link), QStringLiteral("<a href=\"x\">y</a>"));
}

}  // namespace
}  // namespace veltrin
