// `saverpack build` through its command line: round trips through inspect and
// extract, every refusal, and never a stray output file.
#include "commands/app_entry.h"
#include "commands/cli.h"
#include "languages/builtin_languages.h"
#include "languages/languages_chunk.h"
#include "packing/loaded_package.h"
#include "packing/package_walk.h"
#include "packing/package_writer.h"
#include "pe/pe_checksum.h"
#include "run_saverpack.h"

#include "package/package_format.h"
#include "support/pe_stub.h"
#include "support/saver_image.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <stdio.h>
#include <string.h>

namespace {

using packertest::Contains;
using packertest::Inputs;
using packertest::LanguageFileText;
using packertest::ReplaceLine;
using packertest::RunResult;
using packertest::RunSaverpack;
using packertest::Set;
using testsupport::Bytes;

struct ChunkRow {
    unsigned offset;
    unsigned length;
    std::string tag;
};

// The rows of inspect's chunk table, in order.
std::vector<ChunkRow> ChunkRows(const std::string& report)
{
    std::vector<ChunkRow> rows;
    size_t table = report.find("chunks:\n");
    if (table == std::string::npos)
        return rows;
    std::istringstream in(report.substr(table));
    std::string line;
    std::getline(in, line);  // "chunks:"
    std::getline(in, line);  // column heads
    while (std::getline(in, line)) {
        unsigned offset = 0, length = 0;
        char tag[16] = {};
        if (sscanf(line.c_str(), "%u %u %15s", &offset, &length, tag) != 3)
            break;
        rows.push_back({offset, length, tag});
    }
    return rows;
}

TEST(SaverpackBuild, RoundTripsEveryMixOfDocumentAndLogo)
{
    for (bool withDocument : {false, true}) {
        for (int logoBits : {0, 1, 4, 8, 24, 32}) {
            SCOPED_TRACE(std::string(withDocument ? "document" : "no document") + ", logo bits " +
                         std::to_string(logoBits));
            Inputs in;
            std::vector<std::string> args = in.BuildArgs();
            args.insert(args.end(), {"--description", "Watch them fly", "--colour", "80FF0a", "--timeout", "25"});
            if (withDocument)
                args.insert(args.end(), {"--document", in.document});
            Bytes dib;
            saverpack::DibFacts logo;
            if (logoBits != 0)
                args.insert(args.end(), {"--logo", in.Logo(logoBits, &dib, &logo)});
            std::vector<std::string> before = in.dir.List();

            RunResult built = RunSaverpack(args);
            ASSERT_EQ(built.code, 0) << built.err;
            EXPECT_EQ(built.err, "");
            // Exactly one new file: no temporary file stays behind.
            std::vector<std::string> expected = before;
            expected.push_back("setup.exe");
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(in.dir.List(), expected);

            Bytes installer = testsupport::ReadFileBytes(in.output);
            EXPECT_TRUE(std::equal(in.stubBytes.begin(), in.stubBytes.end(), installer.begin()));

            RunResult report = RunSaverpack({"inspect", in.output, "--verify"});
            ASSERT_EQ(report.code, 0) << report.out << report.err;
            EXPECT_TRUE(Contains(report.out, "title        \"Flying Things\"\n")) << report.out;
            EXPECT_TRUE(Contains(report.out, "description  \"Watch them fly\"\n"));
            EXPECT_TRUE(Contains(report.out, "colour       80FF0A (COLORREF 0x000AFF80)\n"));
            EXPECT_TRUE(Contains(report.out, "timeout      25 minutes\n"));
            EXPECT_TRUE(Contains(report.out, "saver        \"flying.scr\""));
            EXPECT_TRUE(Contains(report.out, withDocument ? "document     4000 bytes\n" : "document     none\n"));
            // Random BMPs of 117 pixels hold 117 colours at most: stored with a palette.
            EXPECT_EQ(logo.bitCount, logoBits == 0 ? 0 : logoBits == 32 ? 32 : logoBits == 24 ? 8 : logoBits);
            EXPECT_TRUE(Contains(report.out, logoBits == 0 ? std::string("logo         none\n")
                                                           : "logo         13 x 9, " + std::to_string(logo.bitCount) +
                                                                 " bits per pixel, " +
                                                                 (logoBits == 32 ? "alpha" : "no alpha") + "\n"))
                << report.out;
            EXPECT_TRUE(Contains(report.out, "verify: the saver inflates to 30000 bytes\n"));
            EXPECT_FALSE(Contains(report.out, "note:")) << report.out;

            // The table tiles the file from the end of the stub to its last byte.
            std::vector<ChunkRow> rows = ChunkRows(report.out);
            std::vector<std::string> tags = {"\"ihdr\"", "\"iapp\"", "\"iscr\""};
            if (withDocument)
                tags.push_back("\"idoc\"");
            if (logoBits != 0)
                tags.push_back("\"ilgo\"");
            tags.push_back("\"iend\"");
            ASSERT_EQ(rows.size(), tags.size()) << report.out;
            unsigned pos = unsigned(in.stubBytes.size());
            for (size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i].tag, tags[i]);
                EXPECT_EQ(rows[i].offset, pos);
                pos += rows[i].length;
            }
            EXPECT_EQ(pos, installer.size());
            EXPECT_EQ(rows.front().length, package::kHeaderRecordSize);
            EXPECT_EQ(rows.back().length, package::kTrailerSize);

            saverpack::LoadedPackage loaded(in.output);
            ASSERT_TRUE(loaded.valid());
            EXPECT_EQ(uint32_t(loaded.header().crColour), 0x000AFF80u);
            EXPECT_EQ(uint32_t(loaded.header().nTimeout), 25u);
            if (logoBits != 0) {
                EXPECT_EQ(Bytes(loaded.logo().begin(), loaded.logo().end()), dib);
                EXPECT_EQ(loaded.logoAlpha(), logoBits == 32);
            }

            std::string extracted = in.dir.Path("out.scr");
            RunResult unpacked = RunSaverpack({"extract", in.output, extracted});
            ASSERT_EQ(unpacked.code, 0) << unpacked.err;
            EXPECT_EQ(testsupport::ReadFileBytes(extracted), in.saverBytes);
        }
    }
}

