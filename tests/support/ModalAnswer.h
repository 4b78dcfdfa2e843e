#pragma once

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace veltrin::test {

// Works on the next modal dialog once it is open, from inside the loop that
// runs it: act gets it as a D and must end it. Every test that answers a
// dialog or a message box goes through here.
template <class D = QDialog>
void WhenModalOpens(std::function<void(D*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* modal = nullptr;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 30000))
            << "no dialog opened";
        auto* d = qobject_cast<D*>(modal);
        ASSERT_TRUE(d) << "another kind of dialog opened: " << modal->metaObject()->className();
        act(d);
    });
}

// Answers the next modal dialog: `before` works on it, then it is accepted
// or rejected.
inline void AnswerNextDialog(bool accept, const std::function<void(QDialog*)>& before = {}) {
    WhenModalOpens<QDialog>([=](QDialog* d) {
        if (before) before(d);
        accept ? d->accept() : d->reject();
    });
}

// Answers the next file dialog (Qt's own) with a file, in the named filter
// when given; an empty path cancels it.
inline void AnswerFileDialog(const std::string& path, const QString& filter = {}) {
    WhenModalOpens<QFileDialog>([path, filter](QFileDialog* d) {
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        if (path.empty()) {
            d->reject();
            return;
        }
        if (!filter.isEmpty()) d->selectNameFilter(filter);
        d->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(d)->accept();  // QFileDialog's own accept() is protected
    });
}

}  // namespace veltrin::test
