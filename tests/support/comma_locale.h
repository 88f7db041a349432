#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace varnel::testing_support {

/// Puts the process under the German locale (decimal separator ",") the way a user's
/// environment does: LC_ALL=de_DE.UTF-8 in the environment and the C locale set from it, as Qt
/// sets it at start. The locale comes from the folder the build generates it into
/// (VARNEL_TEST_LOCALE_DIR, through LOCPATH). Everything is put back at the end of the scope.
class ScopedCommaLocale {
public:
    ScopedCommaLocale()
        : savedLocale_(std::setlocale(LC_ALL, nullptr)),
          savedLocPath_(Get("LOCPATH")),
          savedLcAll_(Get("LC_ALL")) {
        ::setenv("LOCPATH", VARNEL_TEST_LOCALE_DIR, 1);
        ::setenv("LC_ALL", "de_DE.UTF-8", 1);
        active_ = std::setlocale(LC_ALL, "") != nullptr;
        EXPECT_TRUE(active_) << "no de_DE.UTF-8 locale in " << VARNEL_TEST_LOCALE_DIR;
        if (active_) {
            EXPECT_STREQ(std::localeconv()->decimal_point, ",");
        }
    }
    ~ScopedCommaLocale() {
        Restore("LOCPATH", savedLocPath_);
        Restore("LC_ALL", savedLcAll_);
        std::setlocale(LC_ALL, savedLocale_.c_str());
    }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

    /// True when the comma locale is in force.
    bool Active() const { return active_; }

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    std::string savedLocale_;
    std::optional<std::string> savedLocPath_;
    std::optional<std::string> savedLcAll_;
    bool active_ = false;
};

}  // namespace varnel::testing_support
