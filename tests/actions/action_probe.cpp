// Stands in for the programs the actions start (the previewed saver, the
// document viewer). It writes what it received into the file named by the
// environment variable SAVERSTUB_PROBE_REPORT, one "key=value" per line, and
// copies the file named by its argument, if any, to that name plus ".copy".
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv)
{
    const char* report = getenv("SAVERSTUB_PROBE_REPORT");
    if (report == nullptr)
        return 2;
    FILE* out = fopen(report, "wb");
    if (out == nullptr)
        return 3;

    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char selfLong[MAX_PATH] = "";
    GetLongPathNameA(self, selfLong, MAX_PATH);
    BOOL running = FALSE;
    SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    STARTUPINFOA startup = {};
    GetStartupInfoA(&startup);

    fprintf(out, "command=%s\n", GetCommandLineA());
    fprintf(out, "argc=%d\n", argc);
    char programLong[MAX_PATH] = "";
    GetLongPathNameA(argv[0], programLong, MAX_PATH);
    fprintf(out, "arg0_long=%s\n", programLong);
    fprintf(out, "arg1=%s\n", argc > 1 ? argv[1] : "");
    fprintf(out, "self=%s\n", self);
    fprintf(out, "self_long=%s\n", selfLong);
    fprintf(out, "self_exists=%d\n", GetFileAttributesA(self) != INVALID_FILE_ATTRIBUTES ? 1 : 0);
    fprintf(out, "saver_running=%d\n", running ? 1 : 0);
    fprintf(out, "startup_flags=%lu\n", startup.dwFlags);
    fprintf(out, "show_window=%u\n", startup.wShowWindow);

    if (argc > 1 && strcmp(argv[1], "/S") != 0) {
        char argLong[MAX_PATH] = "";
        GetLongPathNameA(argv[1], argLong, MAX_PATH);
        fprintf(out, "arg1_long=%s\n", argLong);
        char copyName[MAX_PATH + 8];
        snprintf(copyName, sizeof copyName, "%s.copy", report);
        FILE* in = fopen(argv[1], "rb");
        FILE* copy = fopen(copyName, "wb");
        if (in != nullptr && copy != nullptr) {
            char buffer[4096];
            size_t count;
            while ((count = fread(buffer, 1, sizeof buffer, in)) > 0)
                fwrite(buffer, 1, count, copy);
        }
        if (in != nullptr)
            fclose(in);
        if (copy != nullptr)
            fclose(copy);
    }
    fprintf(out, "end=1\n");
    fclose(out);
    return 0;
}
