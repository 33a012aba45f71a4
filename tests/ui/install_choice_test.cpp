// The minutes typed into the install prompt, brought into the up-down's range:
// no typed value may become Cancel (0) or reach the make-default bit.
#include "ui/dialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(ClampMinutes, KeepsTheRangeOfTheArrows)
{
    const struct {
        unsigned typed;
        int minutes;
    } cases[] = {
        {0, 1},     {1, 1},      {2, 2},           {10, 10},         {98, 98},          {99, 99},
        {100, 99},  {127, 99},   {128, 99},        {200, 99},        {255, 99},         {256, 99},
        {0x180, 99}, {65535, 99}, {0x7FFFFFFFu, 99}, {0x80000000u, 99}, {0xFFFFFFFFu, 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampMinutes(c.typed), c.minutes) << c.typed;
}

}  // namespace
