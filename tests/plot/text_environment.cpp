// Text is measured and drawn with Qt's fonts, which need a QGuiApplication: one off-screen
// application lives for the whole run of the plot tests.
#include <gtest/gtest.h>

#include <memory>

#include "plot/text_font.h"

namespace varnel::testing_support {
namespace {

class TextEnvironment : public ::testing::Environment {
public:
    void SetUp() override { support_ = std::make_unique<plot::TextSupport>(); }
    void TearDown() override { support_.reset(); }

private:
    std::unique_ptr<plot::TextSupport> support_;
};

[[maybe_unused]] ::testing::Environment* const kTextEnvironment =
    ::testing::AddGlobalTestEnvironment(new TextEnvironment);

}  // namespace
}  // namespace varnel::testing_support
