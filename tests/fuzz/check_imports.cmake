# Fails unless every DLL that IMAGE imports at load time is one Windows always
# takes from its system directory (a "known DLL"). Any other name is searched for
# first in the program's own folder, and an installer is run from a downloads
# folder where anyone may have left a DLL of that name.
#   cmake -DOBJDUMP=i686-w64-mingw32-objdump -DIMAGE=saverstub.exe -P check_imports.cmake
cmake_minimum_required(VERSION 3.24)

# Known DLLs on every Windows the stub runs on, and ntdll, which is loaded first.
set(system_dlls
  ADVAPI32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL NTDLL.DLL OLE32.DLL
  OLEAUT32.DLL RPCRT4.DLL SHELL32.DLL SHLWAPI.DLL USER32.DLL)

if(NOT EXISTS "${IMAGE}")
  message(FATAL_ERROR "${IMAGE} does not exist")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${IMAGE}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${IMAGE}: ${errors}")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "no import table found in ${IMAGE}")
endif()
set(offenders "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOUPPER "${dll}" upper)
  message(STATUS "imports ${dll}")
  if(NOT upper IN_LIST system_dlls)
    message("${IMAGE} imports ${upper}, which Windows may load from the installer's folder")
    list(APPEND offenders ${dll})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "load these at run time from the system directory instead: ${offenders}")
endif()
