// Writes the fuzz target's seed corpus: small, valid installers of every shape
// the reader knows (with and without document, logo and translations, chunks in
// other orders, chunks of unknown kinds, a long header, stored blocks). The seeds are kept in
// tests/fuzz/seeds; run `make_fuzz_seeds DIR` to make them again.
#include "package/messages.h"
#include "package/package_format.h"
#include "support/package_builder.h"

#include <stdio.h>
#include <string.h>
#include <string>

namespace {

using namespace package;
using testsupport::Bytes;
using testsupport::PackageBuilder;

// A packed 4x4 DIB at 4 bits per pixel: header, a 16-entry colour table, bits.
Bytes TinyLogo()
{
    Bytes dib(40 + 16 * 4 + 4 * 4, 0);
    testsupport::PutU32(dib, 0, 40);  // biSize
    testsupport::PutU32(dib, 4, 4);   // biWidth
    testsupport::PutU32(dib, 8, 4);   // biHeight
    dib[12] = 1;                      // biPlanes
    dib[14] = 4;                      // biBitCount
    for (int i = 0; i < 16; ++i) {
        dib[40 + i * 4 + 0] = uint8_t(i * 16);
        dib[40 + i * 4 + 1] = uint8_t(255 - i * 16);
        dib[40 + i * 4 + 2] = uint8_t(i * 8);
    }
    for (int i = 0; i < 16; ++i)
        dib[104 + i] = uint8_t(i * 0x11);
    return dib;
}

// A saver program of a few hundred bytes, part random, part text.
Bytes SmallSaver(uint32_t seed)
{
    Bytes saver = testsupport::RandomBytes(200, seed);
    Bytes text = testsupport::CompressibleBytes(600);
    saver.insert(saver.end(), text.begin(), text.end());
    return saver;
}

// Translations as a hostile packer might write them: format directives, another
// text's placeholder, plural forms the table names but the texts lack, an id
// the stub does not know; and a right-to-left one.
Bytes HostileTranslations()
{
    testsupport::Translation de{"de", {0x0407}, 0, std::vector<uint8_t>(kPluralCounts, kPluralFew), {}};
    de.plurals[0] = kPluralOne;
    de.texts = {{kMsgCaption, kPluralOther, "%s%n%x"},
                {kMsgInstallPrompt, kPluralOther, "{minutes} {title} {title"},
                {kMsgActive, kPluralOne, "{title} {minutes}"},
                {kMsgWait, kPluralOther, "\xc3\xa4 {title}\xff"},
                {200, kPluralOther, "later"}};
    testsupport::Translation ar{"ar", {0x0401, 0x0001}, kLanguageRightToLeft,
                                std::vector<uint8_t>(kPluralCounts, kPluralMany),
                                {{kMsgCaption, kPluralOther, "\xd8\xb1\xd8\xb3\xd8\xa7\xd9\x84\xd8\xa9"}}};
    return testsupport::TranslationsBlock({de, ar});
}

PackageBuilder Base()
{
    PackageBuilder builder;
    builder.Stub(testsupport::RandomBytes(128, 5)).Title("Seed Saver").Description("A seed for the fuzzer");
    return builder;
}

bool Write(const std::string& directory, const char* name, const PackageBuilder& builder)
{
    Bytes bytes = builder.Build();
    std::string path = directory + "/" + name;
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = fclose(file) == 0 && ok;
    printf("%-28s %6zu bytes\n", name, bytes.size());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes document = testsupport::CompressibleBytes(400);
    const uint32_t kTagUnknown = MakeTag('i', 'x', 't', 'r');
    bool ok = true;

    ok &= Write(dir, "saver_only", Base().Saver(SmallSaver(11)));
    ok &= Write(dir, "saver_document_logo", Base().Saver(SmallSaver(12)).Document(document).Logo(TinyLogo()));
    ok &= Write(dir, "logo_document_saver", Base().Logo(TinyLogo()).Document(document).Saver(SmallSaver(13)));
    ok &= Write(dir, "saver_document", Base().Document(document).Saver(SmallSaver(14)));
    ok &= Write(dir, "saver_logo", Base().Saver(SmallSaver(15)).Logo(TinyLogo()));
    ok &= Write(dir, "unknown_chunks",
                Base()
                    .Raw(kTagUnknown, 8, testsupport::RandomBytes(40, 16))
                    .Saver(SmallSaver(17))
                    .Raw(MakeTag('I', 'S', 'C', 'R'), 310, testsupport::RandomBytes(20, 18))
                    .Document(document));
    ok &= Write(dir, "long_header", Base().HeaderExtra(100).Saver(SmallSaver(19)));
    ok &= Write(dir, "stored_saver", Base().SaverStream(testsupport::StoredZlib(SmallSaver(20))));
    ok &= Write(dir, "empty_saver", Base().Saver({}));
    ok &= Write(dir, "header_and_trailer", Base());
    ok &= Write(dir, "early_trailer", Base().Saver(SmallSaver(21)).Raw(kTagEnd, 56, {}).Logo(TinyLogo()));
    ok &= Write(dir, "languages", Base().Saver(SmallSaver(23)).Languages(HostileTranslations()));
    ok &= Write(dir, "empty_stub", Base().Stub({}).Saver(SmallSaver(22)).Document(document));
    return ok ? 0 : 1;
}
