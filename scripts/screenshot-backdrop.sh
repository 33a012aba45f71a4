#!/usr/bin/env bash
# Makes docs/backdrop.png, the README's picture of the installer's backdrop: runs a
# demo-like installer under Wine on a private Xvfb screen and photographs it.
# usage: scripts/screenshot-backdrop.sh [WIN32_BUILD_DIR] [OUTPUT]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}
output=${2:-docs/backdrop.png}
if [[ ! -f $build/saverstub.exe || ! -f $build/e2e_driver.exe ]]; then
  echo "screenshot-backdrop: build $build first (saverstub and e2e_driver)" >&2
  exit 1
fi
exec python3 tests/e2e/screenshot_backdrop.py --build-dir "$build" --output "$output"
