#include "run_saverpack.h"

#include "bmp_files.h"
#include "packed_dib.h"
#include "cli.h"

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

std::string Inputs::Logo(int bits, testsupport::Bytes* dib)
{
    bmpfiles::BmpShape contents;
    contents.bitCount = uint16_t(bits);
    contents.width = 13;
    contents.height = 9;
    bmpfiles::BmpFile bmp = bmpfiles::MakeBmp(contents);
    std::string path = dir.Path("logo" + std::to_string(bits) + ".bmp");
    testsupport::WriteFileBytes(path, bmp.file);
    if (dib != nullptr) {
        saverpack::DibFacts facts;
        std::string error;
        EXPECT_TRUE(saverpack::PackedDibFromBmp(bmp.file, dib, &facts, &error)) << error;
    }
    return path;
}

std::vector<std::string> Inputs::BuildArgs() const
{
    return {"build", "--stub", stub, "--saver", saver, "--title", "Flying Things", "--output", output};
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace packertest
