#include "package/languages.h"

#include "package/installer_state.h"
#include "package/package_format.h"
#include "package/scoped_handles.h"

#include <string.h>

namespace package {

namespace {

constexpr const char* kEnglish[] = {
#define SAVERSTUB_ENGLISH(id, key, english) english,
    SAVERSTUB_MESSAGES(SAVERSTUB_ENGLISH)
#undef SAVERSTUB_ENGLISH
};

constexpr bool StartsWith(const char* text, const char* part)
{
    while (*part != '\0') {
        if (*text++ != *part++)
            return false;
    }
    return true;
}

constexpr bool Contains(const char* text, const char* part)
{
    for (; *text != '\0'; ++text) {
        if (StartsWith(text, part))
            return true;
    }
    return false;
}

// The texts whose English holds a placeholder are the texts that may hold it:
// in any other text it is shown as it stands.
constexpr uint32_t TextsWith(const char* placeholder)
{
    uint32_t mask = 0;
    for (unsigned id = 0; id < kMessageCount; ++id) {
        if (Contains(kEnglish[id], placeholder))
            mask |= 1u << id;
    }
    return mask;
}

static_assert(kMessageCount <= 32, "a placeholder mask holds every message id");
constexpr uint32_t kTitleTexts = TextsWith("{title}");
constexpr uint32_t kMinutesTexts = TextsWith("{minutes}");
constexpr LANGID kSublanguageOne = 0x0400;
constexpr LANGID kPrimaryMask = 0x03FF;
constexpr LANGID kChinese = 0x04;
constexpr LANGID kSerboCroatian = 0x1A;  // Croatian, Serbian and Bosnian

// What a read past the end gives: zeros enough for a record's length. Longer
// reads are looked at only once the cursor says they were inside.
const uint8_t kNothing[4] = {};

// Reads bytes in order up to an end it never passes. A read that would pass it
// fails the cursor for good and gives zeros, so a walk can read on and look at
// ok() once.
class Cursor {
public:
    Cursor(const uint8_t* at, const uint8_t* end) : at_(at), end_(end) {}

