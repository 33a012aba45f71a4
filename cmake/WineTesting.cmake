# Windows test programs run under Wine, in a private prefix of the build's
# architecture that the build creates, through a wrapper that keeps Wine's
# helpers off CTest's pipes.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SAVERSTUB_WINEARCH win32)
else()
  set(SAVERSTUB_WINEARCH win64)
endif()
set(SAVERSTUB_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_custom_command(
  OUTPUT ${SAVERSTUB_WINEPREFIX}/.saverstub-ready
  COMMAND ${CMAKE_COMMAND} -E env WINEARCH=${SAVERSTUB_WINEARCH}
          ${PROJECT_SOURCE_DIR}/scripts/make-wine-prefix.sh ${SAVERSTUB_WINEPREFIX}
  COMMENT "Creating the Wine test prefix")
add_custom_target(wine_prefix ALL DEPENDS ${SAVERSTUB_WINEPREFIX}/.saverstub-ready)
