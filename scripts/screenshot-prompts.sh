#!/usr/bin/env bash
# Makes docs/install-prompt.png and docs/done-prompt.png, the README's pictures of
# the installer's two prompts over its backdrop: runs a demo-like installer under
# Wine on a private Xvfb screen, photographs the install prompt, installs with the
# proposed settings and photographs the done prompt.
# usage: scripts/screenshot-prompts.sh [WIN32_BUILD_DIR] [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}
output=${2:-docs}
if [[ ! -f $build/saverstub.exe || ! -f $build/e2e_driver.exe ]]; then
  echo "screenshot-prompts: build $build first (saverstub and e2e_driver)" >&2
  exit 1
fi
exec python3 tests/e2e/screenshot_prompts.py --build-dir "$build" --output-dir "$output"
