// The resources built into saverstub.exe: icon 100 and cursor 100, language-neutral,
// with the sizes and contents the main window's class relies on.
#include "res/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace {

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

// The build passes the stub's path as a host path; Wine sees the host's root as Z:.
std::string StubPath()
{
    std::string path = "Z:" SAVERSTUB_EXE_HOST_PATH;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
}

class StubResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(StubPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << StubPath();
    }
    void TearDown() override
    {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    std::vector<uint8_t> Resource(LPCSTR type, LPCSTR name)
    {
        HRSRC found = FindResourceExA(module_, type, name, kNeutral);
        if (found == nullptr)
            return {};
        const uint8_t* data = static_cast<const uint8_t*>(LockResource(LoadResource(module_, found)));
        return std::vector<uint8_t>(data, data + SizeofResource(module_, found));
    }

    std::set<WORD> Languages(LPCSTR type, LPCSTR name)
    {
        std::set<WORD> languages;
        EnumResourceLanguagesA(module_, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    HMODULE module_ = nullptr;
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}

TEST_F(StubResources, EveryIconAndCursorIsLanguageNeutral)
{
    const std::set<WORD> neutral = {kNeutral};
    EXPECT_EQ(Languages(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_INSTALLER)), neutral);
    EXPECT_EQ(Languages(RT_ICON, MAKEINTRESOURCEA(1)), neutral);
    EXPECT_EQ(Languages(RT_GROUP_CURSOR, MAKEINTRESOURCEA(IDC_INVISIBLE)), neutral);
    EXPECT_EQ(Languages(RT_CURSOR, MAKEINTRESOURCEA(1)), neutral);
}

TEST_F(StubResources, IconIsOne32By32ImageIn16Colours)
{
    std::vector<uint8_t> group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDI_INSTALLER));
    ASSERT_EQ(group.size(), 6u + 14u) << "one image";
    EXPECT_EQ(U16(group, 4), 1);
    EXPECT_EQ(U16(group, 6 + 12), 1) << "the image is RT_ICON 1";

    std::vector<uint8_t> icon = Resource(RT_ICON, MAKEINTRESOURCEA(1));
    ASSERT_EQ(icon.size(), 744u);
    EXPECT_EQ(U32(icon, 0), 40u);
    EXPECT_EQ(U32(icon, 4), 32u);
    EXPECT_EQ(U32(icon, 8), 64u) << "colour bits and mask";
    EXPECT_EQ(U16(icon, 14), 4);

    // Black, the two greys and white on a transparent ground.
    const size_t palette = 40, colours = palette + 64, mask = colours + 512;
    const std::set<int> used = {0, 7, 8, 15};
    int transparent = 0;
    for (int pixel = 0; pixel < 32 * 32; ++pixel) {
        int index = (icon[colours + pixel / 2] >> (pixel % 2 ? 0 : 4)) & 15;
        bool clear = (icon[mask + pixel / 8] >> (7 - pixel % 8)) & 1;
        transparent += clear;
        if (!clear) {
            EXPECT_TRUE(used.count(index)) << "pixel " << pixel << " has colour " << index;
        }
    }
    EXPECT_GT(transparent, 100);
    EXPECT_LT(transparent, 32 * 32 - 300) << "a picture, not a blank";
    EXPECT_EQ(U32(icon, palette + 4 * 7), 0xC0C0C0u);
    EXPECT_EQ(U32(icon, palette + 4 * 8), 0x808080u);
}

TEST_F(StubResources, CursorIsEntirelyTransparentWithItsHotSpotInTheMiddle)
{
    std::vector<uint8_t> group = Resource(RT_GROUP_CURSOR, MAKEINTRESOURCEA(IDC_INVISIBLE));
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(U16(group, 6 + 12), 1) << "the image is RT_CURSOR 1";

    std::vector<uint8_t> cursor = Resource(RT_CURSOR, MAKEINTRESOURCEA(1));
    ASSERT_EQ(cursor.size(), 308u);
    EXPECT_EQ(U16(cursor, 0), 16);
    EXPECT_EQ(U16(cursor, 2), 16);
    EXPECT_EQ(U32(cursor, 4), 40u);
    EXPECT_EQ(U32(cursor, 8), 32u);
    EXPECT_EQ(U32(cursor, 12), 64u);
    EXPECT_EQ(U16(cursor, 4 + 14), 1) << "monochrome";
    const size_t xorMask = 4 + 40 + 8, andMask = xorMask + 128;
    for (size_t i = 0; i < 128; ++i) {
        EXPECT_EQ(cursor[xorMask + i], 0x00) << i;
        EXPECT_EQ(cursor[andMask + i], 0xFF) << i;
    }
}

}  // namespace
