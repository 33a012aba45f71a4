// saverstub_bench [extract] [memory] [reader] [document] [size STUB.EXE]
// [packer STUB.EXE]: runs the chosen benchmarks (extract, memory, reader and
// document when none is named) and prints their figures.
#include "benchmarks.h"

#include <exception>
#include <string>
#include <vector>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    try {
        if (argc == 6 && strcmp(argv[1], "memory-child") == 0)
            return bench::MemoryChild(argv[2], argv[3], argv[4], argv[5]);
        if (argc >= 4 && strcmp(argv[1], "packer-child") == 0)
            return bench::PackerChild(argv[2], std::vector<std::string>(argv + 3, argv + argc));
        bool extract = argc == 1, memory = argc == 1, reader = argc == 1, document = argc == 1;
        const char* stub = nullptr;
        const char* packerStub = nullptr;
        for (int i = 1; i < argc; ++i) {
            if (strcmp(argv[i], "extract") == 0) {
                extract = true;
            } else if (strcmp(argv[i], "memory") == 0) {
                memory = true;
            } else if (strcmp(argv[i], "reader") == 0) {
                reader = true;
            } else if (strcmp(argv[i], "document") == 0) {
                document = true;
            } else if (strcmp(argv[i], "packer") == 0 && i + 1 < argc) {
                packerStub = argv[++i];
            } else if (strcmp(argv[i], "size") == 0 && i + 1 < argc) {
                stub = argv[++i];
            } else {
                fprintf(stderr, "usage: %s [extract] [memory] [reader] [document] [size STUB.EXE] [packer STUB.EXE]\n", argv[0]);
                return 2;
            }
        }
        int status = 0;
        if (extract)
            status |= bench::ExtractionBenchmark();
        if (memory)
            status |= bench::MemoryBenchmark();
        if (reader)
            status |= bench::ReaderBenchmark();
        if (document)
            status |= bench::DocumentBenchmark();
        if (packerStub != nullptr)
            status |= bench::PackerMemoryBenchmark(packerStub);
        if (stub != nullptr)
            status |= bench::SizeReport(stub);
        return status;
    } catch (const std::exception& error) {
        fprintf(stderr, "saverstub_bench: %s\n", error.what());
        return 1;
    }
}
