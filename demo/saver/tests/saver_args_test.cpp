// The screen-saver command-line rules and the mouse-move filter, on every platform.
#include "saver_args.h"

#include <gtest/gtest.h>

namespace {

struct GoodCase {
    const char* arguments;
    SaverMode mode;
    bool hasWindow;
    uint32_t window;
};

const GoodCase kGoodCases[] = {
    {"", SaverMode::Screen, false, 0},
    {"   \t ", SaverMode::Screen, false, 0},
    {"/S", SaverMode::Screen, false, 0},
    {"/s", SaverMode::Screen, false, 0},
    {"-s", SaverMode::Screen, false, 0},
    {"  /S  ", SaverMode::Screen, false, 0},
    {"\"/S\"", SaverMode::Screen, false, 0},
    {"/P 1234", SaverMode::Preview, true, 1234},
    {"/p 1234", SaverMode::Preview, true, 1234},
    {"/p:1234", SaverMode::Preview, true, 1234},
    {"/p\t\t66048 ", SaverMode::Preview, true, 66048},
    {"-p 0x1A2b", SaverMode::Preview, true, 0x1A2B},
    {"/p \"1234\"", SaverMode::Preview, true, 1234},
    {"/p 4294967295", SaverMode::Preview, true, 0xFFFFFFFFu},
    {"/C", SaverMode::Configure, false, 0},
    {"/c", SaverMode::Configure, false, 0},
    {"/c:5678", SaverMode::Configure, true, 5678},
    {"/C 5678", SaverMode::Configure, true, 5678},
    {"/c:0", SaverMode::Configure, true, 0},
};

TEST(ParseSaverArgs, AcceptsTheForms)
{
    for (const GoodCase& c : kGoodCases) {
        SaverArgs args;
        args.mode = SaverMode::Configure;  // something a lazy parser would leave
        args.window = 99;
        args.hasWindow = true;
        ASSERT_TRUE(ParseSaverArgs(c.arguments, &args)) << "[" << c.arguments << "]";
        EXPECT_EQ(args.mode, c.mode) << "[" << c.arguments << "]";
        EXPECT_EQ(args.hasWindow, c.hasWindow) << "[" << c.arguments << "]";
        EXPECT_EQ(args.window, c.window) << "[" << c.arguments << "]";
    }
}

TEST(ParseSaverArgs, NullMeansNoArguments)
{
    SaverArgs args;
    args.mode = SaverMode::Configure;
    ASSERT_TRUE(ParseSaverArgs(nullptr, &args));
    EXPECT_EQ(args.mode, SaverMode::Screen);
    EXPECT_FALSE(args.hasWindow);
}

struct BadCase {
    const char* arguments;
    const char* reason;
};

const BadCase kBadCases[] = {
    {"/p", "preview without a window"},
    {"/p:", "empty glued handle"},
    {"/p 0", "preview of the null window"},
    {"/p:0", "glued null window"},
    {"/p 12ab", "handle with trailing letters"},
    {"/p -5", "negative handle"},
    {"/p 0x", "hexadecimal prefix alone"},
    {"/p 0xG1", "bad hexadecimal digit"},
    {"/p 4294967296", "handle beyond 32 bits"},
    {"/p 99999999999999999999999", "handle that would wrap 64 bits"},
    {"/p 12 34", "second handle"},
    {"/p:12 34", "glued handle and another"},
    {"/p=12", "wrong separator"},
    {"/s:12", "screen mode takes no handle"},
    {"/s 12", "screen mode with a stray number"},
    {"/s /c", "two switches"},
    {"/sx", "letters after the switch"},
    {"/a", "password change is not ours"},
    {"/", "slash alone"},
    {"s", "switch without slash"},
    {"hello", "plain word"},
    {"\"/p 12\"", "blank inside quotes belongs to the switch"},
};

TEST(ParseSaverArgs, RefusesMalformedLinesAndLeavesResultAlone)
{
    for (const BadCase& c : kBadCases) {
        SaverArgs args;
        args.mode = SaverMode::Configure;
        args.window = 77;
        args.hasWindow = true;
        EXPECT_FALSE(ParseSaverArgs(c.arguments, &args)) << c.reason << ": [" << c.arguments << "]";
        EXPECT_EQ(args.mode, SaverMode::Configure) << c.reason;
        EXPECT_EQ(args.window, 77u) << c.reason;
        EXPECT_TRUE(args.hasWindow) << c.reason;
    }
}

TEST(WakeFilter, IgnoresTheFirstMessagesWhereverTheyPoint)
{
    WakeFilter filter;
    for (int i = 0; i < WakeFilter::kIgnoredMessages; ++i)
        EXPECT_FALSE(filter.IsRealMove(i * 500, i * 300)) << "message " << i;
    // The first counted position is the anchor, however far from the ignored ones.
    EXPECT_FALSE(filter.IsRealMove(10, 10));
    EXPECT_TRUE(filter.IsRealMove(10 + WakeFilter::kThreshold + 1, 10));
}

TEST(WakeFilter, SmallMovesAroundTheAnchorDoNotWake)
{
    WakeFilter filter;
    for (int i = 0; i <= WakeFilter::kIgnoredMessages; ++i)
        filter.IsRealMove(200, 200);
    const int k = WakeFilter::kThreshold;
    // Drifting back and forth must not add up to a wake.
    const int offsets[][2] = {{1, 0}, {k, 0}, {-k, 0}, {0, k}, {0, -k}, {k, -k}, {-k, k}, {0, 0}};
    for (const auto& o : offsets)
        EXPECT_FALSE(filter.IsRealMove(200 + o[0], 200 + o[1])) << o[0] << "," << o[1];
}

TEST(WakeFilter, AMoveBeyondTheThresholdWakesInEveryDirection)
{
    const int k = WakeFilter::kThreshold + 1;
    const int offsets[][2] = {{k, 0}, {-k, 0}, {0, k}, {0, -k}};
    for (const auto& o : offsets) {
        WakeFilter filter;
        for (int i = 0; i <= WakeFilter::kIgnoredMessages; ++i)
            filter.IsRealMove(200, 200);
        EXPECT_TRUE(filter.IsRealMove(200 + o[0], 200 + o[1])) << o[0] << "," << o[1];
    }
}

}  // namespace
