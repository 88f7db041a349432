#include "cli/terminal_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/interrupt_erase.h"
#include "cli/terminal_text.h"

namespace varnel::cli {

TerminalProgress::TerminalProgress(std::string label, std::function<void(std::string_view)> write,
                                   std::function<Clock::time_point()> now)
    : label_(std::move(label)), write_(std::move(write)), now_(std::move(now)), start_(now_()) {}

TerminalProgress::~TerminalProgress() { Clear(); }

void TerminalProgress::SetMaximum(int maximum) { maximum_ = maximum; }

void TerminalProgress::SetPosition(int position) {
    const Clock::time_point now = now_();
    if (now - start_ < kProgressDelay) return;
    if (shownLength_ > 0 && now - lastShown_ < kProgressInterval) return;
    std::string line = label_ + " " + std::to_string(position) + " of " + std::to_string(maximum_);
    const std::size_t length = DisplayWidth(line);
    // Blanks over what a longer earlier line left.
    if (length < shownLength_) line += std::string(shownLength_ - length, ' ');
    write_("\r" + line);
    shownLength_ = std::max(length, shownLength_);
    lastShown_ = now;
}

void TerminalProgress::Clear() {
    if (shownLength_ == 0) return;
    write_("\r" + std::string(shownLength_, ' ') + "\r");
    shownLength_ = 0;
}

std::unique_ptr<TerminalProgress> StandardErrorProgress(std::string label) {
    if (::isatty(STDERR_FILENO) != 1) return nullptr;
    label = TerminalSafe(label);
    // A line wider than the terminal would wrap, and the next update could not erase it: the
    // label keeps its end (the file's name) within the width, counts included.
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        const std::size_t room = size.ws_col > 40 ? size.ws_col - 30u : 10u;
        label = KeepEndWithin(label, room);
    }
    return std::make_unique<TerminalProgress>(std::move(label), [](std::string_view text) {
        // A progress line that cannot be written is no failure of the run.
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        // "\r" and the line shows it, blanks between two "\r" erase it: an interrupt erases
        // what stands.
        EraseOnInterrupt(text.ends_with('\r') ? 0 : DisplayWidth(text) - 1);
    });
}

}  // namespace varnel::cli
