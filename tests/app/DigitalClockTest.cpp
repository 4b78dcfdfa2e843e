#include <atomic>
#include <chrono>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include "app/CDigitalClock.h"
#include "base/LocalTime.h"
#include "controls/QtSkinAssets.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"
#include "support/Fakes.h"

namespace veltrin {
namespace {

// Lets queued repaints through until the condition holds; the deadline is only
// there so that a clock that never ticks fails the test instead of hanging it.
template <class Condition>
bool WaitFor(Condition done) {
    return QTest::qWaitFor(done, 30000);
}

// A fixed clock that remembers which thread read it last: only the clock's
// worker reads the time.
class ReaderClock : public test::FixedClock {
public:
    mutable std::atomic<pid_t> reader{0};
    std::int64_t now() const override {
        reader = ::gettid();
        return FixedClock::now();
    }
};

// Whether a thread of this process is asleep, as the kernel sees it.
bool Sleeping(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t name = line.rfind(')');  // the state follows the name
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'S';
}

class DigitalClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        PinLocalZone();  // before any worker reads the zone
        clock_.t = *MakeLocalTime(2026, 2, 3, 9, 5, 7);
        assets_.ApplyClockColours(0x00FFFFFF, 0x00000000);
    }

    // A clock started with the built-in pictures, its first tick shown.
    std::unique_ptr<CDigitalClock> Started(int dateOrder, const ClockDigits& expected) {
        auto clock = std::make_unique<CDigitalClock>();
        EXPECT_EQ(clock->Start(assets_.clockFace(), assets_.clockLargeDigits(), assets_.clockSmallDigits(),
                               dateOrder),
                  CDigitalClock::kStarted);
        EXPECT_TRUE(WaitFor([&] { return clock->digits() == expected; }));
        return clock;
    }

    ReaderClock clock_;
    test::ScopedClock clockInstalled_{clock_};
    QtSkinAssets assets_{SkinPictures{}, LoadClockPictures()};
};

const ClockDigits kDayFirst{0, 9, 0, 5, 0, 7, 0, 3, 0, 2, 2, 0, 2, 6};
const ClockDigits kMonthFirst{0, 9, 0, 5, 0, 7, 0, 2, 0, 3, 2, 0, 2, 6};

