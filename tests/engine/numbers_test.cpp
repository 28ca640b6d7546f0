#include <gtest/gtest.h>
#include "velmora/numbers.h"
TEST(Placeholder, Builds) { EXPECT_EQ(velmora::NumericValue("20"), 20.0); }