    const uint8_t* Take(uint32_t count)
    {
        if (at_ == nullptr || count > uint32_t(end_ - at_)) {
            at_ = nullptr;
            return kNothing;
        }
        const uint8_t* taken = at_;
        at_ += count;
        return taken;
    }
    // For lengths beyond what Take hands out: steps over them.
    void Skip(uint32_t count)
    {
        if (at_ != nullptr && count <= uint32_t(end_ - at_))
            at_ += count;
        else
            at_ = nullptr;
    }
    unsigned Byte() { return *Take(1); }
    unsigned Word()
    {
        const uint8_t* bytes = Take(2);
        return bytes[0] | bytes[1] << 8;
    }
    const uint8_t* at() const { return at_; }
    bool ok() const { return at_ != nullptr; }

private:
    const uint8_t* at_;  // null once a read failed
    const uint8_t* end_;
};

// One translation's record, its parts located inside it.
struct Language {
    const uint8_t* ids;
    unsigned idCount;
    const uint8_t* plurals;  // the form for each count from 1 to kPluralCounts
    uint8_t flags;
    Cursor texts{nullptr, nullptr};  // the text count, then the texts, to the record's end
};

// Reads the translation at `block`'s position and moves past it. False when a
// length runs past what holds it or a count is out of range.
bool ReadLanguage(Cursor& block, Language* translation)
{
    const uint8_t* length = block.Take(4);
    const uint32_t size = length[0] | length[1] << 8 | length[2] << 16 | uint32_t(length[3]) << 24;
    const uint8_t* start = block.at();
    block.Skip(size);
    if (!block.ok())
        return false;
    Cursor record(start, start + size);
    record.Skip(record.Byte());  // the tag
    translation->flags = uint8_t(record.Byte());
    translation->idCount = record.Byte();
    translation->ids = record.Take(2 * translation->idCount);
    translation->plurals = record.Take(kPluralCounts);
    translation->texts = record;
    if (!record.ok() || translation->idCount - 1 >= kMaxLanguageIds)
        return false;
    for (unsigned i = 0; i < kPluralCounts; ++i) {
        if (translation->plurals[i] > kPluralOther)
            return false;
    }
    return true;
}

// Walks every text of a translation, checking each one's length; the first with
// message `id` in plural `form` goes to *text and *length. False when a text
// runs past its record.
bool LookUpText(Cursor texts, unsigned id, unsigned form, const uint8_t** text, unsigned* length)
{
    for (unsigned count = texts.Word(); count != 0 && texts.ok(); --count) {
        const unsigned textId = texts.Byte();
        const unsigned textForm = texts.Byte();
        const unsigned bytes = texts.Word();
        const uint8_t* at = texts.at();
        texts.Skip(bytes);
        if (bytes > kMaxTextBytes)
            return false;
        if (textId == id && textForm == form && *text == nullptr) {
            *text = at;
            *length = bytes;
        }
    }
    return texts.ok();
}

bool Lists(const Language& translation, LANGID langid)
{
    for (unsigned i = 0; i < translation.idCount; ++i) {
        if ((translation.ids[2 * i] | translation.ids[2 * i + 1] << 8) == langid)
            return true;
    }
    return false;
}

// True when `placeholder` starts at `text`, which has `length` units.
bool PlaceholderAt(const WCHAR* text, int length, const char* placeholder)
{
    for (; *placeholder != '\0'; ++text, ++placeholder) {
        if (length-- == 0 || *text != WCHAR(*placeholder))
            return false;
    }
    return true;
}

}  // namespace

bool SelectLanguage(LANGID langid)
{
    chosenLanguage = 0;
    languageFlags = 0;
    ScopedGlobalLock lock(languages);
    if (lock.data() == nullptr)
        return languages == nullptr;
    const uint8_t* data = static_cast<const uint8_t*>(lock.data());
    Cursor block(data, data + GlobalSize(languages));
    const LANGID primary = langid & kPrimaryMask;
    // Where one primary language holds several, they never stand in for each other.
    const LANGID standIn = primary == kChinese || primary == kSerboCroatian ? langid : primary | kSublanguageOne;
    // The first translation that lists the LANGID itself wins; else the first
    // that lists its stand-in.
    unsigned best = 0;
    bool sound = true;
    for (unsigned count = block.Word(); count != 0 && sound; --count) {
        Language translation;
        const uint8_t* text = nullptr;
        unsigned length = 0;
        sound = ReadLanguage(block, &translation) && LookUpText(translation.texts, kMessageCount, 0, &text, &length);
        const unsigned rank = !sound ? 0 : Lists(translation, langid) ? 2 : Lists(translation, standIn) ? 1 : 0;
        if (rank > best) {
            best = rank;
            chosenLanguage = uint32_t(translation.texts.at() - data);
            languagePlurals = uint32_t(translation.plurals - data);
            languageFlags = translation.flags;
        }
    }
    if (sound && block.ok())
        return true;
    chosenLanguage = 0;
    languageFlags = 0;
    return false;
}

int LoadMessage(MessageId id, unsigned minutes, const WCHAR* title, WCHAR* out, int capacity)
{
    const uint8_t* text = nullptr;
    unsigned length = 0;
    const bool counted = (kMinutesTexts >> id & 1) != 0;
    ScopedGlobalLock lock(chosenLanguage != 0 ? languages : nullptr);
    if (lock.data() != nullptr) {
        // SelectLanguage checked every length on the way here.
        const uint8_t* data = static_cast<const uint8_t*>(lock.data());
        const unsigned form =
            counted && minutes - 1 < kPluralCounts ? data[languagePlurals + minutes - 1] : unsigned(kPluralOther);
        LookUpText(Cursor(data + chosenLanguage, data + GlobalSize(languages)), id, form, &text, &length);
    }
    if (text == nullptr) {
        text = reinterpret_cast<const uint8_t*>(kEnglish[id]);
        length = unsigned(strlen(kEnglish[id]));
    }

    // No text is longer than kMaxTextBytes bytes, and no byte makes more than one
    // unit. Static: the stub has one thread, and a look-up never starts another.
    static WCHAR wide[kMaxTextBytes];
    const int units =
        length == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(text), int(length), wide,
                                              kMaxTextBytes);
    WCHAR digits[10];
    int firstDigit = 10;
    unsigned value = minutes;
    do {
        digits[--firstDigit] = WCHAR('0' + value % 10);
        value /= 10;
    } while (value != 0);
    int titleLength = 0;
    while (title[titleLength] != 0)
        ++titleLength;

    int used = 0;
    for (int i = 0; i < units;) {
        const WCHAR* piece = wide + i;
        int pieceLength = 1;
        if ((kTitleTexts >> id & 1) && PlaceholderAt(piece, units - i, "{title}")) {
            piece = title;
            pieceLength = titleLength;
            i += 6;
        } else if (counted && PlaceholderAt(piece, units - i, "{minutes}")) {
            piece = digits + firstDigit;
            pieceLength = 10 - firstDigit;
            i += 8;
        }
        ++i;
        for (; pieceLength > 0 && used < capacity - 1; --pieceLength)
            out[used++] = *piece++;
    }
    out[used] = 0;
    return used;
}

}  // namespace package
