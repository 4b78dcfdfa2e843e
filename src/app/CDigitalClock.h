#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include <QImage>
#include <QWidget>

#include "imaging/ClockFace.h"

namespace veltrin {

// The liquid-crystal clock of the main window's button row, drawn entirely
// from three pictures: a face with every segment shown and the strips of the
// large and small digits. A worker thread of its own reads the local time
// once a second and asks for a repaint; all drawing stays on the UI thread.
class CDigitalClock : public QWidget {
public:
    static constexpr int kControlId = 305;

    // Results of Start.
    static constexpr int kStarted = 0;         // also when it was already running
    static constexpr int kMissingPicture = 1;  // a picture was null
    static constexpr int kThreadFailed = 2;    // the worker could not be started

    explicit CDigitalClock(QWidget* parent = nullptr);
    // Wakes the worker and waits for it, so the control is never freed while
    // the thread can still reach it.
    ~CDigitalClock() override;

    // Takes the three pictures and starts the clock; the control takes the
    // face's size and keeps its position. dateOrder kMonthDayYear shows the
    // month first, anything else the day. A running clock is left as it is.
    // On failure the pictures are released and the control stays still.
    int Start(QImage face, QImage largeDigits, QImage smallDigits, int dateOrder);

    // A new clock, started with the pictures and shown: the main window's way
    // to create it.
    static CDigitalClock* Create(QWidget* parent, const QImage& face, const QImage& largeDigits,
                                 const QImage& smallDigits, int dateOrder = 0);
    // Destroys old (may be null) and puts a new clock with the given pictures
    // where it stood: how new clock colours reach the screen.
    static CDigitalClock* Recreate(CDigitalClock* old, QWidget* parent, const QImage& face,
                                   const QImage& largeDigits, const QImage& smallDigits, int dateOrder = 0);

    bool isRunning() const { return worker_.joinable(); }
    // A resting clock's worker sleeps without ticking or asking for repaints
    // (the main window off the screen); woken, it ticks at once.
    void Rest(bool resting);
    bool resting() const;
    int dateOrder() const { return dateOrder_; }
    // The digits last written by the worker (all zero before its first tick).
    ClockDigits digits() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Run();
    void Tick();
    void Stop();
    void ReleasePictures();

    QImage face_, large_, small_;
    int dateOrder_ = 0;
    // Written by the worker, read by painting; each digit is one byte, so a
    // paint at worst mixes two consecutive seconds, which the next tick mends.
    std::array<std::atomic<std::uint8_t>, 14> digits_{};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;  // guarded by mutex_
    bool resting_ = false;  // guarded by mutex_
    std::thread worker_;
};

}  // namespace veltrin
