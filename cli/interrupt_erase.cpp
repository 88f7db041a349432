#include "cli/interrupt_erase.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace varnel::cli {
namespace {

// The erase sequence is prepared before it can be needed: a signal handler may only call
// async-signal-safe functions (write, signal, raise), so it builds nothing.
constexpr std::size_t kLongestErase = 1024;
char eraseText[kLongestErase + 2];
volatile std::sig_atomic_t eraseLength = 0;  // 0: nothing to erase
bool handlersInstalled = false;

extern "C" void EraseAndDie(int signalNumber) {
    const auto length = static_cast<std::size_t>(eraseLength);
    if (length > 0) [[maybe_unused]]
        const ssize_t written = ::write(STDERR_FILENO, eraseText, length);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

}  // namespace

void EraseOnInterrupt(std::size_t shownLength) {
    eraseLength = 0;  // the handler reads no half-written text
    if (shownLength == 0) return;
    const std::size_t blanks = std::min(shownLength, kLongestErase);
    eraseText[0] = '\r';
    std::fill(eraseText + 1, eraseText + 1 + blanks, ' ');
    eraseText[blanks + 1] = '\r';
    if (!handlersInstalled) {
        handlersInstalled = true;
        for (const int signalNumber : {SIGINT, SIGTERM}) {
            struct sigaction action {};
            action.sa_handler = EraseAndDie;
            sigemptyset(&action.sa_mask);
            ::sigaction(signalNumber, &action, nullptr);
        }
    }
    eraseLength = static_cast<std::sig_atomic_t>(blanks + 2);
}

}  // namespace varnel::cli
