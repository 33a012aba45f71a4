# Code that ends up in the stub is downloaded by every end user: no exceptions,
# no RTTI, and everything the linker can drop is dropped.
function(saverstub_lean_target target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -ffunction-sections)
  if(WIN32)
    # MinGW's GCC puts zero-initialised variables into .data$name sections when
    # each variable gets its own section: the package records would then be
    # stored in the file as kilobytes of zeros instead of taking room in .bss.
    # The few initialised variables gain nothing from being collected one by one.
    target_compile_options(${target} PRIVATE -fno-data-sections)
    # MinGW's own C99 printf and scanf bring about 40 KB of floating-point
    # formatting; msvcrt's (behind MinGW's C99-conforming snprintf wrapper) do
    # everything the stub needs. libstdc++'s configuration header would switch
    # MinGW's back on, and the stub uses no C++ library header, so keep them out.
    target_compile_options(${target} PRIVATE -nostdinc++)
    # Without exceptions nothing unwinds through our frames; the tables are dead weight.
    target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables)
    target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=0)
  endif()
endfunction()
