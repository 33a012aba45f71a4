#include "run_saverpack.h"

#include "bmp_files.h"
#include "commands/cli.h"
#include "images/dib_encode.h"
#include "languages/builtin_languages.h"
#include "png_files.h"

#include <gtest/gtest.h>
#include <sstream>

namespace packertest {

RunResult RunSaverpack(const std::vector<std::string>& args)
{
    std::vector<const char*> argv{"saverpack"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    int code = saverpack::RunSaverpack(int(argv.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
}

Inputs::Inputs()
    : stub(dir.Path("stub.exe")),
      saver(dir.Path("flying.scr")),
      document(dir.Path("readme.rtf")),
      output(dir.Path("setup.exe")),
      stubBytes(testsupport::RandomBytes(6000, 11)),
      saverBytes(testsupport::RandomBytes(30000, 12)),
      documentBytes(testsupport::CompressibleBytes(4000))
{
    testsupport::WriteFileBytes(stub, stubBytes);
    testsupport::WriteFileBytes(saver, saverBytes);
    testsupport::WriteFileBytes(document, documentBytes);
}

std::string Inputs::Logo(int bits, testsupport::Bytes* dib, saverpack::DibFacts* facts)
{
    testsupport::Bytes file;
    std::string path;
    if (bits == 32) {
        pngfiles::PngShape png;
        png.width = 13;
        png.height = 9;
        png.colourType = pngfiles::kRgba;
        for (int i = 0; i < 13 * 9; ++i)
            png.samples.insert(png.samples.end(), {uint16_t(i), 200, 30, uint16_t(i % 3 * 127)});
        file = pngfiles::MakePng(png);
        path = dir.Path("logo.png");
    } else {
        bmpfiles::BmpShape contents;
        contents.bitCount = uint16_t(bits);
        contents.width = 13;
        contents.height = 9;
        file = bmpfiles::MakeBmp(contents).file;
        path = dir.Path("logo" + std::to_string(bits) + ".bmp");
    }
    testsupport::WriteFileBytes(path, file);
    testsupport::Bytes stored;
    saverpack::DibFacts storedFacts;
    std::string error;
    EXPECT_TRUE(saverpack::LogoDibFromFile(file, &stored, &storedFacts, &error)) << error;
    if (dib != nullptr)
        *dib = stored;
    if (facts != nullptr)
        *facts = storedFacts;
    return path;
}

std::vector<std::string> Inputs::BuildArgs() const
{
    return {"build", "--stub", stub, "--saver", saver, "--title", "Flying Things", "--languages", "none",
            "--output", output};
}

std::string ReplaceLine(const std::string& file, const std::string& key, const std::string& line)
{
    size_t start = file.find("\n" + key + " = ");
    EXPECT_NE(start, std::string::npos) << key;
    if (start == std::string::npos)
        return file;
    size_t end = file.find('\n', start + 1);
    return file.substr(0, start + 1) + line + file.substr(end);
}

std::string LanguageFileText(const std::string& tag, const std::string& langids, const std::vector<std::string>& forms)
{
    const saverpack::BuiltInLanguageFile* english = saverpack::FindBuiltInLanguage("en");
    std::string file(english->bytes, english->size);
    file = ReplaceLine(file, "language", "language = " + tag);
    file = ReplaceLine(file, "langids", "langids = " + langids);
    file = ReplaceLine(file, "active[other]", "");
    std::string active;
    for (const std::string& form : forms)
        active += (active.empty() ? "" : "\n") + ("active[" + form + "] = " + form + ": {minutes}");
    return ReplaceLine(file, "active[one]", active);
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void Set(std::vector<std::string>& args, const std::string& option, const std::string& value)
{
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == option) {
            args[i + 1] = value;
            return;
        }
    }
    args.insert(args.end(), {option, value});
}

}  // namespace packertest
