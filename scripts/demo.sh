#!/usr/bin/env bash
# Packs the demo installer, build/demo/DemoSaverSetup.exe, from what `make build`
# made, and shows what the packer's own check says of it. Run from the
# repository root after build/host and build/win32 are built.
set -euo pipefail

# The build directories can be moved aside, for trying the script on other builds.
host=${DEMO_HOST_BUILD:-build/host}
win32=${DEMO_WIN32_BUILD:-build/win32}
output=${DEMO_OUTPUT:-build/demo/DemoSaverSetup.exe}
packer=$host/saverpack
demo_saver=$win32/demo/saver/demosaver.scr

if [[ ! -x $packer ]]; then
  echo "demo: $packer is missing; run 'make build' first" >&2
  exit 1
fi

# The smallest Windows program of the build, for whatever part is not built yet.
smallest_program() {
  find "$win32" -path "$win32/wineprefix" -prune -o -type f -name '*.exe' -printf '%s %p\n' |
    sort -n | head -n 1 | cut -d ' ' -f 2-
}

stub=$win32/saverstub.exe
if [[ ! -f $stub ]]; then
  if [[ -f $demo_saver ]]; then
    stub=$demo_saver
  else
    stub=$(smallest_program)
  fi
  if [[ -z $stub ]]; then
    echo "demo: $win32 holds no Windows program; run 'make build' first" >&2
    exit 1
  fi
  echo "demo: $win32/saverstub.exe is not built yet; $stub stands in as the stub image"
fi

name=()
saver=$demo_saver
if [[ ! -f $saver ]]; then
  saver=$(smallest_program)
  if [[ -z $saver ]]; then
    echo "demo: $win32 holds no Windows program; run 'make build' first" >&2
    exit 1
  fi
  name=(--name DEMO.SCR)
  echo "demo: the demo saver is not built yet; $saver is packed as the saver, named DEMO.SCR"
fi

args=(build --stub "$stub" --saver "$saver" "${name[@]}"
      --title "Demo Saver"
      --description "A screen saver to show what the installer does"
      --colour 2060C0 --timeout 10 --output "$output")
if [[ -f demo/logo.bmp ]]; then
  args+=(--logo demo/logo.bmp)
else
  echo "demo: demo/logo.bmp is missing; the installer has no logo"
fi
if [[ -f demo/readme.rtf ]]; then
  args+=(--document demo/readme.rtf)
else
  echo "demo: demo/readme.rtf is missing; the installer has no document"
fi

mkdir -p "$(dirname "$output")"
"$packer" "${args[@]}"
echo
"$packer" inspect "$output" --verify
