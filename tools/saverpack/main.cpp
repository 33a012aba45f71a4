// saverpack: makes, checks and unpacks screen-saver installers.
#include "cli.h"

#include <iostream>

#ifdef _WIN32
#include "wide_arguments.h"

#include <string>
#include <vector>
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
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
