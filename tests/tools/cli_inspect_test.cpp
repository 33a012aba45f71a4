// `saverpack inspect` and `extract` on intact, odd and damaged installers: the
// verdict is the installer reader's, the reason the packer's own walk.
#include "commands/cli.h"
#include "run_saverpack.h"

#include "package/package_format.h"

#include <gtest/gtest.h>
#include <string.h>

namespace {

using namespace package;
using packertest::Contains;
using packertest::Inputs;
using packertest::RunResult;
using packertest::RunSaverpack;
using testsupport::Bytes;
using testsupport::GetU32;
using testsupport::PutU32;

// A packed installer with a document and a logo, and where its chunks lie (no
// Apps & features chunk: the saver follows the header).
struct Packed {
    Packed()
    {
        std::vector<std::string> args = in.BuildArgs();
        args.insert(args.end(), {"--document", in.document, "--logo", in.Logo(8), "--no-uninstall"});
        RunResult r = RunSaverpack(args);
        EXPECT_EQ(r.code, 0) << r.err;
        bytes = testsupport::ReadFileBytes(in.output);
        header = uint32_t(in.stubBytes.size());
        saver = header + kHeaderRecordSize;
        document = saver + GetU32(bytes, saver + 4);
        logo = document + GetU32(bytes, document + 4);
        trailer = uint32_t(bytes.size() - kTrailerSize);
        EXPECT_EQ(logo + GetU32(bytes, logo + 4), trailer);
    }

    Inputs in;
    Bytes bytes;
    uint32_t header, saver, document, logo, trailer;
};

void SetDistance(Bytes& b, uint32_t distance)
{
    PutU32(b, b.size() - kTrailerSize + 12, distance ^ kHeaderDistanceMask);
}

// Cuts `count` bytes from the end of the chunk at `chunk` and keeps the trailer
// pointing at the header, so that only the chunk itself is short.
void CutChunkTail(Bytes& b, uint32_t header, uint32_t chunk, uint32_t count)
{
    uint32_t length = GetU32(b, chunk + 4);
    b.erase(b.begin() + chunk + length - count, b.begin() + chunk + length);
    PutU32(b, chunk + 4, length - count);
    SetDistance(b, uint32_t(b.size() - header));
}

struct Damage {
    const char* name;
    void (*apply)(const Packed& p, Bytes& b);
    const char* reason;
};

TEST(SaverpackInspect, DamagedInstallersGiveTheReasonAndStatusOne)
{
    const Damage cases[] = {
        {"cut to 40 bytes", [](const Packed&, Bytes& b) { b.resize(40); }, "too short for the 56-byte trailer"},
        {"bare stub", [](const Packed& p, Bytes& b) { b = p.in.stubBytes; }, "do not begin with \"iend\""},
        {"trailer tag in capitals", [](const Packed& p, Bytes& b) { PutU32(b, p.trailer, MakeTag('I', 'E', 'N', 'D')); },
         "found \"IEND\""},
        {"last byte cut off", [](const Packed&, Bytes& b) { b.pop_back(); }, "do not begin with \"iend\""},
        {"header beyond the start", [](const Packed&, Bytes& b) { SetDistance(b, uint32_t(b.size() + 1)); },
         "trailer puts the header"},
        {"header distance too small", [](const Packed&, Bytes& b) { SetDistance(b, 1000); },
         "trailer puts the header"},
        {"header distance off by one", [](const Packed& p, Bytes& b) { SetDistance(b, uint32_t(b.size() - p.header - 1)); },
         "no \"ihdr\" header at offset 6001"},
        {"title changed", [](const Packed& p, Bytes& b) { b[p.header + 814] ^= 0x20; },
         "header at offset 6000 has been changed"},
        {"stored header checksum changed", [](const Packed& p, Bytes& b) { b[p.trailer + 16] ^= 1; },
         "header at offset 6000 has been changed"},
        {"header length past the end", [](const Packed& p, Bytes& b) {
             PutU32(b, p.header + 4, uint32_t(b.size()));
             testsupport::ResealPackage(b);
         }, "header chunk's length"},
        {"header length short of its record", [](const Packed& p, Bytes& b) {
             PutU32(b, p.header + 4, 1369);
             testsupport::ResealPackage(b);
         }, "header chunk's length 1369"},
        {"saver chunk past the end", [](const Packed& p, Bytes& b) { PutU32(b, p.saver + 4, 0x7FFFFFF0); },
         "\"iscr\" chunk at offset 7370 claims 2147483632 bytes"},
        {"saver chunk shorter than its record", [](const Packed& p, Bytes& b) { PutU32(b, p.saver + 4, 100); },
         "shorter than its 310-byte record"},
        {"document stream changed", [](const Packed& p, Bytes& b) { b[p.document + kDocumentRecordSize + 10] ^= 0x55; },
         "document chunk at offset"},
        {"document stream cut", [](const Packed& p, Bytes& b) { CutChunkTail(b, p.header, p.document, 4); },
         "ends before the end of its zlib stream"},
        {"logo stream header broken", [](const Packed& p, Bytes& b) { b[p.logo + kLogoRecordSize] = 0; },
         "logo chunk at offset"},
        {"logo swallows the trailer", [](const Packed& p, Bytes& b) { PutU32(b, p.logo + 4, uint32_t(b.size() - p.logo)); },
         "run into the end of the package"},
        {"stub changed", [](const Packed&, Bytes& b) { b[100] ^= 1; }, "stub image (the first 6000 bytes) has been changed"},
    };
    Packed p;
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes damaged = p.bytes;
        c.apply(p, damaged);
        std::string path = p.in.dir.Path("damaged.exe");
        testsupport::WriteFileBytes(path, damaged);

        RunResult r = RunSaverpack({"inspect", path});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.out, path + ": damaged installer: ")) << r.out;
        EXPECT_TRUE(Contains(r.out, c.reason)) << r.out;

        std::string destination = p.in.dir.Path("saver.scr");
        r = RunSaverpack({"extract", path, destination});
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(Contains(r.err, c.reason)) << r.err;
        EXPECT_FALSE(testsupport::FileExists(destination));
    }
}

