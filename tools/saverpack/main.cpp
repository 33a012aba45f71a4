// saverpack: makes, checks and unpacks screen-saver installers.
#include "commands/cli.h"

#include <iostream>

#ifdef _WIN32
#include "platform/wide_arguments.h"

#include <string>
#include <vector>
#include <windows.h>

namespace {

// saverpack prints UTF-8; a console shows it as such only while its output code
// page says so. The console's own code page is put back at the end.
class Utf8ConsoleOutput {
public:
    Utf8ConsoleOutput() : previous_(GetConsoleOutputCP())
    {
        if (previous_ != 0 && previous_ != CP_UTF8)
            SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8ConsoleOutput()
    {
        std::cout.flush();
        std::cerr.flush();
        if (previous_ != 0 && previous_ != CP_UTF8)
            SetConsoleOutputCP(previous_);
    }
    Utf8ConsoleOutput(const Utf8ConsoleOutput&) = delete;
    Utf8ConsoleOutput& operator=(const Utf8ConsoleOutput&) = delete;

private:
    UINT previous_;  // 0 without a console
};

}  // namespace
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    Utf8ConsoleOutput console;
    std::vector<std::string> args = saverpack::WideCommandLineArguments();
    if (!args.empty()) {
        std::vector<const char*> pointers;
        for (const std::string& arg : args)
            pointers.push_back(arg.c_str());
        return saverpack::RunSaverpack(int(pointers.size()), pointers.data(), std::cout, std::cerr);
    }
#endif
    return saverpack::RunSaverpack(argc, argv, std::cout, std::cerr);
}
