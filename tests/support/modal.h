#pragma once

// For tests that open a real modal box: the box runs its own event loop, so
// what the test does to it is queued before the box opens.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

// Runs `act` on the modal box once it is open.
inline void whenOpen(std::function<void(QWidget&)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        // Keys reach a box only once it has been on screen for a moment.
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::qWait(350);
        act(*box);
    });
}