// Packages the reader accepts though something about them deserves a word.
TEST(SaverpackInspect, OddButValidInstallersGetNotes)
{
    struct Case {
        const char* name;
        void (*build)(testsupport::PackageBuilder& builder);
        const char* note;
    } cases[] = {
        {"unknown chunk", [](testsupport::PackageBuilder& b) {
             b.Saver(testsupport::RandomBytes(100, 1)).Raw(MakeTag('x', 't', 'r', 'a'), 8, {1, 2, 3});
         }, "unknown tag \"xtra\""},
        {"header extra", [](testsupport::PackageBuilder& b) { b.HeaderExtra(10).Saver(testsupport::RandomBytes(100, 1)); },
         "carries 10 bytes after its record"},
        {"document size differs", [](testsupport::PackageBuilder& b) {
             b.Saver(testsupport::RandomBytes(100, 1)).Document(testsupport::CompressibleBytes(500), 505);
         }, "gives its size as 505 bytes, but its stream inflates to 500"},
        {"logo stored top-down", [](testsupport::PackageBuilder& b) {
             Bytes dib(40 + 4 * 4 * 2, 0);
             PutU32(dib, 0, 40);
             PutU32(dib, 4, 4);
             PutU32(dib, 8, uint32_t(-2));
             dib[12] = 1;
             dib[14] = 32;
             b.Saver(testsupport::RandomBytes(100, 1)).Logo(dib);
         }, "cannot draw the logo: the bitmap is stored top-down"},
        {"early iend", [](testsupport::PackageBuilder& b) {
             b.Saver(testsupport::RandomBytes(100, 1)).Raw(kTagEnd, kTrailerSize, {}).Raw(MakeTag('j', 'u', 'n', 'k'), 8, {});
         }, "ends the chunks before the trailer"},
        {"second saver", [](testsupport::PackageBuilder& b) {
             b.Saver(testsupport::RandomBytes(100, 1)).Saver(testsupport::RandomBytes(100, 2), "B.SCR");
         }, "a second saver chunk"},
        {"zero-length chunk", [](testsupport::PackageBuilder& b) {
             b.Saver(testsupport::RandomBytes(100, 1)).Raw(MakeTag('z', 'e', 'r', 'o'), 8, {});
             b.chunks().back().bytes = Bytes(8, 0);
         }, "a chunk of length 0"},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::PackageBuilder builder;
        c.build(builder);
        std::string path = dir.Path("odd.exe");
        testsupport::WriteFileBytes(path, builder.Build());
        RunResult r = RunSaverpack({"inspect", path, "--verify"});
        EXPECT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Contains(r.out, ": valid installer\n")) << r.out;
        EXPECT_TRUE(Contains(r.out, "note: ")) << r.out;
        EXPECT_TRUE(Contains(r.out, c.note)) << r.out;
        EXPECT_TRUE(Contains(r.out, "verify: the saver inflates to 100 bytes")) << r.out;
    }
}

