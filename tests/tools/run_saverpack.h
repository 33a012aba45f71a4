// Runs the saverpack command line in-process and captures what it prints; and
// the files a packer test starts from.
#pragma once

#include "images/packed_dib.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <string>
#include <vector>

namespace packertest {

struct RunResult {
    int code;
    std::string out;
    std::string err;
};

RunResult RunSaverpack(const std::vector<std::string>& args);

// A temporary directory holding a stub, a saver, a document and logos of each
// depth, with the paths the tests hand to the packer.
struct Inputs {
    Inputs();

    testsupport::TempDir dir;
    std::string stub, saver, document, output;
    testsupport::Bytes stubBytes, saverBytes, documentBytes;

    // A .bmp of `bits` per pixel (1, 4, 8 or 24), or for 32 a .png with
    // transparent and half-transparent pixels; what the packer stores in *dib.
    std::string Logo(int bits, testsupport::Bytes* dib = nullptr, saverpack::DibFacts* facts = nullptr);

    // The arguments of a plain build of `saver` onto `stub` into `output`,
    // English only: the tests of translations build with them on purpose.
    std::vector<std::string> BuildArgs() const;
};

// A language file for `tag`: the built-in English one with its description
// lines replaced, and the count's text given in `forms` ("one", "few", ...).
std::string LanguageFileText(const std::string& tag, const std::string& langids,
                             const std::vector<std::string>& forms);

// Replaces the line that gives `key` with `line` (an empty line removes it).
std::string ReplaceLine(const std::string& file, const std::string& key, const std::string& line);

bool Contains(const std::string& text, const std::string& part);

// Gives `option` the value `value` in `args`: replaces its value, or adds both.
void Set(std::vector<std::string>& args, const std::string& option, const std::string& value);

}  // namespace packertest
