// The host MessageBoxA: no screen, but the tests can see every box.
#include "compat/win32_stand_in.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Box {
    std::string text, caption;
    UINT type;
};
std::vector<Box> g_boxes;

void Record(const char* text, const char* caption, UINT type)
{
    g_boxes.push_back({text, caption, type});
}

TEST(MessageBox, ObserverSeesEachBoxUntilRemoved)
{
    g_boxes.clear();
    compat::SetMessageBoxObserver(Record);
    EXPECT_EQ(MessageBoxA(nullptr, "Ooops", "Yo...", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Write error", "Message", MB_ICONINFORMATION), IDOK);
    compat::SetMessageBoxObserver(nullptr);
    EXPECT_EQ(MessageBoxA(nullptr, "unseen", "Message", MB_OK), IDOK);

    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, "Ooops");
    EXPECT_EQ(g_boxes[0].caption, "Yo...");
    EXPECT_EQ(g_boxes[0].type, UINT(MB_OK));
    EXPECT_EQ(g_boxes[1].text, "Write error");
    EXPECT_EQ(g_boxes[1].type, UINT(MB_ICONINFORMATION));
}

}  // namespace
