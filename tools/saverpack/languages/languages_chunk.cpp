#include "languages/languages_chunk.h"

namespace saverpack {

using namespace package;

namespace {

void PutU8(std::vector<uint8_t>* out, unsigned value)
{
    out->push_back(uint8_t(value));
}

void PutU16(std::vector<uint8_t>* out, unsigned value)
{
    out->push_back(uint8_t(value));
    out->push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>* out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

// Reads within [pos, end) only; any read past it fails and stays failed.
class Cursor {
public:
    Cursor(const std::vector<uint8_t>& bytes, size_t pos, size_t end) : bytes_(bytes), pos_(pos), end_(end) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t left() const { return ok_ ? end_ - pos_ : 0; }

    unsigned U8() { return unsigned(Take(1)); }
    unsigned U16() { return unsigned(Take(2)); }
    uint32_t U32() { return uint32_t(Take(4)); }
    std::string Bytes(size_t count)
    {
        if (!ok_ || count > end_ - pos_) {
            ok_ = false;
            return std::string();
        }
        pos_ += count;
        return std::string(bytes_.begin() + long(pos_ - count), bytes_.begin() + long(pos_));
    }

private:
    uint64_t Take(size_t count)
    {
        if (!ok_ || count > end_ - pos_) {
            ok_ = false;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < count; ++i)
            value |= uint64_t(bytes_[pos_ + i]) << (8 * i);
        pos_ += count;
        return value;
    }

    const std::vector<uint8_t>& bytes_;
    size_t pos_, end_;
    bool ok_ = true;
};

}  // namespace

std::vector<uint8_t> EncodeLanguages(const std::vector<Language>& languages)
{
    std::vector<uint8_t> out;
    PutU16(&out, unsigned(languages.size()));
    for (const Language& language : languages) {
        std::vector<uint8_t> record;
        PutU8(&record, unsigned(language.tag.size()));
        record.insert(record.end(), language.tag.begin(), language.tag.end());
        PutU8(&record, language.rightToLeft ? kLanguageRightToLeft : 0);
        PutU8(&record, unsigned(language.langids.size()));
        for (uint16_t langid : language.langids)
            PutU16(&record, langid);
        record.insert(record.end(), language.plurals.begin(), language.plurals.end());
        PutU16(&record, unsigned(language.texts.size()));
        for (const LanguageText& text : language.texts) {
            PutU8(&record, text.id);
            PutU8(&record, text.form);
            PutU16(&record, unsigned(text.text.size()));
            record.insert(record.end(), text.text.begin(), text.text.end());
        }
        PutU32(&out, uint32_t(record.size()));
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

bool DecodeLanguages(const std::vector<uint8_t>& content, std::vector<Language>* languages, std::string* problem)
{
    languages->clear();
    Cursor all(content, 0, content.size());
    unsigned count = all.U16();
    for (unsigned i = 0; all.ok() && i < count; ++i) {
        std::string at = "language " + std::to_string(i + 1) + " of " + std::to_string(count);
        uint32_t length = all.U32();
        if (!all.ok() || length > all.left()) {
            *problem = at + " runs past the end of the chunk";
            return false;
        }
        Cursor record(content, all.pos(), all.pos() + length);
        all.Bytes(length);
        Language language;
        language.tag = record.Bytes(record.U8());
        language.rightToLeft = (record.U8() & kLanguageRightToLeft) != 0;
        unsigned ids = record.U8();
        if (record.ok() && (ids == 0 || ids > kMaxLanguageIds)) {
            *problem = at + " lists " + std::to_string(ids) + " LANGIDs; 1 to " + std::to_string(kMaxLanguageIds) +
                       " may be listed";
            return false;
        }
        for (unsigned k = 0; k < ids; ++k)
            language.langids.push_back(uint16_t(record.U16()));
        std::string table = record.Bytes(kPluralCounts);
        for (size_t k = 0; k < table.size(); ++k)
            language.plurals[k] = uint8_t(table[k]);
        unsigned texts = record.U16();
        for (unsigned k = 0; record.ok() && k < texts; ++k) {
            LanguageText text;
            text.id = MessageId(record.U8());
            text.form = PluralForm(record.U8());
            text.text = record.Bytes(record.U16());
            language.texts.push_back(text);
        }
        if (!record.ok()) {
            *problem = at + " (\"" + language.tag + "\") runs past the end of its record";
            return false;
        }
        languages->push_back(language);
    }
    if (!all.ok()) {
        *problem = "the chunk ends before its language count";
        return false;
    }
    return true;
}

std::string DescribeLanguages(const std::vector<uint8_t>& content)
{
    std::string text = "en (built in)";
    std::vector<Language> languages;
    std::string problem;
    if (!content.empty() && !DecodeLanguages(content, &languages, &problem))
        return text + ", and a damaged translations chunk: " + problem;
    for (const Language& language : languages)
        text += ", " + language.tag + (SameTag(language.tag, "en") ? " (from the package)" : "");
    return text;
}

}  // namespace saverpack
