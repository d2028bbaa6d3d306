#include "platform_qt/guarded.h"

#include "platform_qt/message_box.h"

#include <QGuiApplication>

namespace platform_qt {

void ShowException(QWidget* parent, const std::exception& error) {
    MessageBox(parent, QString::fromStdString(error.what()), QGuiApplication::applicationDisplayName(),
               EXCEPTION_BOX_FLAGS);
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(nullptr, error);
        return false;
    }
}

} // namespace platform_qt
