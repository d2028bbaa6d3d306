// Waiting for a window to take the focus. QTest::qWaitForWindowActive counts a
// window as active while the window it is transient for is, so for a tool
// window of the main window it returns before the tool window has the focus.
#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

inline bool WaitUntilActive(const QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}
