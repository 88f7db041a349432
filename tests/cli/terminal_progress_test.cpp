#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel::cli {
namespace {

using namespace std::chrono_literals;
using Clock = TerminalProgress::Clock;

TEST(TerminalProgress, ShowsWorkOnlyPastASecondAtMostEveryTenthAndErasesItself) {
    std::string written;
    Clock::time_point now{};
    {
        TerminalProgress progress(
            "f.txt: bootstrap", [&](std::string_view text) { written += text; },
            [&] { return now; });
        progress.SetMaximum(1000);
        now += 999ms;
        progress.SetPosition(10);
        progress.Clear();
        EXPECT_EQ(written, "");  // short work shows nothing, and has nothing to erase
        now += 1ms;
        progress.SetPosition(20);
        now += 50ms;
        progress.SetPosition(30);  // too soon after the last
        now += 50ms;
        progress.SetPosition(400);
        EXPECT_EQ(written, "\rf.txt: bootstrap 20 of 1000\rf.txt: bootstrap 400 of 1000");
        written.clear();
        now += 1s;
        progress.SetMaximum(5);
        progress.SetPosition(5);  // a shorter line blanks the rest of the longer one
    }
    EXPECT_EQ(written, "\rf.txt: bootstrap 5 of 5" + std::string(5, ' ') + "\r" +
                           std::string(28, ' ') + "\r");
}

}  // namespace
}  // namespace varnel::cli
