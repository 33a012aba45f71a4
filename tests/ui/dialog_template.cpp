// The standard dialog template: a fixed header, then menu, class and caption
// (each an ordinal or a zero-terminated UTF-16 string), the font when DS_SETFONT
// is set, and the items, each starting on a 4-byte boundary of the template.
#include "ui/dialog_template.h"

#include <stdio.h>

namespace uitest {

namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT

const char* PredefinedClass(uint16_t ordinal)
{
    switch (ordinal) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
    }
    return nullptr;
}

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    uint16_t U16()
    {
        if (!Need(2))
            return 0;
        uint16_t value = uint16_t(bytes_[at_] | bytes_[at_ + 1] << 8);
        at_ += 2;
        return value;
    }

    uint32_t U32()
    {
        uint32_t low = U16();
        return low | uint32_t(U16()) << 16;
    }

    int16_t S16() { return int16_t(U16()); }

    std::string String()
    {
        std::string out;
        for (uint16_t c = U16(); ok_ && c != 0; c = U16())
            out += c < 0x80 ? char(c) : '?';
        return out;
    }

    // An ordinal (0xFFFF and a number) or a string; 0x0000 alone is "none".
    std::string StringOrOrdinal(bool isClass)
    {
        size_t start = at_;
        uint16_t first = U16();
        if (!ok_ || first == 0)
            return std::string();
        if (first == 0xFFFF) {
            uint16_t ordinal = U16();
            const char* name = isClass ? PredefinedClass(ordinal) : nullptr;
            if (name != nullptr)
                return name;
            char text[16];
            snprintf(text, sizeof text, "#%u", ordinal);
            return text;
        }
        at_ = start;
        return String();
    }

    void AlignTo4() { at_ = (at_ + 3) & ~size_t(3); }

    void Fail(const std::string& why)
    {
        if (ok_)
            error_ = why;
        ok_ = false;
    }

private:
    bool Need(size_t count)
    {
        if (ok_ && at_ + count <= bytes_.size())
            return true;
        Fail("the template ends early");
        return false;
    }

    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
    std::string error_;
};

}  // namespace

bool ParseDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplate* dialog, std::string* error)
{
    Reader in(bytes);
    *dialog = DialogTemplate();
    dialog->style = in.U32();
    if (in.ok() && (dialog->style & 0xFFFF0000u) == 0xFFFF0000u && (dialog->style & 0xFFFF) == 1)
        in.Fail("an extended template");
    dialog->exStyle = in.U32();
    uint16_t count = in.U16();
    dialog->x = in.S16();
    dialog->y = in.S16();
    dialog->cx = in.S16();
    dialog->cy = in.S16();
    dialog->menu = in.StringOrOrdinal(false);
    dialog->className = in.StringOrOrdinal(true);
    dialog->caption = in.String();
    if (dialog->style & kSetFont) {
        dialog->pointSize = in.U16();
        dialog->face = in.String();
    }
    for (uint16_t i = 0; i < count && in.ok(); ++i) {
        in.AlignTo4();
        DialogItem item;
        item.style = in.U32();
        item.exStyle = in.U32();
        item.x = in.S16();
        item.y = in.S16();
        item.cx = in.S16();
        item.cy = in.S16();
        item.id = in.U16();
        item.className = in.StringOrOrdinal(true);
        item.text = in.StringOrOrdinal(false);
        item.creationDataSize = in.U16();
        for (uint16_t skip = 0; skip < item.creationDataSize && in.ok(); skip += 2)
            in.U16();
        dialog->items.push_back(item);
    }
    if (!in.ok()) {
        *error = in.error();
        return false;
    }
    return true;
}

}  // namespace uitest
