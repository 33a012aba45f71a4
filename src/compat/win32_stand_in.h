// Native stand-ins for exactly the Win32 calls that the portable code uses, with
// Windows' contracts: Windows integer widths on every host, HFILE_ERROR for a file
// that is not open, a signed 32-bit seek offset, movable memory blocks whose size
// GlobalSize reports. Nothing else of Win32 is imitated here.
#pragma once

#ifdef _WIN32
#error "Windows builds use <windows.h>; include compat/platform.h instead"
#endif

#include <stddef.h>
#include <stdint.h>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int32_t BOOL;
typedef int HFILE;
typedef size_t SIZE_T;
typedef void* LPVOID;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef const char* LPCCH;
// Paths are UTF-16 on both sides; here the stand-ins spell them in UTF-8 for the
// Unix calls.
typedef char16_t WCHAR;
typedef const WCHAR* LPCWSTR;
typedef WCHAR* LPWSTR;
typedef DWORD COLORREF;
typedef uint16_t LANGID;
typedef char16_t WCHAR;  // UTF-16, as Windows' own
typedef struct HWND__* HWND;
typedef struct HGLOBAL__* HGLOBAL;
typedef struct HINSTANCE__* HINSTANCE;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define HFILE_ERROR ((HFILE)-1)
#define OF_READ 0x0000
#define OF_WRITE 0x0001
#define OF_READWRITE 0x0002
#define OF_CREATE 0x1000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040

#define MB_OK 0x00000000
#define MB_ICONINFORMATION 0x00000040
#define IDOK 1

#define CP_UTF8 65001

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_WRITE_THROUGH 0x00000008

// The classic file calls, opened by a UTF-16 path. HFILE is a POSIX descriptor here.
// OF_READ or OF_WRITE open an existing file as _lopen does (OF_WRITE does not
// truncate it); OF_CREATE creates or truncates it for reading and writing, as
// _lcreat with normal attributes does.
HFILE OpenFileW(LPCWSTR path, int style);
UINT _lread(HFILE file, LPVOID buffer, UINT count);
UINT _lwrite(HFILE file, LPCCH buffer, UINT count);  // a count of 0 truncates the file here
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);

// Global memory: a handle names a block that may move when it is resized.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);

// Writes "caption: text" to standard error and tells the observer, if any.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Like Windows, refuses to replace a file that is read-only (no write permission
// bit here, even for root) or a directory.
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR replacement, DWORD flags);

// With unique 0: creates a new empty file "<dir>\<prefix up to 3 chars><hex>.TMP"
// and returns its number, or 0. `name` holds MAX_PATH units.
UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR name);

// Deletes a file (not a directory).
BOOL DeleteFileW(LPCWSTR path);

// UTF-8 only (CP_UTF8), flags 0: a malformed sequence becomes U+FFFD. With
// `capacity` 0 returns the units needed; 0 when they do not fit.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, WCHAR* wide, int capacity);

// The user's display language: 0x0409 unless a test says otherwise.
LANGID GetUserDefaultUILanguage();

namespace compat {

void SetUserDefaultUILanguage(LANGID language);

// Lets tests see every message box the portable code shows.
typedef void (*MessageBoxObserver)(const char* text, const char* caption, UINT type);
void SetMessageBoxObserver(MessageBoxObserver observer);

// Lets tests run out of global memory where they choose: the gate sees the size
// of every GlobalAlloc and GlobalReAlloc before it happens, and a false answer
// fails that call as a machine without the memory would. Null lets all through.
typedef bool (*GlobalMemoryGate)(SIZE_T bytes);
void SetGlobalMemoryGate(GlobalMemoryGate gate);

// How many global blocks are allocated and not yet freed, so that tests can see
// that every path releases what it took.
size_t LiveGlobalBlocks();

}  // namespace compat
