#!/usr/bin/env bash
# Windows build of plix6.p and plix-sandbox, cross-compiled with mingw-w64 and
# checked under wine against the Linux build:
#
#   1. cross-build (cmake/mingw-w64-x86_64.cmake) into build-win
#   2. plix6.p is a 64-bit DLL that exports _mod_descrip and nothing else and
#      imports system DLLs only; plix-sandbox.exe imports system DLLs only
#   3. the whole test suite of the Windows build, run under wine
#   4. plix-sandbox.exe validate plix6.p under wine
#   5. plix-sandbox play of the default scene with a particle cache, Linux
#      build (build-winref) and Windows build: the saved scene byte-identical,
#      the caches equal but for position bits within the stated bound
#   6. the values that rest on the C library's cosine and sine (whole-degree
#      cos and sin, launch velocities), both builds: the largest difference
#   7. the distribution zip (CPack) with plix6.p, the user guide and examples
#
# Exits non-zero on the first failure. Needs the Debian packages
# g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64, wine, wine64 (and
# what the Linux build needs); missing ones are installed with apt-get.
#
# Environment: PLIX_WIN_BUILD, PLIX_WINREF_BUILD (build folders),
# PLIX_JOBS (default 2), PLIX_POSITION_BOUND_ULPS (default 4: ulp of a
# frame's extent), PLIX_LAUNCH_BOUND_ULPS (default 4: ulp of each value).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win=${PLIX_WIN_BUILD:-build-win}
ref=${PLIX_WINREF_BUILD:-build-winref}
jobs=${PLIX_JOBS:-2}
bound=${PLIX_POSITION_BOUND_ULPS:-4}
launch_bound=${PLIX_LAUNCH_BOUND_ULPS:-4}
objdump=x86_64-w64-mingw32-objdump
step() { printf '\n== windows: %s\n' "$*"; }
fail() { printf 'windows-ci: FAILED: %s\n' "$*" >&2; exit 1; }

step "packages"
PLIX_WINDOWS=1 bash scripts/setup.sh

step "wine server"
# One persistent wine server for the whole run, with the prefix's services
# started here, before the build runs test programs to list their tests: a server that shuts down between two programs drops a client
# that connects meanwhile ("recvmsg: Connection reset by peer"), and a server
# or service started by a test would keep that test's output pipes open.
prefix="$root/$win/wineprefix"
mkdir -p "$prefix"
export WINEDEBUG=-all
if [[ ! -f "$prefix/system.reg" ]]; then
  WINEPREFIX="$prefix" wineboot --init </dev/null >/dev/null 2>&1 || true
fi
WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -w </dev/null >/dev/null 2>&1 || true
WINEPREFIX="$prefix" wineserver -p </dev/null >/dev/null 2>&1
WINEPREFIX="$prefix" wineboot </dev/null >/dev/null 2>&1 || true
trap 'WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true' EXIT

step "cross-build into $win"
cmake --no-warn-unused-cli --preset windows -B "$win" >/dev/null
cmake --build "$win" -j"$jobs"

step "exports and imports"
system_dlls='^(kernel32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+|api-ms-win-core-[a-z0-9-]+|user32|gdi32|advapi32|shell32|ole32|oleaut32|ws2_32|bcrypt|shlwapi|comdlg32|version)\.dll$'
check_pe() { # FILE EXPECTED-EXPORTS...
  local file=$1
  shift
  local dump exports imports bad
  dump=$("$objdump" -p "$file")
  grep -q 'file format pei-x86-64' <<<"$dump" || fail "$file is not a 64-bit Windows PE file"
  exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$dump" | sort)
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump" | sort -u)
  printf '%s\n  exports: %s\n  imports: %s\n' "$file" "$(echo $exports)" "$(echo $imports)"
  [[ "$exports" == "$(printf '%s\n' "$@" | sed '/^$/d' | sort)" ]] || fail "$file exports other than: $*"
  bad=$(grep -viE "$system_dlls" <<<"$imports" || true)
  [[ -z "$bad" ]] || fail "$file needs DLLs that are not part of Windows: $(echo $bad)"
}
[[ -f "$win/plix6.p" ]] || fail "$win/plix6.p was not built"
grep -qP '^\tDLL$' <("$objdump" -p "$win/plix6.p") || fail "plix6.p is not a DLL"
check_pe "$win/plix6.p" _mod_descrip
check_pe "$win/plix-sandbox.exe" ""

step "test suite under wine"
# A second try only for a test whose wine process itself broke down.
ctest --test-dir "$win" --output-on-failure -j"$jobs" --repeat until-pass:2 --timeout 300

wine_run() { (cd "$win" && "$root/cmake/wine-run.sh" wineprefix "$@"); }

step "validate plix6.p under wine"
wine_run ./plix-sandbox.exe validate plix6.p | tr -d '\r'

step "play the default scene: Linux build in $ref"
# The build type only is set: an existing build (the test command passes its
# normal build) keeps its other options and builds nothing new.
cmake -S . -B "$ref" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIX_WERROR=ON >/dev/null
cmake --build "$ref" -j"$jobs" --target plix-sandbox plix6 plix_launch_values
rm -rf "$ref/ci-play" "$win/ci-play"
"$ref/plix-sandbox" play --out "$ref/ci-play" --cache ply --preview none --no-progress

step "play the default scene: Windows build under wine"
wine_run ./plix-sandbox.exe play --out ci-play --cache ply --preview none --no-progress | tr -d '\r'

step "compare the two runs"
ref_scenes=$(cd "$ref/ci-play" && ls -- *.scene)
win_scenes=$(cd "$win/ci-play" && ls -- *.scene)
[[ -n "$ref_scenes" && "$ref_scenes" == "$win_scenes" ]] || fail "the runs saved different scene files"
for s in $ref_scenes; do
  cmp "$ref/ci-play/$s" "$win/ci-play/$s" || fail "saved scene $s differs between Linux and Windows"
  echo "saved scene $s: byte-identical ($(wc -c <"$ref/ci-play/$s") bytes)"
done
compare_runs="$ref/tests/crossbuild/plix_compare_runs"
[[ -x "$compare_runs" ]] || cmake --build "$ref" --target plix_compare_runs -j"$(nproc)" >/dev/null
"$compare_runs" caches "$ref/ci-play" "$win/ci-play" "$bound" || fail "particle caches differ beyond the bound"

step "values from cosine and sine, both builds"
"$ref/tests/crossbuild/plix_launch_values" >"$ref/ci-play/launch-values.txt"
wine_run ./tests/crossbuild/plix_launch_values.exe >"$win/ci-play/launch-values.txt"
"$compare_runs" values "$ref/ci-play/launch-values.txt" "$win/ci-play/launch-values.txt" "$launch_bound" ||
  fail "launch values differ beyond the bound"

step "distribution zip"
(cd "$win" && cpack -G ZIP >/dev/null)
zip=$(ls "$win"/plix6-*-win64.zip)
listing=$(unzip -Z1 "$zip")
echo "$zip:"
sed 's/^/  /' <<<"$listing"
for f in plix6.p USER-GUIDE.txt examples/default.scene; do
  grep -q "^[^/]*/$f\$" <<<"$listing" || fail "$zip lacks $f"
done

echo
echo "windows-ci: all Windows checks passed"
