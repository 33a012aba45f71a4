// The saverpack command line as a function, so that tests drive it without
// starting a process (which, under Wine, would cost a second each).
#pragma once

#include <ostream>
#include <string>

namespace saverpack {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a refused input, a failed write, a damaged package
constexpr int kExitUsage = 2;

extern const char kVersionText[];
extern const char kMainUsage[];
extern const char kBuildUsage[];
extern const char kInspectUsage[];
extern const char kExtractUsage[];
extern const char kWingetUsage[];
extern const char kLanguagesUsage[];

// "saverpack: MESSAGE" on `err`; the status of a refusal.
int Fail(std::ostream& err, const std::string& message);

// "saverpack COMMAND: MESSAGE" and the command's usage on `err`; the status of
// wrong usage.
int UsageError(std::ostream& err, const char* command, const std::string& message, const char* usage);

// argv[0] is the program's name, argv[1] the sub-command.
int RunSaverpack(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

int RunBuild(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunInspect(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunExtract(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunWinget(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
int RunLanguages(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace saverpack
