#!/usr/bin/env bash
# Shared by ./run and ./test: installs the Debian packages that are missing (with sudo
# when not root), then configures a build folder. Usage: setup.sh BUILD_DIR [cmake args]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed" || missing+=("$pkg")
done < "$top/scripts/debian-packages.txt"

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# One test reads and writes numbers under a locale whose decimal separator is ",".
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "Could not make the de_DE.UTF-8 locale"
fi

build_dir=$1; shift
if [[ ! -f "$build_dir/build.ninja" ]]; then
  launcher=()
  # Several checkouts of one machine share compiled objects when ccache is there.
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$top" -B "$build_dir" -G Ninja "${launcher[@]}" "$@"
fi
