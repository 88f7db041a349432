#include "input/text_to_float.h"

#include <gtest/gtest.h>

#include "tests/support/comma_locale.h"

namespace varnel {
namespace {

// Qt sets the C locale from the user's environment: the conversion takes the separator it is
// given and never the locale's.
TEST(TextToFloat, TakesTheGivenSeparatorUnderACommaLocale) {
    testing_support::ScopedCommaLocale comma;
    ASSERT_TRUE(comma.Active());
    struct Case {
        const char* text;
        char separator;
        long double value;
    };
    const Case cases[] = {{"1,5", ',', 1.5L}, {"-0,1", ',', -0.1L}, {"1.5", '.', 1.5L},
                          {"0.1", '.', 0.1L}, {",", ',', 0.0L},     {"2,5e-3", ',', 2.5e-3L}};
    for (const Case& c : cases) EXPECT_EQ(TextToFloat(c.text, c.separator), c.value) << c.text;
    EXPECT_FALSE(TextToFloat("1.5", ','));
    EXPECT_FALSE(TextToFloat("1,5", '.'));
}

}  // namespace
}  // namespace varnel
