#include "app/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <QColor>

#include "app/logo_data.h"

namespace varnel::app {
namespace {

TEST(DecodeJpeg, DecodesTheLogoInColour) {
    const QImage logo = DecodeJpeg(kLogoJpeg, kLogoJpegSize);
    ASSERT_EQ(logo.size(), QSize(96, 96));
    const QColor corner = logo.pixelColor(2, 2);
    EXPECT_GT(corner.blue(), corner.red() + 30);  // the dark blue ground
}

TEST(DecodeJpeg, GivesANullImageForBytesThatAreNoJpeg) {
    const unsigned char garbage[] = {0xff, 0xd8, 0x00, 0x01, 0x02, 0x03};
    EXPECT_TRUE(DecodeJpeg(garbage, sizeof garbage).isNull());
    EXPECT_TRUE(DecodeJpeg(garbage, 0).isNull());
}

}  // namespace
}  // namespace varnel::app
