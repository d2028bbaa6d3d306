// Guarded handlers: an exception escaping a window's handler is shown the way
// the application's default exception handler shows it (its exact message in a
// message box captioned with the application's title) and the event loop goes on.
#pragma once

#include <QApplication>
#include <QWidget>
#include <exception>
#include <type_traits>

namespace platform_qt {

// Flags of the exception box: OK button and stop icon.
inline constexpr unsigned EXCEPTION_BOX_FLAGS = 0x10;

// Shows the exception's message in a message box (platform_qt/message_box.h).
void ShowException(QWidget* parent, const std::exception& error);

// Runs `action`; an exception it raises is shown and does not escape.
template <class Action> void RunGuarded(QWidget* parent, Action&& action) noexcept {
    try {
        action();
    } catch (const std::exception& error) {
        ShowException(parent, error);
    }
}

// A slot for connect() that calls a member handler guarded:
//   connect(BtnLoad, &QPushButton::clicked, this, Guarded(this, &TDiscForm::BtnLoadClick));
template <class Form, class... Args> auto Guarded(Form* form, void (Form::*handler)(Args...)) {
    return [form, handler](Args... args) {
        QWidget* parent = nullptr;
        if constexpr (std::is_base_of_v<QWidget, Form>) parent = form;
        RunGuarded(parent, [&] { (form->*handler)(args...); });
    };
}

// The application object of our programs: an exception that escapes an event
// handler (paint, keys, timers) is shown and the loop goes on.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace platform_qt
