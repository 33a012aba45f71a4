// The installer package: the one definition of what the authoring tool appends to
// the stub and of the records the stub reads back. The stub, the packer and the
// tests all include this header.
//
//   offset 0        stub image (the executable as built; its CRC-32 is the self-check,
//                   with a PE image's CheckSum and certificate-table entry read as zero)
//   H               "ihdr" InstHeader   1370 bytes (+ dwLength-1370 bytes skipped)
//   ...             "iscr" InstScr       310 bytes + zlib stream of the saver
//                   "idoc" InstDoc        48 bytes + zlib stream of the document  (optional)
//                   "ilgo" InstLogo       52 bytes + zlib stream of the logo DIB  (optional;
//                                         bytes 8-11 "alph": blend its alpha)
//                   "iapp" InstApp       524 bytes: publisher, version, URL (optional; asks
//                                         for an Apps & features entry and an uninstaller)
//                   "ilng" 8 bytes + zlib stream of the translations (optional; read only
//                                         when the header's texts are UTF-8; layout below)
//                   (chunks tile the space without gaps; unknown tags are skipped)
//   E-56 .. E-1     "iend" InstEnd        56 bytes; holds E-H and the header's CRC, masked
//   E .. S-1        nothing, or in a signed installer 0-7 zero bytes and the certificate
//                   table that signing appends (the PE data directory points at it)
//
// Every integer is a little-endian 32-bit value; every string is zero-terminated
// text inside a fixed-width field: ANSI, or UTF-8 when the header carries
// kUtf8TextMarker. The saver's file name is ANSI either way: it goes into
// SYSTEM.INI.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace package {

