#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace varnel::testing_support {

/// What one run of varnel-cli left: its exit status and its two output streams.
struct CliRun {
    int status = -1;
    std::string out, err;
};

/// The whole content of a file, empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// Runs `cli` with `arguments` (shell words) as a user's script would, its output captured in
/// files of `folder`.
inline CliRun RunCli(const std::string& cli, const std::string& arguments,
                     const std::filesystem::path& folder) {
    const std::string out = (folder / "out").string(), err = (folder / "err").string();
    const std::string command = cli + " " + arguments + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadAll(out), ReadAll(err)};
}

}  // namespace varnel::testing_support
