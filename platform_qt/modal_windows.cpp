#include "platform_qt/modal_windows.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace platform_qt {

void RejectModalWindows() {
    // Each pass hides the topmost one; a window that will not go ends the loop.
    for (QWidget* previous = nullptr; QWidget* window = QApplication::activeModalWidget();
         previous = window) {
        if (window == previous) break;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
    }
}

} // namespace platform_qt
