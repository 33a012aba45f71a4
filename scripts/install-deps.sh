#!/usr/bin/env bash
# Installs, once, every Debian package the build, the tests, the demo and the
# benchmarks need. Safe to run again: it only touches apt when something is missing.
set -euo pipefail

packages=(
  cmake make g++ zlib1g-dev googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev
  wine wine32:i386
  # For machines that cannot execute 32-bit programs: the Windows suites then run
  # in a 64-bit build under 64-bit Wine.
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  xvfb x11-utils imagemagick
  python3
  osslsigncode openssl
  # The silent-install benchmark measures the stub against an NSIS installer.
  nsis
  libstb-dev
  # SHA-256 for the native packer.
  libssl-dev
  # The winget manifest's test reads the YAML back with a real parser.
  python3-yaml
  # The installer's resources (its icon, its version information) are read back
  # with well-kept readers of PE files and icons, not by hand.
  python3-pefile icoutils
  # Wine takes the display language from the Unix locale; the language tests
  # run the installer under the locales below.
  locales
)
locales=(en_US.UTF-8 de_AT.UTF-8 de_DE.UTF-8 ar_SA.UTF-8 he_IL.UTF-8)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

# A locale that is not generated is not an error anywhere: Wine silently falls
# back to English. So each one is looked for ("de_AT.utf8" in `locale -a`).
missing_locales=()
generated=$(locale -a 2>/dev/null || true)
for l in "${locales[@]}"; do
  grep -qix "${l%.UTF-8}.utf8" <<<"$generated" || missing_locales+=("$l")
done

if ((${#missing[@]} == 0 && ${#missing_locales[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: missing locales: ${missing_locales[*]}" >&2
  echo "install-deps: run this script as root (or install them yourself)" >&2
  exit 1
fi

if ((${#missing[@]} != 0)); then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ((${#missing_locales[@]} != 0)); then
  echo "install-deps: generating ${missing_locales[*]}"
  for l in "${missing_locales[@]}"; do
    # Debian lists every locale commented out; enable it, or add it.
    sed -i "s/^# *\($l UTF-8\)\$/\1/" /etc/locale.gen
    grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" >>/etc/locale.gen
  done
  locale-gen
fi
