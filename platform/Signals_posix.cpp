#include "platform/Signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe the handler writes into; read by the handler, which may run on
// any thread at any moment, so nothing but a plain descriptor.
volatile sig_atomic_t signalPipe = -1;

extern "C" void forwardSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe loses the byte: the reader has requests enough to act on.
    const ssize_t ignored = ::write(signalPipe, &byte, 1);
    (void)ignored;
    errno = saved;
}

bool setAction(void (*handler)(int)) noexcept
{
    struct sigaction action {};
    action.sa_handler = handler;
    // Threads the signal interrupts, the JVM's among them, go on with what
    // they were doing.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    bool set = true;
    for (const int number : stopSignals) {
        set = ::sigaction(number, &action, nullptr) == 0 && set;
    }
    return set;
}

} // namespace

bool catchStopSignals(const UniqueFileHandle& writeEnd) noexcept
{
    const int flags = ::fcntl(writeEnd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(writeEnd.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        return false;
    }
    signalPipe = writeEnd.get();
    if (!setAction(forwardSignal)) {
        restoreStopSignals();
        return false;
    }
    return true;
}

void restoreStopSignals() noexcept
{
    (void)setAction(SIG_DFL);
    signalPipe = -1;
}

CaughtSignal nextCaughtSignal(const UniqueFileHandle& readEnd) noexcept
{
    unsigned char byte = 0;
    ssize_t got;
    do {
        got = ::read(readEnd.get(), &byte, 1);
    } while (got < 0 && errno == EINTR);
    if (got != 1) {
        return CaughtSignal::other;
    }
    if (byte == SIGTERM || byte == SIGINT) {
        return CaughtSignal::stop;
    }
    return byte == SIGHUP ? CaughtSignal::hangUp : CaughtSignal::other;
}

} // namespace platform
