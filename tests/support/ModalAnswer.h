#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace veltrin::test {

// Answers the next modal dialog once it is open: `before` works on it, then
// it is accepted or rejected.
inline void AnswerNextDialog(bool accept, const std::function<void(QDialog*)>& before = {}) {
    QTimer::singleShot(0, [=] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(d);
        if (before) before(d);
        accept ? d->accept() : d->reject();
    });
}

}  // namespace veltrin::test