// The saver streams from its file through deflate in pieces: sizes on and
// around the 8 KiB steps of the installer's inflater and the writer's 64 KiB
// pieces, stored and compressed, with a PE stub so the CheckSum is summed over
// the written file too. Each build is repeated and must give the same bytes; the
// installer's reader and its extraction must accept them.
TEST(SaverpackBuild, StreamedSaversOfEverySizeBuildTheSameTwiceAndExtract)
{
    const size_t kPiece = 64 * 1024;
    const struct {
        size_t size;
        bool random;
        const char* level;
    } cases[] = {
        {1, true, "9"},           {8191, true, "9"},          {8193, false, "9"},
        {kPiece - 1, true, "0"},  {kPiece, true, "0"},        {kPiece + 1, true, "0"},
        {kPiece, false, "1"},     {3 * kPiece + 7, true, "6"}, {5 * kPiece, false, "9"},
    };
    testsupport::PeShape shape;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.random ? " random" : " text") + ", level " + c.level);
        Inputs in;
        in.stubBytes = testsupport::MakePeImage(shape);
        testsupport::WriteFileBytes(in.stub, in.stubBytes);
        in.saverBytes = c.random ? testsupport::RandomBytes(c.size, uint32_t(c.size)) : testsupport::CompressibleBytes(c.size);
        testsupport::WriteFileBytes(in.saver, in.saverBytes);
        std::vector<std::string> args = in.BuildArgs();
        args.insert(args.end(), {"--level", c.level});
        Bytes builds[2];
        for (Bytes& build : builds) {
            RunResult built = RunSaverpack(args);
            ASSERT_EQ(built.code, 0) << built.err;
            build = testsupport::ReadFileBytes(in.output);
        }
        EXPECT_EQ(builds[0], builds[1]);
        EXPECT_EQ(builds[0].size() % 8, 0u);
        uint32_t checkSumOffset = testsupport::CheckSumOffset(shape);
        saverpack::PeChecksum checksum(checkSumOffset);
        checksum.Add(builds[0].data(), builds[0].size());
        EXPECT_EQ(testsupport::GetU32(builds[0], checkSumOffset), checksum.Value());

        RunResult verified = RunSaverpack({"inspect", in.output, "--verify"});
        EXPECT_EQ(verified.code, 0) << verified.out;
        EXPECT_TRUE(Contains(verified.out, "verify: the saver inflates to " + std::to_string(c.size) + " bytes\n"))
            << verified.out;
        std::string extracted = in.dir.Path("out.scr");
        RunResult unpacked = RunSaverpack({"extract", in.output, extracted});
        ASSERT_EQ(unpacked.code, 0) << unpacked.err;
        EXPECT_EQ(testsupport::ReadFileBytes(extracted), in.saverBytes);
    }
}

TEST(SaverpackBuild, DefaultsAndLongestTexts)
{
    Inputs in;
    RunResult plain = RunSaverpack(in.BuildArgs());
    ASSERT_EQ(plain.code, 0) << plain.err;
    saverpack::LoadedPackage defaults(in.output);
    ASSERT_TRUE(defaults.valid());
    EXPECT_EQ(uint32_t(defaults.header().crColour), 0x00C06020u);
    EXPECT_EQ(uint32_t(defaults.header().nTimeout), 10u);
    EXPECT_EQ(std::string(defaults.header().szDescription), "");
    EXPECT_EQ(std::string(defaults.saver().szFileName), "flying.scr");
    EXPECT_FALSE(defaults.hasDocument());
    EXPECT_FALSE(defaults.hasLogo());

    std::string title(261, 'T'), description(293, 'D'), name(289, 'N');
    name += ".SCR";
    // A name this long cannot name an Apps & features entry.
    std::vector<std::string> args = {"build",         "--stub", in.stub,  "--saver",   in.saver, "--title",
                                     title,           "--description",    description, "--name", name,
                                     "--timeout",     "9999",   "--level", "0",        "--output", in.output,
                                     "--no-uninstall"};
    RunResult longest = RunSaverpack(args);
    ASSERT_EQ(longest.code, 0) << longest.err;
    RunResult report = RunSaverpack({"inspect", in.output, "--verify"});
    ASSERT_EQ(report.code, 0) << report.out;
    EXPECT_TRUE(Contains(report.out, "\"" + title + "\"\n"));
    EXPECT_TRUE(Contains(report.out, "\"" + description + "\"\n"));
    EXPECT_TRUE(Contains(report.out, "saver        \"" + name + "\""));
    EXPECT_TRUE(Contains(report.out, "timeout      9999 minutes\n"));
    std::string extracted = in.dir.Path("x.scr");
    ASSERT_EQ(RunSaverpack({"extract", in.output, extracted}).code, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(extracted), in.saverBytes);
}

