#include "platform_qt/signal_action.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <stdexcept>
#include <unistd.h>
#include <utility>

namespace platform_qt {

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
int Pipe[2] = {-1, -1};
struct sigaction Previous[std::size(Signals)];

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    // A full pipe already holds a request: dropping this one loses nothing.
    [[maybe_unused]] const ssize_t n = write(Pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

TSignalAction::TSignalAction(std::function<void()> action, QObject* parent)
    : QObject(parent), Action(std::move(action)) {
    if (Pipe[0] >= 0) throw std::runtime_error("signal action already installed");
    if (pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create the signal pipe");
    Notifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
    connect(Notifier.get(), &QSocketNotifier::activated, this, &TSignalAction::Received);
    struct sigaction handler = {};
    handler.sa_handler = OnSignal;
    sigemptyset(&handler.sa_mask);
    handler.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &handler, &Previous[i]);
}

TSignalAction::~TSignalAction() {
    for (std::size_t i = 0; i < std::size(Signals); ++i)
        sigaction(Signals[i], &Previous[i], nullptr);
    Notifier.reset();
    close(Pipe[0]);
    close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}

void TSignalAction::Received() {
    char bytes[16];
    bool any = false;
    while (read(Pipe[0], bytes, sizeof bytes) > 0)
        any = true;
    if (any && Action) Action();
}

} // namespace platform_qt
