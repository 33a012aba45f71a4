#include "actions/message_text.h"

#include "actions/wide_text.h"
#include "package/installer_state.h"
#include "package/languages.h"

namespace actions {

int MessageText(package::MessageId id, WCHAR* out, int capacity, unsigned minutes)
{
    // Titles of headers without the UTF-8 marker are in the system's code page.
    static WCHAR title[sizeof instheader.szTitle + 1];
    FieldToWide(package::HasUtf8Texts(instheader) ? CP_UTF8 : CP_ACP, instheader.szTitle, sizeof instheader.szTitle,
                title, sizeof title / sizeof title[0]);
    return package::LoadMessage(id, minutes, title, out, capacity);
}

int ShowMessageText(HWND owner, package::MessageId id, UINT type)
{
    // Static, as every text buffer of the stub's one thread: the box's own
    // message loop shows no other box.
    static WCHAR caption[kMessageUnits];
    static WCHAR text[kMessageUnits];
    MessageText(package::kMsgCaption, caption, kMessageUnits);
    MessageText(id, text, kMessageUnits);
    if (package::RightToLeft())
        type |= MB_RTLREADING | MB_RIGHT;
    return MessageBoxW(owner, text, caption, type);
}

}  // namespace actions
