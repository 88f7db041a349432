#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/terminal_text.h"

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

namespace varnel::cli {
namespace {

TEST(TerminalSafe, ShowsControlsAndHidesOverridesButKeepsText) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"a\x1b[31mb", "a\u241b[31mb"},
        {"tab\tand\nline", "tab\tand\nline"},
        {std::string("nul\0bs\b", 7), "nul\u2400bs\u2408"},
        {"del\x7f", "del\u2421"},
        {"c1\u0085 rlo\u202e iso\u2066", "c1\ufffd rlo\ufffd iso\ufffd"},
        {"Größe φ 浮動 \xff", "Größe φ 浮動 \xff"},
    };
    for (const auto& c : cases) EXPECT_EQ(TerminalSafe(c.text), c.shown) << c.text;
}

}  // namespace
}  // namespace varnel::cli
