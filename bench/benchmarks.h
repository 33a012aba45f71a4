// The benchmarks of the package code. Each prints a table and one line that
// begins with "SUMMARY", and returns 0 unless it could not be run at all: the
// figures are for people to read, not a test that passes or fails.
#pragma once

#include <string>
#include <vector>

namespace bench {

int ExtractionBenchmark();
int MemoryBenchmark();
int ReaderBenchmark();
int DocumentBenchmark();
int SizeReport(const std::string& stubPath);
// saverpack's commands; `stubPath` is the stub the installers are built on.
int PackerMemoryBenchmark(const std::string& stubPath);

// The child side of the memory benchmark: extracts one saver and writes this
// process's peak memory before and after to `resultPath`.
int MemoryChild(const std::string& installer, const std::string& offset, const std::string& destination,
                const std::string& resultPath);

// The child side of the saverpack benchmark: runs one saverpack command line and
// writes this process's peak memory before and after to `resultPath`.
int PackerChild(const std::string& resultPath, const std::vector<std::string>& command);

}  // namespace bench