TEST(SaverpackBuild, ReplacesAnExistingOutputOnlyWhenComplete)
{
    Inputs in;
    Bytes old = {'o', 'l', 'd'};
    testsupport::WriteFileBytes(in.output, old);
    std::vector<std::string> args = in.BuildArgs();
    args.insert(args.end(), {"--colour", "nonsense"});
    EXPECT_EQ(RunSaverpack(args).code, 1);
    EXPECT_EQ(testsupport::ReadFileBytes(in.output), old);

    ASSERT_EQ(RunSaverpack(in.BuildArgs()).code, 0);
    EXPECT_TRUE(saverpack::LoadedPackage(in.output).valid());
}

TEST(SaverpackBuild, ReadOnlyOutputIsLeftAsItWas)
{
    Inputs in;
    Bytes old = {'o', 'l', 'd'};
    testsupport::WriteFileBytes(in.output, old);
    testsupport::MakeReadOnly(in.output);
    std::vector<std::string> before = in.dir.List();
    RunResult r = RunSaverpack(in.BuildArgs());
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, in.output + " is read-only")) << r.err;
    EXPECT_EQ(testsupport::ReadFileBytes(in.output), old);
    EXPECT_EQ(in.dir.List(), before);
}

TEST(SaverpackBuild, OutputInAMissingDirectory)
{
    Inputs in;
    std::string output = in.dir.Path("missing") + testsupport::kSeparator + "setup.exe";
    std::vector<std::string> args = in.BuildArgs();
    args.back() = output;
    RunResult r = RunSaverpack(args);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "cannot create a file beside")) << r.err;
    EXPECT_FALSE(testsupport::FileExists(output));
}

struct Refusal {
    const char* name;
    // Changes the arguments (and may add files); returns nothing.
    void (*prepare)(Inputs& in, std::vector<std::string>& args);
    int code;
    const char* reason;
};

std::string BmpWith(Inputs& in, uint32_t compression, uint16_t bits, int32_t height)
{
    std::string path = in.Logo(8);
    Bytes file = testsupport::ReadFileBytes(path);
    testsupport::PutU32(file, 30, compression);
    file[28] = uint8_t(bits);
    testsupport::PutU32(file, 22, uint32_t(height));
    std::string changed = in.dir.Path("changed.bmp");
    testsupport::WriteFileBytes(changed, file);
    return changed;
}

void WriteText(const std::string& path, const std::string& text)
{
    testsupport::WriteFileBytes(path, Bytes(text.begin(), text.end()));
}

// A language saverpack has no rule for: every count takes "other".
std::string WelshFile()
{
    return LanguageFileText("cy", "0452", {"other"});
}

