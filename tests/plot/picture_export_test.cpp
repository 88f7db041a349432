#include "plot/picture_export.h"

#include <gtest/gtest.h>

TEST(PictureExport, Placeholder) {}
