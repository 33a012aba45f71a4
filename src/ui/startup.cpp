// The process starts here instead of in the C runtime's start-up code. The stub
// has no static constructors, no atexit handlers and no argv (it reads its one
// command-line string itself), and msvcrt.dll initialises itself; the runtime's
// start-up would only add kilobytes to every download.
#include <windows.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);

extern "C" void WINAPI StubEntry()
{
    char noArguments[] = "";
    ExitProcess(UINT(WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT)));
}