// Tags as the little-endian values of their four ASCII bytes ("ihdr" is 'i' in byte 0).
constexpr uint32_t MakeTag(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kTagHeader = MakeTag('i', 'h', 'd', 'r');
constexpr uint32_t kTagSaver = MakeTag('i', 's', 'c', 'r');
constexpr uint32_t kTagDocument = MakeTag('i', 'd', 'o', 'c');
constexpr uint32_t kTagLogo = MakeTag('i', 'l', 'g', 'o');
constexpr uint32_t kTagEnd = MakeTag('i', 'e', 'n', 'd');
constexpr uint32_t kTagApp = MakeTag('i', 'a', 'p', 'p');
static_assert(kTagHeader == 0x72646869u, "tag byte order");
static_assert(kTagSaver == 0x72637369u, "tag byte order");
static_assert(kTagDocument == 0x636F6469u, "tag byte order");
static_assert(kTagLogo == 0x6F676C69u, "tag byte order");
static_assert(kTagEnd == 0x646E6569u, "tag byte order");
static_assert(kTagApp == 0x70706169u, "tag byte order");
constexpr uint32_t kTagLanguages = MakeTag('i', 'l', 'n', 'g');
static_assert(kTagLanguages == 0x676E6C69u, "tag byte order");

// The translations chunk: its tag and length, then one zlib stream (so its Adler-32
// guards everything else) that inflates to
//
//   u16 language count
//   per language:  u32 length of what follows in this language's record
//                  u8  tag length, then the tag's ASCII bytes ("de", "zh-Hant")
//                  u8  flags: kLanguageRightToLeft
//                  u8  LANGID count (1 to kMaxLanguageIds), then each LANGID as a u16
//                  u8  plural form for each count 1 to 99 (a kPlural... value)
//                  u16 text count
//                  per text: u8 message id (messages.h), u8 plural form (kPluralOther
//                            for a text without a count), u16 byte length, UTF-8 bytes
//
// All integers little-endian, no padding, nothing zero-terminated. Unknown message
// ids are skipped; a missing text or form falls back to English.
constexpr uint32_t kMaxLanguagesBytes = 1024 * 1024;  // inflated; all 35 languages take about a tenth
constexpr uint8_t kLanguageRightToLeft = 0x01;
constexpr unsigned kMaxLanguageIds = 16;
constexpr unsigned kPluralCounts = 99;  // the minutes the install prompt offers
constexpr unsigned kMaxTextBytes = 1024;
// CLDR's cardinal plural categories, as stored.
enum PluralForm : uint8_t { kPluralZero, kPluralOne, kPluralTwo, kPluralFew, kPluralMany, kPluralOther };

// "alph" in InstLogo's dwFormat: the logo is a 32-bit DIB whose fourth byte is
// premultiplied alpha, to be blended over the backdrop rather than copied. Older
// installers leave these bytes zero, so their logos keep being copied.
constexpr uint32_t kLogoAlphaMarker = MakeTag('a', 'l', 'p', 'h');
static_assert(kLogoAlphaMarker == 0x68706C61u, "tag byte order");

// The trailer stores these two values XORed with fixed masks.
constexpr uint32_t kHeaderDistanceMask = 0x3E5B72D9u;
constexpr uint32_t kHeaderCrcMask = 0xC4A1086Fu;

constexpr uint32_t kStreamStepBytes = 8192;

// The header's texts are UTF-8 when its bytes 8-11 hold these four ASCII bytes;
// anything else there means ANSI texts, as in packages written before the marker
// existed. The header checksum covers the marker like every other header byte.
constexpr uint8_t kUtf8TextMarker[4] = {'u', 't', 'f', '8'};

#pragma pack(push, 1)

struct InstHeader {
    uint32_t dwTag;
    uint32_t dwLength;
    uint8_t abTextMarker[4];  // kUtf8TextMarker when szTitle and szDescription are UTF-8
    uint8_t reserved0[4];
    uint32_t crColour;  // COLORREF: red in the low byte
    uint32_t nTimeout;  // minutes
    uint8_t reserved1[790];
    char szTitle[262];
    char szDescription[294];
};

struct InstScr {
    uint32_t dwTag;
    uint32_t dwLength;
    uint8_t reserved0[8];
    char szFileName[294];
};

struct InstDoc {
    uint32_t dwTag;
    uint32_t dwLength;
    uint8_t reserved0[4];
    uint32_t dwSize;  // inflated size of the document
    uint8_t reserved1[32];
};

struct InstLogo {
    uint32_t dwTag;
    uint32_t dwLength;
    uint32_t dwFormat;  // kLogoAlphaMarker, or anything else for a logo copied as it stands
    uint8_t reserved0[40];
};

// Its presence asks the installer to register the saver for removal: an
// uninstaller and an Apps & features entry. The texts are UTF-8 whatever the
// header's marker says, each zero-terminated or, when it fills its field, read
// up to the field's width. An empty text is left out of the entry.
struct InstApp {
    uint32_t dwTag;
    uint32_t dwLength;      // 524; longer chunks are allowed, the rest is skipped
    char szPublisher[128];  // "Publisher"
    char szVersion[128];    // "DisplayVersion"
    char szUrl[260];        // "URLInfoAbout": http:// or https://
};

struct InstEnd {
    uint32_t dwTag;
    uint32_t dwLength;
    uint8_t reserved0[4];
    uint32_t dwHeaderDistance;  // E - H (to the trailer's end), XOR kHeaderDistanceMask
    uint32_t dwHeaderCrc;       // CRC-32 of the 1370-byte header record, XOR kHeaderCrcMask
    uint32_t dwStubCheck;       // self-check of bytes 0 .. H-1 (stub_check.h), unmasked
    uint8_t reserved1[32];
};

#pragma pack(pop)

static_assert(sizeof(InstHeader) == 1370, "InstHeader layout");
static_assert(offsetof(InstHeader, dwLength) == 4, "InstHeader layout");
static_assert(offsetof(InstHeader, abTextMarker) == 8, "InstHeader layout");
static_assert(offsetof(InstHeader, crColour) == 16, "InstHeader layout");
static_assert(offsetof(InstHeader, nTimeout) == 20, "InstHeader layout");
static_assert(offsetof(InstHeader, szTitle) == 814, "InstHeader layout");
static_assert(offsetof(InstHeader, szDescription) == 1076, "InstHeader layout");

static_assert(sizeof(InstScr) == 310, "InstScr layout");
static_assert(offsetof(InstScr, szFileName) == 16, "InstScr layout");

static_assert(sizeof(InstDoc) == 48, "InstDoc layout");
static_assert(offsetof(InstDoc, dwSize) == 12, "InstDoc layout");

static_assert(sizeof(InstLogo) == 52, "InstLogo layout");
static_assert(offsetof(InstLogo, dwFormat) == 8, "InstLogo layout");

static_assert(sizeof(InstApp) == 524, "InstApp layout");
static_assert(offsetof(InstApp, szPublisher) == 8, "InstApp layout");
static_assert(offsetof(InstApp, szVersion) == 136, "InstApp layout");
static_assert(offsetof(InstApp, szUrl) == 264, "InstApp layout");

static_assert(sizeof(InstEnd) == 56, "InstEnd layout");
static_assert(offsetof(InstEnd, dwHeaderDistance) == 12, "InstEnd layout");
static_assert(offsetof(InstEnd, dwHeaderCrc) == 16, "InstEnd layout");
static_assert(offsetof(InstEnd, dwStubCheck) == 20, "InstEnd layout");

inline bool HasUtf8Texts(const InstHeader& header)
{
    for (int i = 0; i < 4; ++i) {
        if (header.abTextMarker[i] != kUtf8TextMarker[i])
            return false;
    }
    return true;
}

constexpr uint32_t kHeaderRecordSize = sizeof(InstHeader);
constexpr uint32_t kSaverRecordSize = sizeof(InstScr);
constexpr uint32_t kDocumentRecordSize = sizeof(InstDoc);
constexpr uint32_t kLogoRecordSize = sizeof(InstLogo);
constexpr uint32_t kAppRecordSize = sizeof(InstApp);
constexpr uint32_t kTrailerSize = sizeof(InstEnd);

}  // namespace package
