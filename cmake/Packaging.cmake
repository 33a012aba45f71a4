# How saverpack reaches its users.
# Included before the targets are defined (tools/saverpack installs the packer
# itself), so that the tests know these names.
#  - Natively: `cmake --install` puts bin/saverpack, share/saverpack/saverstub.exe
#    (where the packer looks for its stub) and share/doc/saverpack/README.md under
#    the prefix. The stub is a Windows program, made by the win32 build; this
#    build only copies it, from SAVERPACK_STUB_FILE.
#  - In a Windows build: dist/saverpack-VERSION-win32.zip (win64 in a 64-bit build)
#    holds one folder with saverpack.exe, saverstub.exe beside it and README.md,
#    so that an author on Windows unzips it and packs with no --stub.
include(GNUInstallDirs)

if(NOT WIN32)
  set(SAVERPACK_STUB_FILE ${PROJECT_SOURCE_DIR}/build/win32/saverstub.exe CACHE FILEPATH
    "The installer stub that `cmake --install` puts beside saverpack (built by the win32 preset)")

  # Checked when installing rather than when configuring: the two builds are
  # configured in either order, and the stub need not exist until it is copied.
  install(CODE "
    if(NOT EXISTS \"${SAVERPACK_STUB_FILE}\")
      message(FATAL_ERROR \"the installer stub ${SAVERPACK_STUB_FILE} is not built: build the win32 preset first (make install does), or set SAVERPACK_STUB_FILE\")
    endif()")
  install(FILES ${SAVERPACK_STUB_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/saverpack)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/saverpack)
  return()
endif()

set(SAVERPACK_DIST_NAME saverpack-${PROJECT_VERSION})
set(SAVERPACK_DIST_ZIP ${CMAKE_BINARY_DIR}/dist/${SAVERPACK_DIST_NAME}-${SAVERSTUB_WINEARCH}.zip)
find_program(SAVERSTUB_PYTHON NAMES python3 REQUIRED)

# CMake's own zip writer (`cmake -E tar --format=zip`) records the files' access
# and change times and their owner's ids, which no option turns off; this script
# writes the entries in a fixed order with one fixed time and fixed attributes.
add_custom_command(
  OUTPUT ${SAVERPACK_DIST_ZIP}
  COMMAND ${SAVERSTUB_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/make_zip.py
          --output ${SAVERPACK_DIST_ZIP} --folder ${SAVERPACK_DIST_NAME} --repository ${PROJECT_SOURCE_DIR}
          $<TARGET_FILE:saverpack> $<TARGET_FILE:saverstub> ${PROJECT_SOURCE_DIR}/README.md
  DEPENDS saverpack saverstub ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/scripts/make_zip.py
  COMMENT "Zipping ${SAVERPACK_DIST_NAME} for Windows")
# Part of every build: it costs a fraction of a second, and the test of the zip
# needs it.
add_custom_target(dist ALL DEPENDS ${SAVERPACK_DIST_ZIP})
