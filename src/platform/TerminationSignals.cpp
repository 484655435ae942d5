#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tallix::platform {

#ifndef _WIN32

namespace {

// The self-pipe: the handler may only write a byte, the main loop reads it.
int signalPipe[2] = {-1, -1};
constexpr std::array<int, 3> kHandledSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int signalNumber) {
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kHandledSignals)
        sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (pipe(signalPipe) != 0)
        return;
    for (const int fd : signalPipe)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            &TerminationSignals::readPendingSignal);
    setHandler(onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    setHandler(SIG_DFL);
    m_notifier.reset();
    for (int& fd : signalPipe) {
        close(fd);
        fd = -1;
    }
}

void TerminationSignals::readPendingSignal() {
    char byte = 0;
    if (read(signalPipe[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}

#else

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
void TerminationSignals::readPendingSignal() {}

#endif

} // namespace tallix::platform
