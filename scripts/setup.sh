#!/usr/bin/env bash
# Installs what building, testing and playing need (Debian packages), and the
# decimal-comma locale the scene-block tests run under. Safe to run again.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libbenchmark-dev
  libgd-dev libtinyobjloader-dev libcli11-dev nlohmann-json3-dev libssl-dev
  blender
  clang libclang-rt-14-dev
  locales parallel binutils
  libcpp-httplib-dev chromium
)
if [[ "${PLIX_WINDOWS:-1}" == 1 ]]; then
  packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  echo "setup: installing ${missing[*]}" >&2
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Node.js and npm for the studio page's three.js and its browser tests; a
# Node.js from elsewhere that brings its own npm is kept.
if ! command -v npm >/dev/null 2>&1; then
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  echo "setup: installing nodejs npm" >&2
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi
# three.js (embedded into plix-sandbox's studio) and playwright-core (the
# browser tests), at the versions of web/package-lock.json.
web_dir="$(cd "$(dirname "$0")/../web" && pwd)"
stamp="$web_dir/node_modules/.installed-from-package-lock.json"
if ! cmp -s "$web_dir/package-lock.json" "$stamp" 2>/dev/null; then
  (cd "$web_dir" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$web_dir/package-lock.json" "$stamp"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $sudo_cmd locale-gen >/dev/null
fi
