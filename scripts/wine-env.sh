# Sourced by the scripts that run Wine: sets WINE to the loader for the prefix's
# architecture. WINEARCH=win64 serves the 64-bit build of the tests on machines
# that cannot execute 32-bit programs; Debian's `wine` always takes the 32-bit
# loader when it is installed, so the 64-bit one is named directly.
export WINEARCH=${WINEARCH:-win32}
if [[ $WINEARCH == win64 ]]; then
  WINE=/usr/lib/wine/wine64
  export WINELOADER=$WINE
else
  WINE=wine
fi
