// Stands in for the saver and for the document viewer in the end-to-end tests:
// it ends at once, after appending one JSON line about its run to
// C:\e2e-probe.log (its own path, its arguments, whether the system flagged a
// saver as running, and the bytes of the file that its first argument names).
// Its own bytes are also what the test installers pack as the saver. A GUI
// program, like a real saver or viewer: a console one would get a console window.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

namespace {

const char kLogPath[] = "C:\\e2e-probe.log";

std::string JsonString(const char* text)
{
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += char(*p);
        } else if (*p < 0x20 || *p >= 0x80) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", *p);
            out += escaped;
        } else {
            out += char(*p);
        }
    }
    return out + "\"";
}

// The file's bytes in hex, or null when it cannot be read.
std::string FileHex(const char* path)
{
    FILE* in = fopen(path, "rb");
    if (in == nullptr)
        return "null";
    std::string out = "\"";
    int c;
    while ((c = fgetc(in)) != EOF) {
        char digits[3];
        snprintf(digits, sizeof digits, "%02x", c);
        out += digits;
    }
    fclose(in);
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv)
{
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);

    std::string line = "{\"self\":" + JsonString(self);
    line += ",\"command\":" + JsonString(GetCommandLineA());
    line += ",\"args\":[";
    for (int i = 1; i < argc; ++i)
        line += (i > 1 ? "," : "") + JsonString(argv[i]);
    line += "]";
    line += ",\"saver_running\":" + std::string(running ? "true" : "false");
    if (argc > 1) {
        char longPath[MAX_PATH] = "";
        GetLongPathNameA(argv[1], longPath, MAX_PATH);
        line += ",\"arg1_long\":" + JsonString(longPath);
        line += ",\"arg1_bytes\":" + FileHex(argv[1]);
    }
    line += "}\n";

    FILE* log = fopen(kLogPath, "ab");
    if (log == nullptr)
        return 3;
    fputs(line.c_str(), log);
    fclose(log);
    return 0;
}
