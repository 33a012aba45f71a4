#include "commands/command_line_texts.h"

namespace saverpack {

namespace {

const char* const kTextOptions[] = {"--title", "--description", "--publisher",     "--version",   "--url",
                                    "--id",    "--copyright",   "--installer-url", "--license"};

}  // namespace

std::vector<bool> TextArguments(const std::vector<std::string>& args)
{
    std::vector<bool> texts(args.size(), false);
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            break;
        for (const char* option : kTextOptions) {
            const std::string name = option;
            if (arg == name && i + 1 < args.size()) {
                texts[++i] = true;
                break;
            }
            if (arg.compare(0, name.size() + 1, name + "=") == 0) {
                texts[i] = true;
                break;
            }
        }
    }
    return texts;
}

}  // namespace saverpack
