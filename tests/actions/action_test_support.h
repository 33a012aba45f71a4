// What the Windows tests of the actions share: the probe program and its
// report, process settings that are put back afterwards, the .doc association
// of the test prefix, and a watcher that reads and dismisses message boxes.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

namespace actiontest {

// The environment variable that tells the probe where to write its report.
constexpr char kReportVariable[] = "SAVERSTUB_PROBE_REPORT";

// The probe program, built beside the test program.
std::string ProbePath();

// The probe's "key=value" lines; empty when it wrote no report.
using ProbeReport = std::map<std::string, std::string>;
ProbeReport ReadProbeReport(const std::string& path);

// The names in a directory, sorted, without "." and "..".
std::vector<std::string> ListDirectory(const std::string& path);

// The long form of an existing path, or "" when there is none.
std::string LongPath(const std::string& path);
bool SamePathIgnoringCase(const std::string& a, const std::string& b);

// Sets an environment variable of this process (null removes it) and puts the
// old value back on destruction.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadOld_;
};

// Points TMP and TEMP (which GetTempPath reads) at `directory` meanwhile.
class ScopedTempDirectory {
public:
    explicit ScopedTempDirectory(const std::string& directory);

private:
    ScopedEnvironment tmp_;
    ScopedEnvironment temp_;
};

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& directory);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    char old_[MAX_PATH];
};

// Associates .doc files with `command` (a "shell\open\command" template) in
// HKEY_CLASSES_ROOT, or removes the association when `command` is empty; puts
// back what was there on destruction.
class ScopedDocAssociation {
public:
    explicit ScopedDocAssociation(const std::string& command);
    ~ScopedDocAssociation();
    ScopedDocAssociation(const ScopedDocAssociation&) = delete;
    ScopedDocAssociation& operator=(const ScopedDocAssociation&) = delete;

private:
    std::string oldClass_;
    bool hadClass_;
};

// A global block holding `bytes`, freed on destruction.
class ScopedBlock {
public:
    explicit ScopedBlock(const std::vector<uint8_t>& bytes);
    ~ScopedBlock();
    ScopedBlock(const ScopedBlock&) = delete;
    ScopedBlock& operator=(const ScopedBlock&) = delete;
    HGLOBAL get() const { return block_; }

private:
    HGLOBAL block_;
};

// A visible top-level window that counts the WM_PAINT messages it receives;
// it stands in for the windows the actions repaint. Needs a screen.
class CountingWindow {
public:
    CountingWindow();
    ~CountingWindow();
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND get() const { return window_; }
    int paints() const;

private:
    HWND window_;
};

struct SeenBox {
    std::string caption;
    std::string text;
};

// Watches, on its own thread, for message boxes of this process; reads each
// box's caption and text and presses its OK button.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // Stops watching and returns the boxes seen, in order.
    std::vector<SeenBox> Stop();

private:
    static DWORD WINAPI Run(LPVOID self);

    HANDLE stop_;
    HANDLE thread_;
    std::vector<SeenBox> seen_;
};

}  // namespace actiontest
