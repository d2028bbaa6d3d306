// SIGTERM, SIGINT, SIGHUP (the terminal went away) and SIGQUIT handed to the
// event loop: the signal handler only writes a byte into a pipe, and a socket
// notifier on the thread that made the object reads it and runs the action
// there. One object at a time; it restores the previous handlers when it goes.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace platform_qt {

class TSignalAction : public QObject {
    Q_OBJECT

  public:
    // Raises std::runtime_error when the pipe or the handlers cannot be set up.
    explicit TSignalAction(std::function<void()> action, QObject* parent = nullptr);
    ~TSignalAction() override;
    TSignalAction(const TSignalAction&) = delete;
    TSignalAction& operator=(const TSignalAction&) = delete;

  private:
    void Received();

    std::function<void()> Action;
    std::unique_ptr<QSocketNotifier> Notifier;
};

} // namespace platform_qt
