// The resources built into saverstub.exe: icon 100 and cursor 100, language-neutral,
// with the sizes and contents the main window's class relies on; the three dialog
// templates control by control; the manifest; and nothing else.
#include "res/resource_ids.h"
#include "ui/dialog_template.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <ctype.h>

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

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    auto* names = reinterpret_cast<std::set<std::string>*>(param);
    names->insert(IS_INTRESOURCE(name) ? "#" + std::to_string(uintptr_t(name)) : std::string(name));
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR param)
{
    auto* types = reinterpret_cast<std::set<uintptr_t>*>(param);
    // A named type would be none of the standard ones; record it as 0.
    types->insert(IS_INTRESOURCE(type) ? uintptr_t(type) : 0);
    return TRUE;
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

    std::set<std::string> Names(LPCSTR type)
    {
        std::set<std::string> names;
        EnumResourceNamesA(module_, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        return names;
    }

    uitest::DialogTemplate Dialog(LPCSTR name)
    {
        uitest::DialogTemplate dialog;
        std::string error;
        std::vector<uint8_t> bytes = Resource(RT_DIALOG, name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(uitest::ParseDialogTemplate(bytes, &dialog, &error)) << name << ": " << error;
        return dialog;
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

// -- dialog templates ---------------------------------------------------------

struct ExpectedItem {
    uint16_t id;
    const char* className;
    const char* text;
    uint32_t style;
    int16_t x, y, cx, cy;
};

constexpr uint16_t kNoId = 0xFFFF;
constexpr uint32_t kPushButton = 0x50010300;  // child, visible, tab stop, push button, centred

std::string Upper(std::string text)
{
    for (char& c : text)
        c = char(toupper(static_cast<unsigned char>(c)));
    return text;
}

void CheckDialog(const uitest::DialogTemplate& dialog, const std::vector<ExpectedItem>& expected,
                 const char* name, int16_t cy = 120)
{
    SCOPED_TRACE(name);
    EXPECT_EQ(dialog.style, 0x908000C4u) << "popup, visible, border, modal frame, font, 3D look";
    EXPECT_EQ(dialog.exStyle, 0x00000001u) << "WS_EX_DLGMODALFRAME";
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 240);
    EXPECT_EQ(dialog.cy, cy);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.className, "") << "the system dialog class";
    EXPECT_EQ(dialog.caption, "");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.face, "MS Sans Serif");
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const uitest::DialogItem& item = dialog.items[i];
        const ExpectedItem& want = expected[i];
        SCOPED_TRACE("item " + std::to_string(i + 1));
        EXPECT_EQ(item.id, want.id);
        // Window classes match without regard to case; windres stores every class
        // as an upper-case string where Microsoft's compiler stores ordinals.
        EXPECT_EQ(Upper(item.className), Upper(want.className));
        if (want.text != nullptr) {
            EXPECT_EQ(item.text, want.text);
        }
        EXPECT_EQ(item.style, want.style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.creationDataSize, 0);
    }
}

TEST_F(StubResources, DialogTemplatesAreStoredUnderUpperCaseNamesInNoLanguage)
{
    const std::set<std::string> names = {"DONEPROMPTBOX", "INSTALLPROMPTBOX", "WAITBOX"};
    EXPECT_EQ(Names(RT_DIALOG), names);
    const std::set<WORD> neutral = {kNeutral};
    for (const std::string& name : names)
        EXPECT_EQ(Languages(RT_DIALOG, name.c_str()), neutral) << name;
    // The code asks for them in mixed case; resource names match without regard to case.
    for (const char* asked : {"InstallPromptBox", "DonePromptBox", "WaitBox"})
        EXPECT_NE(FindResourceA(module_, asked, RT_DIALOG), nullptr) << asked;
}

