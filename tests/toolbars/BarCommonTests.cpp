// Support routines of the toolbar units: settings, monitors, text, printing and lists.
#include <gtest/gtest.h>

#include "toolbars/BarCommon.h"

TEST(BarCommon, DivRoundUpMovesAnInexactQuotientAwayFromZero) {
  EXPECT_EQ(DivRoundUp(7, 2), 4);
}
