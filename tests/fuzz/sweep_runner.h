// Runs the reader and, when it accepts, extraction over one variant of an
// installer after another, and collects every way the pair misbehaves: a result
// other than 0 or 1, an accepted installer whose saver comes out different from
// what zlib makes of it, a failed extraction that leaves a file behind.
#pragma once

#include "support/package_builder.h"
#include "support/temp_dir.h"

#include <set>
#include <stdint.h>
#include <string>
#include <vector>

namespace fuzzsupport {

using testsupport::Bytes;

class SweepRunner {
public:
    // The reader's result for `installer`; what went wrong is kept for Violations().
    int Run(const Bytes& installer, const std::string& what);
    // The same, where the reader's result is known: 0 or 1, or kEither.
    void Expect(const Bytes& installer, int expected, const std::string& what);
    static constexpr int kEither = -1;

    const std::vector<std::string>& Violations() const { return violations_; }
    // The first few violations and their count, for a failure message.
    std::string Report() const;

    size_t runs() const { return runs_; }
    size_t accepted() const { return accepted_; }
    size_t extractions() const { return extractions_; }

private:
    void WriteInstaller(const Bytes& installer);
    void Extract(const Bytes& installer, uint32_t offset, const std::string& what);
    void Violation(const std::string& what, const std::string& detail);

    testsupport::TempDir dir_;
    std::string exe_ = dir_.Path("setup.exe");
    std::string saver_ = dir_.Path("MYSAVER.SCR");
    // Variants whose saver chunk extraction has already seen need no second run.
    std::set<Bytes> extracted_;
    // What the installer file holds now. Variants mostly differ in a byte or two,
    // and rewriting only those keeps the sweeps off the disk: a file truncated
    // and written again is flushed on close by some file systems.
    Bytes written_;
    bool fileExists_ = false;
    std::vector<std::string> violations_;
    size_t runs_ = 0;
    size_t accepted_ = 0;
    size_t extractions_ = 0;
};

// Resets the globals the reader fills to what start-up leaves before it runs.
void ResetReader();

}  // namespace fuzzsupport
