#include "core/varnel_error.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace varnel {
namespace {

TEST(ErrorBoxText, AppendsAFullStopAfterMessagesThatSortAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
        const char* detail = "";  // on a line of its own below the message
    };
    const Case cases[] = {
        {"'x' は浮動小数点数ではありません", "'x' は浮動小数点数ではありません.\nx, R on line 1",
         "x, R on line 1"},
        {"I/O エラー (13)", "I/O エラー (13)\nwhere", "where"},
        {"0 による浮動小数点数除算", "0 による浮動小数点数除算."},  // a multi-byte ending
        {"I/O エラー (13)", "I/O エラー (13)"},                     // ")" sorts before "."
        {"No data loaded.", "No data loaded."},
        {"No data loaded", "No data loaded."},
        {"File 7", "File 7."},
        {"Stop!", "Stop!"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorBoxText(c.message, c.detail), c.shown) << c.message;
    }
}

TEST(UserMessageOf, GivesTheRuntimeTextOfAFailedAllocation) {
    EXPECT_EQ(UserMessageOf(std::bad_alloc()), kOutOfMemoryMessage);
    EXPECT_EQ(UserMessageOf(VarnelError("No data loaded.")), "No data loaded.");
    EXPECT_EQ(UserMessageOf(std::length_error("vector::_M_default_append")),
              "vector::_M_default_append");
    EXPECT_EQ(UserMessageOf(VarnelError("text", "detail")), "text");
    EXPECT_EQ(UserDetailOf(VarnelError("text", "detail")), "detail");
    EXPECT_EQ(UserDetailOf(std::length_error("vector::_M_default_append")), "");
    EXPECT_NE(UserDetailOf(std::bad_alloc()), "");
}

}  // namespace
}  // namespace varnel
