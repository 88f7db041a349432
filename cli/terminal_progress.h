#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/estimation.h"

namespace varnel::cli {

/// A progress line for a person at a terminal, "LABEL K of MAX", rewritten in place ("\r"). It
/// appears only once the work has run for kProgressDelay (shorter work shows nothing), then
/// changes at most every kProgressInterval; Clear (and the destructor) erases it. Writes through
/// `write`; `now` is the clock.
class TerminalProgress : public ProgressSink {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kProgressDelay = std::chrono::seconds(1);
    static constexpr Clock::duration kProgressInterval = std::chrono::milliseconds(100);

    TerminalProgress(std::string label, std::function<void(std::string_view)> write,
                     std::function<Clock::time_point()> now = Clock::now);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    /// Erases the line if it is shown; the next position shows it again.
    void Clear();

private:
    std::string label_;
    std::function<void(std::string_view)> write_;
    std::function<Clock::time_point()> now_;
    Clock::time_point start_;
    Clock::time_point lastShown_;
    int maximum_ = 0;
    std::size_t shownLength_ = 0;  // 0: no line shown
};

/// A TerminalProgress on standard error when standard error is a terminal; none otherwise, so
/// that scripts and logs see exactly what they saw without it.
std::unique_ptr<TerminalProgress> StandardErrorProgress(std::string label);

}  // namespace varnel::cli
