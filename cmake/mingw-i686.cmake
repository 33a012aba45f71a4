# Cross-compiling the stub for 32-bit Windows with Debian's MinGW-w64.
set(SAVERSTUB_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
