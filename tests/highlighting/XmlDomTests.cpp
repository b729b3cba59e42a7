#include <gtest/gtest.h>
#include "highlighting/XmlDom.h"
TEST(XmlNameTable, FixedIds) { EXPECT_EQ(DefaultNameTable()->InternName("xml"), 4); }