TEST(SaverpackInspect, PrintsTextsInUtf8WhateverTheHeaderHolds)
{
    const struct {
        const char* name;
        bool marked;
        const char* stored;
        const char* shown;
        const char* texts;
    } cases[] = {
        // Unmarked: Windows-1252, its undefined 0x81 read as the C1 control of that number.
        {"ANSI", false, "Caf\xE9 \x80 \x9F \x81", "Caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8 \xC2\x81",
         "ANSI, shown as Windows-1252"},
        {"UTF-8", true, "Caf\xC3\xA9 \xD0\x96", "Caf\xC3\xA9 \xD0\x96", "UTF-8"},
        // Marked texts are shown as they are, even where they are not UTF-8.
        {"damaged UTF-8", true, "Caf\xE9", "Caf\xE9", "UTF-8"},
    };
    testsupport::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::PackageBuilder builder;
        builder.Title(c.stored).Description(std::string("d ") + c.stored).Saver(testsupport::RandomBytes(100, 1));
        if (c.marked)
            memcpy(builder.header().abTextMarker, kUtf8TextMarker, 4);
        std::string path = dir.Path("texts.exe");
        testsupport::WriteFileBytes(path, builder.Build());
        RunResult r = RunSaverpack({"inspect", path});
        ASSERT_EQ(r.code, 0) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("title        \"") + c.shown + "\"\n")) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("description  \"d ") + c.shown + "\"\n")) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("texts        ") + c.texts + "\n")) << r.out;
    }
}

TEST(SaverpackInspect, EmptyDocumentStreamIsDamage)
{
    testsupport::TempDir dir;
    std::string path = dir.Path("empty-doc.exe");
    testsupport::WriteFileBytes(path, testsupport::PackageBuilder()
                                          .Saver(testsupport::RandomBytes(100, 1))
                                          .Document({})
                                          .Build());
    RunResult r = RunSaverpack({"inspect", path});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.out, "inflates to nothing")) << r.out;
}