// Every cell of the painted clock holds its digit's cell of the strip, and
// everything else is the face as given (dashes and colon included).
void ExpectPainted(const QImage& shown, const QtSkinAssets& a, const ClockDigits& digits) {
    const QImage face = a.clockFace().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), face.size());
    QImage expected = face;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const ClockCell& cell = kClockCells[i];
        const QImage& strip = cell.strip == ClockStrip::Large ? a.clockLargeDigits() : a.clockSmallDigits();
        const PixelRect s = ClockDigitSource(cell.strip, digits[i]);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                expected.setPixel(cell.x + x, cell.y + y, strip.pixel(s.x + x, s.y + y));
    }
    int wrong = 0;
    for (int y = 0; y < face.height(); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (shown.pixel(x, y) != expected.pixel(x, y)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

QImage Shown(CDigitalClock& clock) { return clock.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The face shows every segment lit, so each cell of the table must hold
// exactly the strip's 8: a misplaced cell would leave stray segments.
TEST_F(DigitalClockTest, CellsSitOnTheFacesEights) {
    const ClockPictures original = LoadClockPictures();
    const QImage face = ToQImage(original.face);
    for (std::size_t i = 0; i < kClockCells.size(); ++i) {
        const ClockCell& cell = kClockCells[i];
        const QImage strip =
            ToQImage(cell.strip == ClockStrip::Large ? original.largeDigits : original.smallDigits);
        const PixelRect s = ClockDigitSource(cell.strip, 8);
        int wrong = 0;
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                if (face.pixel(cell.x + x, cell.y + y) != strip.pixel(s.x + x, s.y + y)) ++wrong;
        EXPECT_EQ(wrong, 0) << "cell " << i;
    }
}

TEST_F(DigitalClockTest, ShowsTheMomentInBothDateOrders) {
    auto dayFirst = Started(0, kDayFirst);
    EXPECT_EQ(dayFirst->size(), QSize(kClockFaceWidth, kClockFaceHeight));
    const QImage shown = Shown(*dayFirst);
    ExpectPainted(shown, assets_, kDayFirst);
    if (const QByteArray png = qgetenv("VELTRIN_CLOCK_PNG"); !png.isEmpty())
        shown.scaled(shown.size() * 3).save(QString::fromLocal8Bit(png));

    auto monthFirst = Started(kMonthDayYear, kMonthFirst);
    ExpectPainted(Shown(*monthFirst), assets_, kMonthFirst);

    // The next second reaches the screen from the worker's next tick.
    clock_.t += 1;
    ASSERT_TRUE(WaitFor([&] { return monthFirst->digits()[5] == 8; }));
    ClockDigits later = kMonthFirst;
    later[5] = 8;
    ExpectPainted(Shown(*monthFirst), assets_, later);
}

TEST_F(DigitalClockTest, SecondStartChangesNothing) {
    auto clock = Started(0, kDayFirst);
    clock->move(40, 3);
    const QImage other(20, 10, QImage::Format_RGB32);
    EXPECT_EQ(clock->Start(other, other, other, kMonthDayYear), CDigitalClock::kStarted);
    EXPECT_EQ(clock->geometry(), QRect(40, 3, kClockFaceWidth, kClockFaceHeight));
    EXPECT_EQ(clock->dateOrder(), 0);
    clock_.t += 60;  // 09:06:07
    ASSERT_TRUE(WaitFor([&] { return clock->digits()[3] == 6; }));
    EXPECT_EQ(clock->digits()[7], 3);  // still the day first
    ExpectPainted(Shown(*clock), assets_, clock->digits());
}

TEST_F(DigitalClockTest, MissingPictureLeavesTheClockStill) {
    CDigitalClock clock;
    clock.resize(30, 20);
    EXPECT_EQ(clock.Start(assets_.clockFace(), QImage(), assets_.clockSmallDigits(), 0),
              CDigitalClock::kMissingPicture);
    EXPECT_FALSE(clock.isRunning());
    EXPECT_EQ(clock.size(), QSize(30, 20));
    // No worker was left behind, so a later Start with all three pictures runs.
    EXPECT_EQ(clock.Start(assets_.clockFace(), assets_.clockLargeDigits(), assets_.clockSmallDigits(), 0),
              CDigitalClock::kStarted);
    EXPECT_TRUE(clock.isRunning());
}

TEST_F(DigitalClockTest, DestructionWakesTheSleepingWorkerAtOnce) {
    auto clock = Started(0, kDayFirst);
    const pid_t worker = clock_.reader;
    ASSERT_NE(worker, 0);
    ASSERT_NE(worker, ::gettid());
    // Its first tick is shown: it now sleeps until the next second is due.
    ASSERT_TRUE(WaitFor([&] { return Sleeping(worker); }));
    const auto before = std::chrono::steady_clock::now();
    clock.reset();
    const auto took = std::chrono::steady_clock::now() - before;
    // Far below the second the worker would otherwise sleep on.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 500);
    // Repaints it had queued die with it.
    QApplication::processEvents();
}

TEST_F(DigitalClockTest, RecolouredPicturesShowUnlitSegmentsDimmed) {
    struct Case {
        std::uint32_t back;
        QRgb unlit;
    };
    for (const Case& c : {Case{0x00000000, qRgb(40, 40, 40)}, Case{0x00FF0164, qRgb(92, 40, 234)}}) {
        SCOPED_TRACE(c.back);
        assets_.ApplyClockColours(c.back, 0x0000C000);
        auto clock = Started(0, kDayFirst);
        const QImage shown = Shown(*clock);
        ExpectPainted(shown, assets_, kDayFirst);
        std::set<QRgb> colours;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) colours.insert(shown.pixel(x, y));
        const Rgb back = RgbFromColour(c.back);
        EXPECT_EQ(colours, (std::set<QRgb>{qRgb(back.r, back.g, back.b), qRgb(0, 0xC0, 0), c.unlit}));
    }
}

TEST_F(DigitalClockTest, RecreatedClockTakesTheOldPlace) {
    QWidget window;
    window.resize(400, 100);
    CDigitalClock* first = CDigitalClock::Create(&window, assets_.clockFace(), assets_.clockLargeDigits(),
                                                 assets_.clockSmallDigits());
    first->move(249, 0);
    assets_.ApplyClockColours(0x00000000, 0x00FFFFFF);
    CDigitalClock* second = CDigitalClock::Recreate(first, &window, assets_.clockFace(),
                                                    assets_.clockLargeDigits(), assets_.clockSmallDigits());
    EXPECT_EQ(window.findChildren<CDigitalClock*>().size(), 1);
    EXPECT_EQ(second->geometry(), QRect(249, 0, kClockFaceWidth, kClockFaceHeight));
    EXPECT_TRUE(second->isRunning());
    EXPECT_EQ(second->dateOrder(), 0);
    ASSERT_TRUE(WaitFor([&] { return second->digits() == kDayFirst; }));
    ExpectPainted(Shown(*second), assets_, kDayFirst);
}

}  // namespace
}  // namespace veltrin
