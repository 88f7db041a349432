#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_folder.h"

namespace varnel::testing_support {

/// What one run of varnel-cli gave: its exit status (-1 when a signal ended it) and the text
/// of its standard output and error.
struct CliRun {
    int status = -1;
    std::string out, err;
};

/// `text` as one word for /bin/sh, whatever bytes it holds.
inline std::string ShellWord(const std::string& text) {
    std::string word = "'";
    for (const char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

/// The lines of `text`, each without its line feed.
inline std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

/// How a test runs varnel-cli, as a user's shell script would.
struct CliCall {
    std::string arguments{};         ///< shell words after the program's name
    std::filesystem::path folder{};  ///< the working folder; its name + ".out"/".err" capture
    std::string program = VARNEL_CLI_PATH;
    std::string prefix{};             ///< a command before the program, such as setpriv …
    std::string stdoutRedirection{};  ///< instead of the capture, such as ">/dev/full" or ">&-"
};

/// Runs the call through /bin/sh and collects what it printed.
inline CliRun RunCli(const CliCall& call) {
    const std::string out = call.folder.string() + ".out", err = call.folder.string() + ".err";
    const std::string redirection =
        call.stdoutRedirection.empty() ? ">" + ShellWord(out) : call.stdoutRedirection;
    const std::string command = "cd " + ShellWord(call.folder.string()) + " && " + call.prefix +
                                " " + ShellWord(call.program) + " " + call.arguments + " " +
                                redirection + " 2>" + ShellWord(err);
    const int raw = std::system(command.c_str());
    CliRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

}  // namespace varnel::testing_support