TEST(SaverpackBuild, RefusalsLeaveNoFileBehind)
{
    const Refusal cases[] = {
        {"missing stub", [](Inputs& in, auto& a) { Set(a, "--stub", in.dir.Path("none.exe")); }, 1, "no such file"},
        {"missing saver", [](Inputs& in, auto& a) { Set(a, "--saver", in.dir.Path("none.scr")); }, 1,
         "no such file"},
        {"missing document", [](Inputs& in, auto& a) { Set(a, "--document", in.dir.Path("none.rtf")); }, 1,
         "no such file"},
        {"missing logo", [](Inputs& in, auto& a) { Set(a, "--logo", in.dir.Path("none.bmp")); }, 1, "no such file"},
        {"stub is a directory", [](Inputs& in, auto& a) {
             testsupport::MakeDirectory(in.dir.Path("sub"));
             Set(a, "--stub", in.dir.Path("sub"));
         }, 1, "not a regular file"},
        {"title too long", [](Inputs&, auto& a) { Set(a, "--title", std::string(262, 't')); }, 1, "at most 261"},
        {"description too long", [](Inputs&, auto& a) { Set(a, "--description", std::string(294, 'd')); }, 1,
         "at most 293"},
        // 131 characters, 262 bytes: the limit counts bytes.
        {"title too long in UTF-8", [](Inputs&, auto& a) {
             std::string title;
             for (int i = 0; i < 131; ++i)
                 title += "\xC3\xA9";
             Set(a, "--title", title);
         }, 1, "262 bytes long; at most 261"},
        {"title in Windows-1252", [](Inputs&, auto& a) { Set(a, "--title", "Caf\xE9"); }, 1,
         "--title is not UTF-8: the text ends inside the UTF-8 character that begins at byte 4 (0xE9)"},
        {"title with a stray continuation", [](Inputs&, auto& a) { Set(a, "--title", "a\x80z"); }, 1,
         "--title is not UTF-8: byte 2 (0x80) cannot begin"},
        {"description with an overlong slash", [](Inputs&, auto& a) { Set(a, "--description", "x\xC0\xAFy"); }, 1,
         "--description is not UTF-8: byte 2 (0xC0) cannot begin"},
        {"description with a surrogate", [](Inputs&, auto& a) { Set(a, "--description", "\xED\xA0\x80"); }, 1,
         "--description is not UTF-8: byte 2 (0xA0) does not continue"},
        {"description above U+10FFFF", [](Inputs&, auto& a) { Set(a, "--description", "\xF4\x90\x80\x80"); }, 1,
         "--description is not UTF-8: byte 2 (0x90) does not continue"},
        {"name not ASCII", [](Inputs&, auto& a) { Set(a, "--name", "Caf\xC3\xA9.scr"); }, 1,
         "is not plain ASCII; give an ASCII one with --name"},
        {"saver's own name not ASCII", [](Inputs& in, auto& a) {
             std::string saver = in.dir.Path("\xC3\xA9t\xC3\xA9.scr");
             testsupport::WriteFileBytes(saver, in.saverBytes);
             Set(a, "--saver", saver);
         }, 1, "is not plain ASCII; give one with --name"},
        {"name with a control character", [](Inputs&, auto& a) { Set(a, "--name", "a\x7F.scr"); }, 1,
         "not plain ASCII"},
        {"name too long", [](Inputs&, auto& a) { Set(a, "--name", std::string(294, 'n')); }, 1, "at most 293"},
        {"name with backslash", [](Inputs&, auto& a) { Set(a, "--name", "sub\\x.scr"); }, 1, "plain file name"},
        {"name with slash", [](Inputs&, auto& a) { Set(a, "--name", "../x.scr"); }, 1, "plain file name"},
        {"name with drive", [](Inputs&, auto& a) { Set(a, "--name", "C:x.scr"); }, 1, "plain file name"},
        {"empty name", [](Inputs&, auto& a) { Set(a, "--name", ""); }, 1, "not a file name"},
        {"dot name", [](Inputs&, auto& a) { Set(a, "--name", "."); }, 1, "not a file name"},
        {"dot-dot name", [](Inputs&, auto& a) { Set(a, "--name", ".."); }, 1, "not a file name"},
        {"short colour", [](Inputs&, auto& a) { Set(a, "--colour", "2060C"); }, 1, "colour \"2060C\""},
        {"colour not hex", [](Inputs&, auto& a) { Set(a, "--colour", "20G0C0"); }, 1, "RRGGBB"},
        {"timeout too large", [](Inputs&, auto& a) { Set(a, "--timeout", "10000"); }, 1, "timeout \"10000\""},
        {"negative timeout", [](Inputs&, auto& a) { Set(a, "--timeout", "-1"); }, 1, "0 to 9999"},
        {"timeout in words", [](Inputs&, auto& a) { Set(a, "--timeout", "ten"); }, 1, "0 to 9999"},
        {"level 10", [](Inputs&, auto& a) { Set(a, "--level", "10"); }, 1, "level \"10\""},
        {"stub with a package", [](Inputs& in, auto& a) {
             std::string packed = in.dir.Path("packed.exe");
             std::vector<std::string> first = in.BuildArgs();
             first.back() = packed;
             ASSERT_EQ(RunSaverpack(first).code, 0);
             Set(a, "--stub", packed);
         }, 1, "already carries an installer package"},
        {"output is the stub", [](Inputs& in, auto& a) { Set(a, "--output", in.stub); }, 1, "given with --stub"},
        {"output is the saver", [](Inputs& in, auto& a) { Set(a, "--output", in.saver); }, 1, "given with --saver"},
        {"output is the document", [](Inputs& in, auto& a) {
             Set(a, "--document", in.document);
             Set(a, "--output", in.document);
         }, 1, "given with --document"},
        {"output is the logo", [](Inputs& in, auto& a) {
             std::string logo = in.Logo(4);
             Set(a, "--logo", logo);
             Set(a, "--output", logo);
         }, 1, "given with --logo"},
        {"output is the saver, spelt otherwise", [](Inputs& in, auto& a) {
             Set(a, "--output", in.dir.path() + testsupport::kSeparator + "." + testsupport::kSeparator +
                                    "flying.scr");
         }, 1, "given with --saver"},
        {"empty saver", [](Inputs& in, auto& a) {
             testsupport::WriteFileBytes(in.dir.Path("empty.scr"), {});
             Set(a, "--saver", in.dir.Path("empty.scr"));
         }, 1, "is empty"},
        {"empty document", [](Inputs& in, auto& a) {
             testsupport::WriteFileBytes(in.dir.Path("empty.rtf"), {});
             Set(a, "--document", in.dir.Path("empty.rtf"));
         }, 1, "is empty"},
        {"logo not a picture", [](Inputs& in, auto& a) { Set(a, "--logo", in.document); }, 1,
         "neither a .png nor a .bmp file"},
        {"run-length logo", [](Inputs& in, auto& a) { Set(a, "--logo", BmpWith(in, 1, 8, 9)); }, 1,
         "the bitmap file cannot be"},
        {"empty publisher", [](Inputs&, auto& a) { Set(a, "--publisher", ""); }, 1, "leave --publisher out"},
        {"publisher too long", [](Inputs&, auto& a) { Set(a, "--publisher", std::string(129, 'p')); }, 1,
         "--publisher is 129 bytes long; at most 128"},
        {"version with a slash", [](Inputs&, auto& a) { Set(a, "--version", "1.0/2"); }, 1,
         "winget does not allow"},
        {"version with a control character", [](Inputs&, auto& a) { Set(a, "--version", "1.0\t"); }, 1,
         "winget does not allow"},
        {"url without a scheme", [](Inputs&, auto& a) { Set(a, "--url", "example.com/saver"); }, 1,
         "does not start with http:// or https://"},
        {"url with only a scheme", [](Inputs&, auto& a) { Set(a, "--url", "https://"); }, 1, "does not start"},
        {"url with a blank", [](Inputs&, auto& a) { Set(a, "--url", "https://example.com/my saver"); }, 1,
         "a blank or a control character"},
        {"url too long", [](Inputs&, auto& a) { Set(a, "--url", "https://" + std::string(253, 'u')); }, 1,
         "at most 260"},
        {"name too long for an entry", [](Inputs&, auto& a) { Set(a, "--name", std::string(240, 'n') + ".scr"); }, 1,
         "give a shorter --name, or --no-uninstall"},
        {"name not a screen saver's", [](Inputs&, auto& a) { Set(a, "--name", "explorer.exe"); }, 1,
         "\"explorer.exe\" does not end in .scr: Windows runs only .scr files as screen savers\n"},
        {"saver's own name not a screen saver's", [](Inputs& in, auto& a) {
             testsupport::WriteFileBytes(in.dir.Path("flying.exe"), in.saverBytes);
             Set(a, "--saver", in.dir.Path("flying.exe"));
         }, 1, "does not end in .scr: Windows runs only .scr files as screen savers; give one with --name"},
        {"device name", [](Inputs&, auto& a) { Set(a, "--name", "Lpt1 .Scr"); }, 1, "names a device on Windows"},
        {"icon not an icon", [](Inputs& in, auto& a) { Set(a, "--icon", in.document); }, 1,
         "readme.rtf is not a Windows .ico file: it does not begin with an icon directory"},
        {"icon image beyond the file", [](Inputs& in, auto& a) {
             Bytes icon = testsupport::SaverIconFile();
             icon.resize(icon.size() - 1);
             testsupport::WriteFileBytes(in.dir.Path("cut.ico"), icon);
             Set(a, "--icon", in.dir.Path("cut.ico"));
         }, 1, "is not a Windows .ico file: image 2 lies beyond the end of the file"},
        {"copyright too long", [](Inputs&, auto& a) { Set(a, "--copyright", std::string(257, 'c')); }, 1,
         "--copyright is 257 bytes long; at most 256"},
        {"entry texts without an entry", [](Inputs&, auto& a) { a.insert(a.end(), {"--no-uninstall", "--url",
                                                                                     "https://example.com"}); },
         2, "--url describes the Apps & features entry that --no-uninstall leaves out"},
        {"no output", [](Inputs&, auto& a) { a.resize(a.size() - 2); }, 2, "--output is required"},
        {"no saver", [](Inputs&, auto& a) { a.erase(a.begin() + 3, a.begin() + 5); }, 2, "--saver is required"},
        {"stray argument", [](Inputs&, auto& a) { a.push_back("extra"); }, 2, "unexpected argument \"extra\""},
        {"unknown option", [](Inputs&, auto& a) { a.push_back("--color"); }, 2, "unknown option --color"},
        {"option twice", [](Inputs&, auto& a) { a.insert(a.end(), {"--title", "again"}); }, 2, "given twice"},
        {"option without value", [](Inputs&, auto& a) { a.push_back("--level"); }, 2, "--level needs a value"},
        {"language saverpack lacks", [](Inputs&, auto& a) { Set(a, "--languages", "en,xx"); }, 1,
         "--languages: \"xx\" is not a built-in language"},
        {"language file refused", [](Inputs& in, auto& a) {
             WriteText(in.dir.Path("cy.lang"), ReplaceLine(WelshFile(), "caption", ""));
             a.insert(a.end(), {"--language-file", in.dir.Path("cy.lang")});
         }, 1, "cy.lang: caption: missing"},
        {"two files of one language", [](Inputs& in, auto& a) {
             WriteText(in.dir.Path("cy.lang"), WelshFile());
             WriteText(in.dir.Path("cy2.lang"), WelshFile());
             a.insert(a.end(), {"--language-file", in.dir.Path("cy.lang"), "--language-file", in.dir.Path("cy2.lang")});
         }, 1, "cy2.lang: language: cy is given by "},
        {"one LANGID in two languages", [](Inputs& in, auto& a) {
             WriteText(in.dir.Path("cy.lang"), WelshFile());
             WriteText(in.dir.Path("gd.lang"), LanguageFileText("gd", "0491 0452", {"other"}));
             a.insert(a.end(), {"--language-file", in.dir.Path("cy.lang"), "--language-file", in.dir.Path("gd.lang")});
         }, 1, "gd.lang: langids: 0452 is listed by "},
        {"output is a language file", [](Inputs& in, auto& a) {
             WriteText(in.dir.Path("cy.lang"), WelshFile());
             a.insert(a.end(), {"--language-file", in.dir.Path("cy.lang")});
             Set(a, "--output", in.dir.Path("cy.lang"));
         }, 1, "is a file given with --language-file"},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs in;
        std::vector<std::string> args = in.BuildArgs();
        c.prepare(in, args);
        std::vector<std::string> before = in.dir.List();
        std::string output;
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == "--output")
                output = args[i + 1];
        Bytes outputBefore = testsupport::FileExists(output) ? testsupport::ReadFileBytes(output) : Bytes();

        RunResult r = RunSaverpack(args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(Contains(r.err, c.reason)) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(in.dir.List(), before);
        if (!output.empty() && testsupport::FileExists(output)) {
            EXPECT_EQ(testsupport::ReadFileBytes(output), outputBefore);
        }
    }
}

