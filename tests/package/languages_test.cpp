// The translations chunk through the reader: which translation each display
// language gets, the plural form for a count, the placeholders, the fall-backs
// to English, and the damage that makes the whole installer damaged.
#include "package/installer_state.h"
#include "package/languages.h"
#include "package/reader.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::Translation;

// A translation whose caption is its tag, so that the caption tells which was chosen.
Translation Named(const std::string& tag, std::vector<uint16_t> langids, uint8_t flags = 0)
{
    return Translation{tag, std::move(langids), flags, std::vector<uint8_t>(kPluralCounts, kPluralOther),
                       {{kMsgCaption, kPluralOther, tag}}};
}

// Russian's cardinal rule for 1 to 99, and its three texts with a count.
Translation Russian()
{
    Translation ru = Named("ru", {0x0419});
    for (unsigned n = 1; n <= kPluralCounts; ++n) {
        const bool teen = n % 100 >= 11 && n % 100 <= 14;
        ru.plurals[n - 1] = n % 10 == 1 && n % 100 != 11            ? kPluralOne
                            : n % 10 >= 2 && n % 10 <= 4 && !teen ? kPluralFew
                                                                  : kPluralMany;
    }
    ru.texts.push_back({kMsgActive, kPluralOne, u8"{minutes} минуту"});
    ru.texts.push_back({kMsgActive, kPluralFew, u8"{minutes} минуты"});
    ru.texts.push_back({kMsgActive, kPluralMany, u8"{minutes} минут"});
    return ru;
}

// The text of `id` as shown: never more than `capacity` units, the zero included.
// (WCHAR is char16_t here and wchar_t on Windows: both hold UTF-16.)
std::u16string Text(MessageId id, unsigned minutes = 0, const std::u16string& title = u"T", int capacity = 4096)
{
    std::basic_string<WCHAR> wideTitle(title.begin(), title.end());
    std::basic_string<WCHAR> out(size_t(capacity) + 8, WCHAR('#'));
    const int units = LoadMessage(id, minutes, wideTitle.c_str(), &out[0], capacity);
    EXPECT_EQ(out.substr(size_t(capacity)), std::basic_string<WCHAR>(8, WCHAR('#'))) << "written past the capacity";
    EXPECT_LT(units, capacity);
    EXPECT_EQ(out[size_t(units)], 0);
    return std::u16string(out.begin(), out.begin() + units);
}

// The same in English; the caller selects its language again afterwards.
std::u16string English(MessageId id, const std::u16string& title = u"T", unsigned minutes = 0)
{
    SelectLanguage(0x0409);
    return Text(id, minutes, title);
}

class LanguagesTest : public ::testing::Test {
protected:
    void TearDown() override { ReleaseInstallerBlocks(); }

    int Load(const Bytes& block, bool utf8 = true)
    {
        ClearInstallerRecords();
        ReleaseInstallerBlocks();
        testsupport::PackageBuilder builder;
        builder.Saver(testsupport::RandomBytes(300, 9)).Languages(block);
        if (!utf8)
            memset(builder.header().abTextMarker, 0, sizeof builder.header().abTextMarker);
        testsupport::WriteFileBytes(path_, builder.Build());
        return LoadInstaller(nullptr, testsupport::Wide(path_).c_str());
    }

    testsupport::TempDir dir_;
    std::string path_ = dir_.Path("setup.exe");
};

