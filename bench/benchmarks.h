// The benchmarks of the package code. Each prints a table and one line that
// begins with "SUMMARY", and returns 0 unless it could not be run at all: the
// figures are for people to read, not a test that passes or fails.
#pragma once

#include <string>

namespace bench {

int ExtractionBenchmark();
int MemoryBenchmark();
int ReaderBenchmark();
int SizeReport(const std::string& stubPath);

// The child side of the memory benchmark: extracts one saver and writes this
// process's peak memory before and after to `resultPath`.
int MemoryChild(const std::string& installer, const std::string& offset, const std::string& destination,
                const std::string& resultPath);

}  // namespace bench