TEST(SaverpackBuild, TextsAreStoredAsUtf8WithTheMarker)
{
    // "é – € Ü", Cyrillic, Japanese and a character beyond the BMP, up to the byte limits.
    const std::string mixed = "Caf\xC3\xA9 \xE2\x80\x93 \xE2\x82\xAC \xC3\x9C \xD0\x9C\xD0\xB8\xD1\x80 "
                              "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x90\x9F";
    std::string title = mixed, description = mixed;
    while (title.size() + 3 <= saverpack::kMaxTitle)
        title += "\xE6\x97\xA5";
    while (description.size() + 2 <= saverpack::kMaxDescription)
        description += "\xC3\xA9";
    Inputs in;
    std::vector<std::string> args = in.BuildArgs();
    Set(args, "--title", title);
    args.insert(args.end(), {"--description", description});
    RunResult built = RunSaverpack(args);
    ASSERT_EQ(built.code, 0) << built.err;

    saverpack::LoadedPackage loaded(in.output);
    ASSERT_TRUE(loaded.valid());
    EXPECT_EQ(std::string(loaded.header().szTitle), title);
    EXPECT_EQ(std::string(loaded.header().szDescription), description);
    EXPECT_EQ(memcmp(loaded.header().abTextMarker, "utf8", 4), 0);
    RunResult report = RunSaverpack({"inspect", in.output});
    ASSERT_EQ(report.code, 0) << report.err;
    EXPECT_TRUE(Contains(report.out, "title        \"" + title + "\"\n")) << report.out;
    EXPECT_TRUE(Contains(report.out, "description  \"" + description + "\"\n"));
    EXPECT_TRUE(Contains(report.out, "texts        UTF-8\n"));
}