TEST(SaverpackInspect, NoSaverIsValidButNothingToVerifyOrExtract)
{
    testsupport::TempDir dir;
    std::string path = dir.Path("no-saver.exe");
    testsupport::WriteFileBytes(path, testsupport::PackageBuilder().Build());
    RunResult r = RunSaverpack({"inspect", path});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(Contains(r.out, "saver        none\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "no saver chunk")) << r.out;
    r = RunSaverpack({"inspect", path, "--verify"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.out, "verify: damaged: there is no saver")) << r.out;
    r = RunSaverpack({"extract", path, dir.Path("x.scr")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "holds no saver")) << r.err;
    EXPECT_FALSE(testsupport::FileExists(dir.Path("x.scr")));
}

// The reader never inflates the saver, so a damaged saver stream shows only
// when something does: --verify, or extraction, which must then keep DEST.
TEST(SaverpackInspect, DamagedSaverStreamShowsOnlyWhenInflated)
{
    Packed p;
    Bytes damaged = p.bytes;
    damaged[p.saver + kSaverRecordSize + 2000] ^= 0x10;
    std::string path = p.in.dir.Path("bad-saver.exe");
    testsupport::WriteFileBytes(path, damaged);

    RunResult r = RunSaverpack({"inspect", path});
    EXPECT_EQ(r.code, 0) << r.out;
    r = RunSaverpack({"inspect", path, "--verify"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.out, "verify: damaged: the saver stream at offset 7370 is damaged")) << r.out;

    std::string destination = p.in.dir.Path("kept.scr");
    Bytes old = {'k', 'e', 'e', 'p'};
    testsupport::WriteFileBytes(destination, old);
    std::vector<std::string> before = p.in.dir.List();
    r = RunSaverpack({"extract", path, destination});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "saver stream at offset 7370 is damaged")) << r.err;
    EXPECT_EQ(testsupport::ReadFileBytes(destination), old);
    EXPECT_EQ(p.in.dir.List(), before);
}

TEST(SaverpackExtract, WritesTheSaverAndGuardsItsDestination)
{
    Packed p;
    std::string destination = p.in.dir.Path("again.scr");
    testsupport::WriteFileBytes(destination, {'o', 'l', 'd'});
    RunResult r = RunSaverpack({"extract", p.in.output, destination});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "wrote flying.scr to " + destination + ", 30000 bytes\n");
    EXPECT_EQ(testsupport::ReadFileBytes(destination), p.in.saverBytes);

    // Extracting over the installer itself would destroy it.
    r = RunSaverpack({"extract", p.in.output, p.in.output});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Contains(r.err, "itself")) << r.err;
    EXPECT_EQ(testsupport::ReadFileBytes(p.in.output), p.bytes);

    // A directory, or a place that does not exist, is not written.
    testsupport::MakeDirectory(p.in.dir.Path("sub"));
    std::vector<std::string> before = p.in.dir.List();
    EXPECT_EQ(RunSaverpack({"extract", p.in.output, p.in.dir.Path("sub")}).code, 1);
    EXPECT_EQ(p.in.dir.List(), before);
    std::string nowhere = p.in.dir.Path("missing") + testsupport::kSeparator + "x.scr";
    EXPECT_EQ(RunSaverpack({"extract", p.in.output, nowhere}).code, 1);
    EXPECT_FALSE(testsupport::FileExists(nowhere));
}

TEST(SaverpackInspect, UsageAndUnreadableFiles)
{
    testsupport::TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* reason;
    } cases[] = {
        {{"inspect"}, 2, "give exactly one FILE"},
        {{"inspect", "a", "b"}, 2, "give exactly one FILE"},
        {{"inspect", "a", "--verfiy"}, 2, "unknown option --verfiy"},
        {{"inspect", dir.Path("none.exe")}, 1, "no such file"},
        {{"inspect", dir.path()}, 1, "not a regular file"},
        {{"extract", "a"}, 2, "give FILE and DEST"},
        {{"extract", "a", "b", "c"}, 2, "give FILE and DEST"},
        {{"extract", dir.Path("none.exe"), dir.Path("x.scr")}, 1, "no such file"},
    };
    for (const Case& c : cases) {
        RunResult r = RunSaverpack(c.args);
        EXPECT_EQ(r.code, c.code) << c.reason;
        EXPECT_TRUE(Contains(r.err, c.reason)) << r.err;
    }
    EXPECT_TRUE(dir.List().empty());
}

}  // namespace
