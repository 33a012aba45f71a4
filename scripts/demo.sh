#!/usr/bin/env bash
# Packs the demo installer, build/demo/DemoSaverSetup.exe, from what `make build`
# made, shows what the packer's own check says of it, and runs it under Wine in
# a prefix of its own, build/demo/wineprefix (never the user's ~/.wine):
#  - with a DISPLAY, on that screen, for the user to click through;
#  - without one, on a private Xvfb screen, where scripts/demo_walkthrough.py
#    goes through every step and leaves a screenshot of each in build/demo/.
# Run from the repository root after build/host and build/win32 are built.
# DEMO_PACK_ONLY=1 stops after packing.
set -euo pipefail

# The build directories can be moved aside, for trying the script on other builds.
host=${DEMO_HOST_BUILD:-build/host}
win32=${DEMO_WIN32_BUILD:-build/win32}
output=${DEMO_OUTPUT:-build/demo/DemoSaverSetup.exe}
packer=$host/saverpack
demo_saver=$win32/demo/saver/demosaver.scr

stub=$win32/saverstub.exe
for built in "$packer" "$stub" "$demo_saver"; do
  if [[ ! -f $built ]]; then
    echo "demo: $built is missing; run 'make demo', which builds it first" >&2
    exit 1
  fi
done

# The title, the publisher, the version and the icon come from the saver itself
# (its string 1, its version information and its icon).
args=(build --stub "$stub" --saver "$demo_saver"
      --description "A screen saver to show what the installer does"
      --colour 2060C0 --timeout 10 --copyright "Public domain"
      --url https://example.com/demosaver --output "$output")
if [[ -f demo/logo.png ]]; then
  args+=(--logo demo/logo.png)
else
  echo "demo: demo/logo.png is missing; the installer has no logo"
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
echo
# What would publish it with winget, were it downloadable from that address.
"$packer" winget "$output" --id Saverstub.DemoSaver --license Freeware --force \
    --installer-url https://example.com/download/DemoSaverSetup.exe --output "$(dirname "$output")/manifests"

[[ ${DEMO_PACK_ONLY:-} == 1 ]] && exit 0

demo_dir=$(dirname "$output")
# Wine takes only an absolute prefix.
prefix=$(realpath -m "$demo_dir/wineprefix")
walkthrough=(python3 scripts/demo_walkthrough.py)
echo

if [[ -z ${DISPLAY:-} ]]; then
  if [[ ! -f $win32/saverstub.exe || ! -f $win32/e2e_driver.exe ]]; then
    echo "demo: the walkthrough needs $win32/saverstub.exe and $win32/e2e_driver.exe; run 'make build' first" >&2
    exit 1
  fi
  exec "${walkthrough[@]}" walk --build-dir "$win32" --installer "$output" --packer "$packer"
fi

# On the user's screen. The prefix is made while DISPLAY is set: a prefix whose
# server started without a screen never shows windows on one later.
# SAVERSTUB_WINEARCH=win64 runs the 64-bit build, on machines that cannot run 32-bit programs.
export WINEPREFIX=$prefix WINEARCH=${SAVERSTUB_WINEARCH:-win32} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine-env.sh
stop_wine() {
  timeout 20 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null || true
}
echo "Running $output on $DISPLAY, Wine prefix $prefix"
[[ -f $prefix/.saverstub-ready ]] || echo "(making the prefix first: this takes a little while, once)"
scripts/make-wine-prefix.sh "$prefix"
# A server left from a run on another screen would keep that screen.
wineserver -k 2>/dev/null || true
# A fresh prefix opens no program for .DOC files; Windows without a word
# processor of its own opens them with WordPad, as the prefix does for .RTF.
"$WINE" reg add 'HKCR\.doc' /ve /d rtffile /f </dev/null >/dev/null 2>&1 ||
  echo "demo: .DOC files could not be given to WordPad; the installer will skip its document"
trap 'wineserver -k 2>/dev/null; exit 130' INT TERM
status=0
# The user takes as long as the user likes: no time limit on this one.
"$WINE" "$output" </dev/null >"$demo_dir/wine.log" 2>&1 || status=$?
trap - INT TERM
stop_wine
# The shell sees the low 8 bits of the status: 66 is 1602, Cancel.
case $status in
  0) meaning="installed" ;;
  66) meaning="1602: cancelled" ;;
  *) meaning="not installed" ;;
esac
echo "The installer ended with exit status $status ($meaning)"
echo
# What the user chose decides what there is to see (Cancel installs nothing), so
# the report's findings do not decide the demo's status; the installer's does.
"${walkthrough[@]}" report --prefix "$prefix" --installer "$output" --packer "$packer" || true
if [[ $status != 0 && $status != 66 ]]; then
  echo "demo: the installer ended with $status: it did not finish as it should (see $demo_dir/wine.log)" >&2
  exit 1
fi