// The entry's texts at their limits (a full field keeps no zero), as inspect
// shows them; --no-uninstall leaves the chunk out; a version that reads like a
// number stays text.
TEST(SaverpackBuild, AppsEntryIsStoredAsGivenOrLeftOut)
{
    const std::string publisher = std::string(126, 'P') + "\xC3\xA9", version(128, '9');
    const std::string url = "https://example.com/" + std::string(240, 'u');
    struct Case {
        std::vector<std::string> options;
        bool hasApp;
        std::string publisher, version, url;
    } cases[] = {
        {{}, true, "", "", ""},
        {{"--version", "1.10", "--url", "HTTP://example.com"}, true, "", "1.10", "HTTP://example.com"},
        {{"--publisher", publisher, "--version", version, "--url", url}, true, publisher, version, url},
        {{"--no-uninstall"}, false, "", "", ""},
    };
    for (const Case& c : cases) {
        Inputs in;
        std::vector<std::string> args = in.BuildArgs();
        args.insert(args.end(), {"--name", "FLYING.SCR"});
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult built = RunSaverpack(args);
        ASSERT_EQ(built.code, 0) << built.err;
        EXPECT_TRUE(Contains(built.out, c.hasApp ? "removal   Apps & features entry ScreenSaver_FLYING.SCR\n"
                                                 : "removal   none (--no-uninstall)\n"))
            << built.out;

        saverpack::LoadedPackage loaded(in.output);
        ASSERT_TRUE(loaded.valid());
        EXPECT_EQ(loaded.hasApp(), c.hasApp);
        RunResult report = RunSaverpack({"inspect", in.output});
        ASSERT_EQ(report.code, 0) << report.err;
        if (!c.hasApp) {
            EXPECT_TRUE(Contains(report.out, "apps entry   none: the installer registers nothing for removal\n"));
            EXPECT_EQ(ChunkRows(report.out).size(), 3u) << report.out;
            continue;
        }
        auto shown = [](const std::string& text) { return text.empty() ? std::string("none") : '"' + text + '"'; };
        EXPECT_TRUE(Contains(report.out, "apps entry   ScreenSaver_FLYING.SCR\n  publisher    " +
                                             shown(c.publisher) + "\n  version      " + shown(c.version) +
                                             "\n  url          " + shown(c.url) + "\n"))
            << report.out;
    }
}

