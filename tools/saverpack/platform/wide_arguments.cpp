#include "platform/wide_arguments.h"

#include "platform/file_util.h"

#include <windows.h>
#include <shellapi.h>

namespace saverpack {

namespace {

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
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
        args.push_back(Utf8Path(wide.items[i]));
    return args;
}

}  // namespace saverpack
