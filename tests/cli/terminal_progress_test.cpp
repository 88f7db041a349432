#include "cli/terminal_progress.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "cli/interrupt_erase.h"
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

// A child process stands for varnel-cli: its standard error is a pipe read here.
TEST(EraseOnInterrupt, ErasesTheShownLineThenDiesOfTheSignal) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(pipeEnds[1], STDERR_FILENO);
        EraseOnInterrupt(9);
        EraseOnInterrupt(5);  // the line shown last is the one erased
        std::raise(SIGINT);
        ::_exit(0);  // not reached: the signal ends the process
    }
    ::close(pipeEnds[1]);
    std::string written;
    char buffer[64];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        written.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(written, "\r     \r");
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

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
    // A long name keeps its end, cut between characters, within the columns: 浮 takes two.
    EXPECT_EQ(KeepEndWithin("/daten/Größe_浮動.txt", 15), "...öße_浮動.txt");
    EXPECT_EQ(KeepEndWithin("/daten/Größe_浮動.txt", 11), "...浮動.txt");
    EXPECT_EQ(KeepEndWithin("ab\xff", 3), "ab\xff");
    EXPECT_EQ(DisplayWidth("Größe φ 浮動"), 12u);
}

}  // namespace
}  // namespace varnel::cli
