#include "platform/wide_arguments.h"

#include "commands/command_line_texts.h"

#include <windows.h>
#include <shellapi.h>

namespace saverpack {

namespace {

std::string FromWide(const wchar_t* text, UINT codePage)
{
    int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(codePage, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(size_t(size - 1));
    return out;
}

struct LocalArray {
    wchar_t** items;
    ~LocalArray() { LocalFree(items); }
};

}  // namespace

std::vector<std::string> WideCommandLineArguments()
{
    int count = 0;
    LocalArray wide{CommandLineToArgvW(GetCommandLineW(), &count)};
    if (wide.items == nullptr)
        return {};
    // Options are ASCII, which both code pages keep, so the ANSI form tells
    // which arguments are texts.
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(FromWide(wide.items[i], CP_ACP));
    std::vector<bool> texts = TextArguments(args);
    for (int i = 0; i < count; ++i) {
        if (texts[size_t(i)])
            args[size_t(i)] = FromWide(wide.items[i], CP_UTF8);
    }
    return args;
}

}  // namespace saverpack