TEST_F(LanguagesTest, TheDisplayLanguageChoosesTheTranslation)
{
    const Bytes block = testsupport::TranslationsBlock({
        Named("de", {0x0407}),
        Named("fr", {0x040C}),
        Named("nb", {0x0414}),
        Named("ar", {0x0401}, kLanguageRightToLeft),
        Named("zh-Hans", {0x0804}),
        Named("zh-Hant", {0x0404}),
        Named("hr", {0x041A, 0x101A}),
        Named("sr-Latn", {0x081A, 0x181A, 0x241A, 0x2C1A, 0x0C1A, 0x1C1A, 0x281A, 0x301A}),
    });
    const struct {
        LANGID langid;
        const char16_t* chosen;  // its caption; "Message" is English
    } cases[] = {
        {0x0407, u"de"},      {0x0C07, u"de"},       {0x0807, u"de"},      {0x040C, u"fr"},
        {0x0C0C, u"fr"},      {0x0814, u"nb"},       {0x0401, u"ar"},      {0x3801, u"ar"},
        // Chinese: exact only, so Singapore is not given Taiwan's script.
        {0x0804, u"zh-Hans"}, {0x0404, u"zh-Hant"},  {0x1004, u"Message"}, {0x0C04, u"Message"},
        // One primary language for three: Bosnian is neither of the others.
        {0x101A, u"hr"},      {0x0C1A, u"sr-Latn"},  {0x141A, u"Message"}, {0x201A, u"Message"},
        {0x0409, u"Message"}, {0x0809, u"Message"},  {0x0411, u"Message"},
    };
    ASSERT_EQ(Load(block), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.langid);
        ASSERT_TRUE(SelectLanguage(c.langid));
        EXPECT_EQ(Text(kMsgCaption), c.chosen);
        EXPECT_EQ(TranslationActive(), std::u16string(c.chosen) != u"Message");
        EXPECT_EQ(RightToLeft(), std::u16string(c.chosen) == u"ar");
        EXPECT_EQ(Text(kMsgInstallButton), u"Install") << "a text the translation lacks is English";
    }
}

