#include "app/CDigitalClock.h"

#include <chrono>
#include <system_error>

#include <QPainter>

#include "base/LocalTime.h"
#include "platform/Platform.h"

namespace veltrin {

CDigitalClock::CDigitalClock(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("clock")); }

CDigitalClock::~CDigitalClock() { Stop(); }

int CDigitalClock::Start(QImage face, QImage largeDigits, QImage smallDigits, int dateOrder) {
    if (worker_.joinable()) return kStarted;

    ReleasePictures();
    if (face.isNull() || largeDigits.isNull() || smallDigits.isNull()) return kMissingPicture;
    // Painting copies cells into the face itself: give it a plain format and a
    // copy of its own now, not at the first paint.
    face_ = face.convertToFormat(QImage::Format_RGB32);
    face_.detach();
    large_ = std::move(largeDigits);
    small_ = std::move(smallDigits);

    resize(face_.size());
    updateGeometry();
    dateOrder_ = dateOrder;
    for (auto& d : digits_) d.store(0, std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = true;
    }
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        running_ = false;
        ReleasePictures();
        return kThreadFailed;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    return kStarted;
}

CDigitalClock* CDigitalClock::Create(QWidget* parent, const QImage& face, const QImage& largeDigits,
                                     const QImage& smallDigits, int dateOrder) {
    auto* clock = new CDigitalClock(parent);
    clock->Start(face, largeDigits, smallDigits, dateOrder);
    clock->show();
    return clock;
}

CDigitalClock* CDigitalClock::Recreate(CDigitalClock* old, QWidget* parent, const QImage& face,
                                       const QImage& largeDigits, const QImage& smallDigits, int dateOrder) {
    const QPoint at = old ? old->pos() : QPoint();
    delete old;
    CDigitalClock* clock = Create(parent, face, largeDigits, smallDigits, dateOrder);
    clock->move(at);
    return clock;
}

ClockDigits CDigitalClock::digits() const {
    ClockDigits d{};
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = digits_[i].load(std::memory_order_relaxed);
    return d;
}

QSize CDigitalClock::sizeHint() const {
    return face_.isNull() ? QSize(kClockFaceWidth, kClockFaceHeight) : face_.size();
}

void CDigitalClock::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (running_) {
        if (resting_) {
            wake_.wait(lock, [this] { return !running_ || !resting_; });
            continue;
        }
        lock.unlock();
        Tick();
        // Only the UI thread draws: post the repaint to it. A call still
        // queued when the control goes is dropped with it.
        QMetaObject::invokeMethod(
            this, [this] { update(); }, Qt::QueuedConnection);
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(1000), [this] { return !running_ || resting_; });
    }
}

void CDigitalClock::Rest(bool resting) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (resting_ == resting) return;
        resting_ = resting;
    }
    wake_.notify_all();
}

bool CDigitalClock::resting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return resting_;
}

void CDigitalClock::Tick() {
    const DateTime t = BreakDownLocal(clock().now());
    const ClockDigits d = ClockDigitsAt(t.year, t.month, t.day, t.hour, t.minute, t.second, dateOrder_);
    for (std::size_t i = 0; i < d.size(); ++i) digits_[i].store(d[i], std::memory_order_relaxed);
}

void CDigitalClock::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void CDigitalClock::ReleasePictures() {
    face_ = QImage();
    large_ = QImage();
    small_ = QImage();
}

void CDigitalClock::paintEvent(QPaintEvent*) {
    // A still clock draws nothing of its own, like an empty static control.
    if (!worker_.joinable()) return;

    const ClockDigits d = digits();
    {
        QPainter face(&face_);
        face.setCompositionMode(QPainter::CompositionMode_Source);
        for (std::size_t i = 0; i < d.size(); ++i) {
            const ClockCell& cell = kClockCells[i];
            const PixelRect s = ClockDigitSource(cell.strip, d[i]);
            face.drawImage(QPoint(cell.x, cell.y), cell.strip == ClockStrip::Large ? large_ : small_,
                           QRect(s.x, s.y, s.width, s.height));
        }
    }
    QPainter(this).drawImage(0, 0, face_);
}

}  // namespace veltrin
