#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace varnel::testing_support {

/// Switches the C library's numeric locale to German, whose decimal separator is a comma, for
/// the life of the guard, as the desktop toolkit does from the user's environment: the
/// system's de_DE.UTF-8, or else one that localedef builds into a folder of this process.
/// Active() is false where neither can be had.
class CommaLocale {
public:
    CommaLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        if (Use()) return;
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("varnel_locales_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
        const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                    (folder_ / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        [[maybe_unused]] const int status = std::system(command.c_str());  // warnings are fine
        ::setenv("LOCPATH", folder_.c_str(), 1);
        Use();
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        if (folder_.empty()) return;
        ::unsetenv("LOCPATH");
        std::filesystem::remove_all(folder_);
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool Active() const { return active_; }

private:
    bool Use() {
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr &&
                  std::localeconv()->decimal_point[0] == ',';
        return active_;
    }

    std::string previous_;
    std::filesystem::path folder_;
    bool active_ = false;
};

}  // namespace varnel::testing_support
