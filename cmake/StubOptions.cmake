# Code that ends up in the stub is downloaded by every end user: no exceptions,
# no RTTI, and everything the linker can drop is dropped.
function(saverstub_lean_target target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections)
endfunction()
