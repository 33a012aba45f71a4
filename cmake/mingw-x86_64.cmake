# A 64-bit build of the same sources, for running the Windows test suites under
# Wine on machines that cannot execute 32-bit programs (so no 32-bit Wine). The
# installers people download are always made from the 32-bit stub.
set(SAVERSTUB_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
