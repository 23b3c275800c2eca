#!/usr/bin/env bash
# Installs what the project needs (Debian packages, the studio's npm packages,
# the decimal-comma locale the scene-block tests run under), by purpose:
#   setup.sh play     building the module and plix-sandbox, and playing scenes
#   setup.sh studio   that, and the studio (cpp-httplib, Node.js, three.js)
#   setup.sh [test]   everything the tests use: also GoogleTest, Google Benchmark,
#                     clang's fuzzer, Blender, Chromium, GNU parallel, and (unless
#                     PLIX_WINDOWS=0) the mingw-w64 cross-compiler and wine
# Safe to run again: what is there is kept.
set -euo pipefail

purpose=${1:-test}
case "$purpose" in
  play | studio | test) ;;
  -h | --help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) echo "setup: unknown purpose '$purpose' (play, studio or test)" >&2; exit 2 ;;
esac

packages=(cmake make g++ pkg-config libgd-dev libtinyobjloader-dev libcli11-dev nlohmann-json3-dev libssl-dev)
if [[ "$purpose" != play ]]; then
  packages+=(libcpp-httplib-dev)
fi
if [[ "$purpose" == test ]]; then
  packages+=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev locales parallel binutils blender chromium)
  if [[ "${PLIX_WINDOWS:-1}" == 1 ]]; then
    packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64)
  fi
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

[[ "$purpose" == play ]] && exit 0

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

[[ "$purpose" == studio ]] && exit 0

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  $sudo_cmd sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $sudo_cmd locale-gen >/dev/null
fi