TEST_F(StubResources, InstallPromptTemplate)
{
    CheckDialog(Dialog("INSTALLPROMPTBOX"),
                {
                    {IDOK, "Button", "Install", kPushButton, 184, 6, 50, 14},
                    {IDCANCEL, "Button", "Cancel", kPushButton, 184, 26, 50, 14},
                    // The check box wraps (BS_MULTILINE), the texts show "&" (SS_NOPREFIX);
                    // the labels are a line of the message font high.
                    {IDC_MAKE_DEFAULT, "Button", "&Make this my default screen saver", 0x50012003, 8, 100, 220, 12},
                    {IDC_PROMPT_TEXT, "Static", "", 0x50000080, 8, 8, 172, 68},
                    {kNoId, "Static", "Wait time:", 0x50000082, 8, 84, 40, 10},
                    {IDC_MINUTES, "Edit", "", 0x50812000, 52, 82, 28, 12},
                    {IDC_MINUTES_SPIN, "msctls_updown32", "1,99,10", 0x50000012, 80, 82, 9, 12},
                    {kNoId, "Static", "minutes", 0x50000080, 92, 84, 28, 10},
                    {IDC_PREVIEW, "Button", "&Preview", kPushButton, 184, 46, 50, 14},
                },
                "install prompt");
}

TEST_F(StubResources, DonePromptTemplate)
{
    // The credit line's text comes from the stub's table of texts.
    CheckDialog(Dialog("DONEPROMPTBOX"),
                {
                    {IDOK, "Button", "Done", kPushButton, 184, 6, 50, 14},
                    {IDC_DONE_TEXT, "Static", "", 0x50000080, 8, 4, 172, 84},
                    {IDC_CREDIT, "Static", "", 0x50000080, 8, 110, 224, 24},
                    {kNoId, "Static", "", 0x50000012, 2, 109, 236, 27},
                    {IDC_SETTINGS, "Button", "Screen saver &settings", kPushButton, 8, 90, 100, 14},
                },
                "done prompt", 138);
}

TEST_F(StubResources, WaitBoxTemplate)
{
    CheckDialog(Dialog("WAITBOX"), {{IDC_WAIT_TEXT, "Static", "", 0x50000081, 8, 49, 224, 22}}, "wait box");
}

TEST_F(StubResources, TemplateReaderRefusesCutAndExtendedTemplates)
{
    std::vector<uint8_t> whole = Resource(RT_DIALOG, "WAITBOX");
    ASSERT_FALSE(whole.empty());
    uitest::DialogTemplate dialog;
    std::string error;
    for (size_t cut : {size_t(0), size_t(10), size_t(20), whole.size() - 1}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
        EXPECT_FALSE(uitest::ParseDialogTemplate(part, &dialog, &error)) << cut;
    }
    std::vector<uint8_t> extended = {1, 0, 0xFF, 0xFF};
    extended.resize(64);
    EXPECT_FALSE(uitest::ParseDialogTemplate(extended, &dialog, &error));
}

// -- the rest of the module's resources ---------------------------------------

TEST_F(StubResources, NoResourcesBeyondIconCursorDialogsAndManifest)
{
    std::set<uintptr_t> types;
    EnumResourceTypesA(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
    const std::set<uintptr_t> expected = {1 /* RT_CURSOR */, 3 /* RT_ICON */, 5 /* RT_DIALOG */,
                                          12 /* RT_GROUP_CURSOR */, 14 /* RT_GROUP_ICON */, 24 /* RT_MANIFEST */};
    EXPECT_EQ(types, expected) << "no version, string table, menu or accelerators";
}

TEST_F(StubResources, ManifestAsksForAdministratorAndKeepsTheClassicControls)
{
    EXPECT_EQ(Names(MAKEINTRESOURCEA(24)), std::set<std::string>{"#1"});
    EXPECT_EQ(Languages(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1)), std::set<WORD>{kNeutral});
    std::vector<uint8_t> bytes = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    std::string manifest(bytes.begin(), bytes.end());
    ASSERT_FALSE(manifest.empty());
    EXPECT_EQ(manifest.find("<?xml"), 0u);
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find("urn:schemas-microsoft-com:compatibility.v1"), std::string::npos);
    // Windows 10 and 11, so the system reports its real version and does not virtualise.
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);
    // System DPI awareness, which Windows reads here; Wine 8 treats every program as DPI-aware.
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                            "true</dpiAware>"),
              std::string::npos);
    EXPECT_EQ(manifest.find("<dependency"), std::string::npos) << "no side-by-side assembly";
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << "not the version-6 common controls";
}

}  // namespace
