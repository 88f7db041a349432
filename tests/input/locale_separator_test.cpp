#include "input/locale_separator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/comma_locale.h"

namespace varnel {
namespace {

TEST(UserDecimalSeparator, IsTheCommaOfAGermanEnvironment) {
    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    EXPECT_EQ(UserDecimalSeparator(), ',');
}

TEST(UserDecimalSeparator, IsAPointWhenTheEnvironmentNamesALocaleTheSystemLacks) {
    const char* saved = std::getenv("LC_ALL");
    const std::string earlier = saved ? saved : "";
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);
    const char separator = UserDecimalSeparator();
    if (saved) {
        ::setenv("LC_ALL", earlier.c_str(), 1);
    } else {
        ::unsetenv("LC_ALL");
    }
    EXPECT_EQ(separator, '.');
}

}  // namespace
}  // namespace varnel