// What the command line leaves open comes from the saver's resources, each text
// from the first place that has a usable one; options win; a saver whose
// resources cannot be read falls back to its file name. (The installer's
// resources themselves are read back with pefile, on the real stub.)
TEST(SaverpackBuild, TextsTheCommandLineLeavesOpenComeFromTheSaver)
{
    using testsupport::SaverShape;
    SaverShape full, noName, commaVersion, damaged;
    noName.displayName.clear();
    commaVersion.displayName.clear();
    commaVersion.version = {{"FileVersion", "1, 0, 0, 1"}, {"CompanyName", "  "}};
    commaVersion.icon = false;
    struct Case {
        const char* name;
        SaverShape shape;
        std::vector<std::string> options;
        std::string title, publisher, version;
        std::vector<std::string> said;  // lines of build's report
    } cases[] = {
        {"everything from the saver", full, {}, "Flying Things", "Flying Ltd", "3.1.4",
         {"  title     \"Flying Things\", the saver's string 1\n", "  publisher \"Flying Ltd\", the saver's CompanyName\n",
          "  version   \"3.1.4\", the saver's ProductVersion\n", "  icon      the saver's: 16 x 16, 256 x 256 PNG\n"}},
        {"no string 1", noName, {"--no-uninstall"}, "Things that fly", "", "",
         {"  title     \"Things that fly\", the saver's FileDescription\n"}},
        {"a version that is no number", commaVersion, {}, "flying", "", "3.1.4.1",
         {"  title     \"flying\", the saver's file name\n",
          "  version   \"3.1.4.1\", the saver's binary PRODUCTVERSION\n"}},
        {"options win", full, {"--title", "Mine", "--publisher", "Me", "--version", "9", "--icon", ""}, "Mine", "Me",
         "9", {"  icon      "}},
        {"damaged resources", damaged, {}, "flying", "", "",
         {"  title     \"flying\", the saver's file name\n",
          "  note      the saver's resources cannot all be read: a resource directory lies outside"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs in;
        Bytes saver = testsupport::MakeSaverImage(c.shape);
        if (std::string(c.name) == "damaged resources")
            testsupport::PutU32(saver, 0x400 + 16 + 4, 0x8000FFF0);  // the first type's directory, out of reach
        testsupport::WriteFileBytes(in.saver, saver);
        testsupport::WriteFileBytes(in.dir.Path("other.ico"), testsupport::SaverIconFile());
        std::vector<std::string> args = {"build", "--stub", in.stub, "--saver", in.saver, "--output", in.output};
        for (const std::string& option : c.options)
            args.push_back(option == "" ? in.dir.Path("other.ico") : option);
        RunResult built = RunSaverpack(args);
        ASSERT_EQ(built.code, 0) << built.err;
        for (const std::string& line : c.said)
            EXPECT_TRUE(Contains(built.out, line)) << built.out;
        EXPECT_FALSE(c.options.size() > 2 && Contains(built.out, "the saver's")) << built.out;

        saverpack::LoadedPackage loaded(in.output);
        ASSERT_TRUE(loaded.valid());
        EXPECT_EQ(std::string(loaded.header().szTitle), c.title);
        // The saver's publisher and version name the installer; --no-uninstall still means no entry.
        EXPECT_EQ(loaded.hasApp(), std::count(c.options.begin(), c.options.end(), "--no-uninstall") == 0);
        EXPECT_EQ(saverpack::AppEntryOf(loaded.app()).publisher, c.publisher);
        EXPECT_EQ(saverpack::AppEntryOf(loaded.app()).version, c.version);
    }
}

TEST(SaverpackBuild, StubEndingInADamagedPackageIsTakenWithAWarning)
{
    Inputs in;
    std::string packed = in.dir.Path("packed.exe");
    std::vector<std::string> first = in.BuildArgs();
    first.back() = packed;
    ASSERT_EQ(RunSaverpack(first).code, 0);
    Bytes damaged = testsupport::ReadFileBytes(packed);
    damaged[10] ^= 1;  // the self-check no longer matches: the reader refuses it
    testsupport::WriteFileBytes(packed, damaged);
    std::vector<std::string> args = in.BuildArgs();
    Set(args, "--stub", packed);
    RunResult r = RunSaverpack(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Contains(r.err, "warning")) << r.err;
    EXPECT_TRUE(saverpack::LoadedPackage(in.output).valid());
}

// The translations chunk as built: a file of a language saverpack has no rule
// for, one that gives English to the package, the built-in ones --languages
// names; inspect lists them all and the chunk reads back as the files read.
TEST(SaverpackBuild, LanguageFilesTravelInTheChunk)
{
    Inputs in;
    std::string welsh = ReplaceLine(WelshFile(), "caption", "caption = Neges %s%n\\n\\\\");
    welsh = ReplaceLine(welsh, "direction", "direction = rtl");
    std::string english = LanguageFileText("en", "0409 0809", {"one", "other"});
    WriteText(in.dir.Path("cy.lang"), welsh);
    WriteText(in.dir.Path("en.lang"), english);
    // The first built-in language after English, when the tree holds one.
    std::string builtIn = saverpack::kBuiltInLanguageFileCount > 1
                              ? saverpack::BuiltInTag(saverpack::kBuiltInLanguageFiles[0])
                              : std::string("en");
    if (builtIn == "en" && saverpack::kBuiltInLanguageFileCount > 1)
        builtIn = saverpack::BuiltInTag(saverpack::kBuiltInLanguageFiles[1]);
    std::vector<std::string> args = in.BuildArgs();
    Set(args, "--languages", builtIn);
    args.insert(args.end(), {"--language-file", in.dir.Path("cy.lang"), "--language-file", in.dir.Path("en.lang")});
    RunResult built = RunSaverpack(args);
    ASSERT_EQ(built.code, 0) << built.err;
    std::string listed = "en (built in), " + (builtIn == "en" ? std::string() : builtIn + ", ") +
                         "cy, en (from the package)";
    EXPECT_TRUE(Contains(built.out, "  languages " + listed + "; ")) << built.out;
    RunResult report = RunSaverpack({"inspect", in.output});
    ASSERT_EQ(report.code, 0) << report.err;
    EXPECT_TRUE(Contains(report.out, "  languages    " + listed + "\n")) << report.out;
    EXPECT_FALSE(Contains(report.out, "note:")) << report.out;
    std::vector<ChunkRow> rows = ChunkRows(report.out);
    ASSERT_EQ(rows.size(), 5u) << report.out;
    EXPECT_EQ(rows[2].tag, "\"ilng\"");

    saverpack::PackageWalk walk;
    std::string error;
    ASSERT_TRUE(saverpack::WalkFile(in.output, &walk, &error)) << error;
    std::vector<saverpack::Language> stored;
    ASSERT_TRUE(saverpack::DecodeLanguages(walk.languages, &stored, &error)) << error;
    std::vector<saverpack::Language> expected;
    std::vector<std::string> problems;
    if (builtIn != "en") {
        expected.emplace_back();
        ASSERT_TRUE(saverpack::ReadBuiltInLanguage(*saverpack::FindBuiltInLanguage(builtIn), &expected.back(), &problems));
    }
    for (const std::string& file : {welsh, english}) {
        expected.emplace_back();
        ASSERT_TRUE(saverpack::ReadLanguageFile("x.lang", file, &expected.back(), &problems));
    }
    ASSERT_EQ(stored.size(), expected.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(expected[i].tag);
        EXPECT_EQ(stored[i].tag, expected[i].tag);
        EXPECT_EQ(stored[i].langids, expected[i].langids);
        EXPECT_EQ(stored[i].rightToLeft, expected[i].rightToLeft);
        EXPECT_EQ(stored[i].plurals, expected[i].plurals);
        ASSERT_EQ(stored[i].texts.size(), expected[i].texts.size());
        for (size_t k = 0; k < stored[i].texts.size(); ++k) {
            EXPECT_EQ(stored[i].texts[k].id, expected[i].texts[k].id);
            EXPECT_EQ(stored[i].texts[k].form, expected[i].texts[k].form);
            EXPECT_EQ(stored[i].texts[k].text, expected[i].texts[k].text);
        }
    }
    // Data, never a format: the caption is stored as written, its escapes resolved.
    const saverpack::Language& cy = stored[stored.size() - 2];
    EXPECT_TRUE(cy.rightToLeft);
    EXPECT_EQ(cy.texts.front().id, package::kMsgCaption);
    EXPECT_EQ(cy.texts.front().text, "Neges %s%n\n\\");
    EXPECT_EQ(std::vector<uint8_t>(cy.plurals.begin(), cy.plurals.end()),
              std::vector<uint8_t>(package::kPluralCounts, package::kPluralOther));
    EXPECT_EQ(stored.back().langids, (std::vector<uint16_t>{0x0409, 0x0809}));

    // By default every built-in language goes in but English, which the stub carries.
    args = in.BuildArgs();
    args.erase(std::find(args.begin(), args.end(), "--languages"), std::find(args.begin(), args.end(), "--output"));
    built = RunSaverpack(args);
    ASSERT_EQ(built.code, 0) << built.err;
    ASSERT_TRUE(saverpack::WalkFile(in.output, &walk, &error)) << error;
    ASSERT_TRUE(saverpack::DecodeLanguages(walk.languages, &stored, &error) || walk.languages.empty()) << error;
    std::vector<std::string> tags, builtInTags;
    for (const saverpack::Language& language : stored)
        tags.push_back(language.tag);
    for (size_t i = 0; i < saverpack::kBuiltInLanguageFileCount; ++i) {
        if (saverpack::BuiltInTag(saverpack::kBuiltInLanguageFiles[i]) != "en")
            builtInTags.push_back(saverpack::BuiltInTag(saverpack::kBuiltInLanguageFiles[i]));
    }
    EXPECT_EQ(tags, builtInTags);
}

TEST(SaverpackCommandLine, HelpVersionAndUsage)
{
    RunResult r = RunSaverpack({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, saverpack::kVersionText);
    r = RunSaverpack({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, saverpack::kMainUsage);
    const std::pair<const char*, const char*> commands[] = {
        {"build", saverpack::kBuildUsage},
        {"inspect", saverpack::kInspectUsage},
        {"extract", saverpack::kExtractUsage},
        {"winget", saverpack::kWingetUsage},
        {"languages", saverpack::kLanguagesUsage}};
    for (const auto& command : commands) {
        r = RunSaverpack({command.first, "--help"});
        EXPECT_EQ(r.code, 0) << command.first;
        EXPECT_EQ(r.out, command.second);
        EXPECT_EQ(r.err, "");
    }
    r = RunSaverpack({});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "Usage: saverpack build"));
    r = RunSaverpack({"pack"});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(Contains(r.err, "unknown command \"pack\""));
}

}  // namespace
