# Windows test programs run under Wine, in a private 32-bit prefix that the
# build creates, through a wrapper that keeps Wine's helpers off CTest's pipes.
set(SAVERSTUB_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${PROJECT_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run
  @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

add_custom_command(
  OUTPUT ${SAVERSTUB_WINEPREFIX}/.saverstub-ready
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-wine-prefix.sh ${SAVERSTUB_WINEPREFIX}
  COMMENT "Creating the Wine test prefix")
add_custom_target(wine_prefix ALL DEPENDS ${SAVERSTUB_WINEPREFIX}/.saverstub-ready)