TEST_F(LanguagesTest, ACountTakesItsPluralFormOrEnglish)
{
    Translation uk = Russian();
    uk.langids = {0x0422};
    uk.texts.erase(uk.texts.begin() + 2);  // no "few"
    ASSERT_EQ(Load(testsupport::TranslationsBlock({Russian(), uk})), 1);
    const struct {
        LANGID langid;
        unsigned minutes;
        std::u16string shown;
    } cases[] = {
        {0x0419, 1, u"1 минуту"},  {0x0419, 2, u"2 минуты"},  {0x0419, 5, u"5 минут"},
        {0x0419, 11, u"11 минут"}, {0x0419, 21, u"21 минуту"}, {0x0419, 99, u"99 минут"},
        {0x0422, 1, u"1 минуту"},  {0x0422, 2, English(kMsgActive, u"T", 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.langid << std::dec << " " << c.minutes);
        ASSERT_TRUE(SelectLanguage(c.langid));
        EXPECT_EQ(Text(kMsgActive, c.minutes), c.shown);
    }
}

TEST_F(LanguagesTest, OnlyATextsOwnPlaceholdersAreFilledIn)
{
    const struct {
        MessageId id;
        std::string translation;
        std::u16string title;
        std::u16string shown;
    } cases[] = {
        {kMsgInstallPrompt, u8"Installer {title} maintenant 🐟", u"Fish & Chips",
         u"Installer Fish & Chips maintenant 🐟"},
        // Another text's placeholder, an unknown one, a cut one: shown as they stand.
        {kMsgInstallPrompt, "{minutes} {name} {title", u"T", u"{minutes} {name} {title"},
        {kMsgActive, "{title} {minutes}", u"T", u"{title} 7"},
        // Format directives are characters; a title is never expanded again.
        {kMsgWait, "%s%n%x {title}", u"{title}%n", u"%s%n%x {title}%n"},
        {kMsgWait, "\xff{title}", u"T", u"\uFFFDT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.translation);
        Translation fr = Named("fr", {0x040C});
        fr.texts.push_back({uint8_t(c.id), kPluralOther, c.translation});
        ASSERT_EQ(Load(testsupport::TranslationsBlock({fr})), 1);
        ASSERT_TRUE(SelectLanguage(0x040C));
        EXPECT_EQ(Text(c.id, 7, c.title), c.shown);
    }
    // The output is cut at its capacity, never overrun.
    EXPECT_EQ(Text(kMsgWait, 7, u"Aurora", 4), u"\uFFFDAu");
    EXPECT_EQ(Text(kMsgWait, 7, u"T", 1), u"");
    EXPECT_EQ(English(kMsgWait, u"Aurora"), u"Installing Aurora\r\nPlease wait...");
}

TEST_F(LanguagesTest, UnknownIdsAreIgnoredAndAnEmptyChunkIsEnglish)
{
    Translation de = Named("de", {0x0407});
    de.texts.insert(de.texts.begin(), {{200, kPluralOther, "future"}, {kMessageCount, kPluralOther, "next"}});
    ASSERT_EQ(Load(testsupport::TranslationsBlock({de})), 1);
    const std::u16string prompt = English(kMsgInstallPrompt, u"X");
    ASSERT_TRUE(SelectLanguage(0x0407));
    EXPECT_EQ(Text(kMsgCaption), u"de");
    EXPECT_EQ(Text(kMsgInstallPrompt, 0, u"X"), prompt);

    ASSERT_EQ(Load(testsupport::TranslationsBlock({})), 1);
    ASSERT_TRUE(SelectLanguage(0x0407));
    EXPECT_FALSE(TranslationActive());
}

TEST_F(LanguagesTest, StructuralDamageMakesTheInstallerDamaged)
{
    // One translation "xx": count at 0, record length at 2, tag length 6, flags 9,
    // LANGID count 10, plurals 13, text count 112, the caption's head at 114.
    Translation xx = Named("xx", {0x0407});
    const Bytes good = testsupport::TranslationsBlock({xx});
    ASSERT_EQ(good.size(), 120u);
    Translation tooLong = xx;
    tooLong.texts.push_back({kMsgCredit, kPluralOther, std::string(kMaxTextBytes + 1, 'a')});
    Translation huge = xx;  // sound, but inflating to more than the stub takes
    for (int i = 0; i < 1100; ++i)
        huge.texts.push_back({200, kPluralOther, std::string(1000, 'b')});

    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"record past the block", [](Bytes& b) { b[2] += 1; }},
        {"texts past the record", [](Bytes& b) { b[2] -= 1; }},
        {"tag past the record", [](Bytes& b) { b[6] = 200; }},
        {"no LANGID", [](Bytes& b) { b[10] = 0; }},
        {"too many LANGIDs", [](Bytes& b) { b[10] = kMaxLanguageIds + 1; }},
        {"unknown plural form", [](Bytes& b) { b[13 + 40] = kPluralOther + 1; }},
        {"one text more than there are", [](Bytes& b) { b[112] += 1; }},
        {"text past the record", [](Bytes& b) { b[116] += 1; }},
        {"one translation more", [](Bytes& b) { b[0] += 1; }},
        {"cut short", [](Bytes& b) { b.resize(60); }},
        {"nothing at all", [](Bytes& b) { b.clear(); }},
        {"text over the limit", [&](Bytes& b) { b = testsupport::TranslationsBlock({tooLong}); }},
        {"block over the limit", [&](Bytes& b) { b = testsupport::TranslationsBlock({huge}); }},
    };
    ASSERT_EQ(Load(good), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes block = good;
        c.damage(block);
        EXPECT_EQ(Load(block), 0);
        // Without the UTF-8 marker the chunk is not read, so its damage does not count.
        EXPECT_EQ(Load(block, false), 1);
        EXPECT_FALSE(TranslationActive());
    }

    // A stream that does not inflate.
    testsupport::PackageBuilder builder;
    builder.Saver(testsupport::RandomBytes(300, 9)).Languages(good);
    Bytes installer = builder.Build();
    installer[builder.chunkOffsets().back() + 12] ^= 0xFF;
    testsupport::WriteFileBytes(path_, installer);
    EXPECT_EQ(LoadInstaller(nullptr, testsupport::Wide(path_).c_str()), 0);
}

}  // namespace
