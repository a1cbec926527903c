#!/usr/bin/env bash
# Cross-builds ORVEN_M for both Windows targets with mingw-w64 (posix threads,
# Release): the library, the engine DLLs, the orven tool, the test suite
# (ORVEN_CROSS_TESTS) and the comparison program orven_cross_render.
#   i686   into build-win32/: compiled and linked only (these machines cannot
#          execute 32-bit x86 code), which is what catches calling-convention
#          mistakes;
#   x86_64 into build-win64/.
# Then it checks each build with objdump and nm:
#  - ORVEN_M.dll exports exactly the names of src/api/exports.list,
#    undecorated, and imports the four language engine DLLs;
#  - its import library offers every export under the symbol that callers
#    compiled with include/orven_api.h reference: stdcall-decorated
#    (_imp__name@N) for i686, the bare name (__imp_name) for x86_64;
#  - ORVEN_M.dll, the engine DLLs, every DLL of ours they import, orven.exe
#    and orven_cross_render.exe are PE32 i386 (i686) or PE32+ x86-64
#    (x86_64) images;
#  - they import nothing but each other and Windows system DLLs: the mingw
#    runtime is linked in statically, so they run on a Windows without mingw.
#
#   bash scripts/windows.sh --run
# also runs what runs here: it creates a fresh wine prefix, runs the x86_64
# suite under wine64 (ctest), runs the comparison program built for Linux
# (in build/ when scripts/test.sh has built the suite there, else in
# build-host/) and under wine64 on the same voices, and compares every file
# the two write with cmp. This is CI's windows-run stage.
set -euo pipefail
cd "$(dirname "$0")/.."

run=0
for arg in "$@"; do
  case "$arg" in
    --run) run=1 ;;
    -h | --help) sed -n '2,26p' "$0"; exit 0 ;;
    *) echo "windows.sh: unknown option '$arg'" >&2; exit 2 ;;
  esac
done

jobs="${ORVEN_JOBS:-$(nproc 2>/dev/null || echo 2)}"
started=$SECONDS
step() { echo "windows.sh: [$((SECONDS - started))s] $*"; }

# ---------------------------------------------------------------------------
# Packages: the cross compilers and GoogleTest's sources; wine for --run
# (wine64 runs the x86_64 programs; wine32 is of no use on a kernel that runs
# no 32-bit code).
packages=(googletest
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
if [ "$run" -eq 1 ]; then packages+=(wine wine64); fi
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)" = installed ] || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  step "installing ${missing[*]}"
  sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# ---------------------------------------------------------------------------
failed=0
fail() { echo "windows.sh: FAIL: $*" >&2; failed=1; }

engines=(KORSYN ENGSYN CHISYN JAPSYN)
# DLLs that come with every Windows; any other import must be a DLL built here.
system_dll_re='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|msvcrt|ucrtbase|ntdll|ws2_32|mswsock|winmm|dsound|avrt|version|bcrypt|crypt32|secur32|rpcrt4|psapi|dbghelp|setupapi|comdlg32|comctl32|iphlpapi|api-ms-win-[a-z0-9-]+)\.dll$'

# build_and_check TRIPLE TOOLCHAIN OUT FORMAT ARCHITECTURE MAGIC
build_and_check() {
  local triple=$1 toolchain=$2 out=$3 format=$4 architecture=$5 magic=$6
  local objdump="${triple}-objdump"
  step "building $out ($triple)"
  cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DORVEN_CROSS_TESTS=ON >/dev/null
  cmake --build "$out" -j "$jobs"

  # Export table = the list; import table names the four engines.
  local imports
  imports="$(printf '%s.dll;' "${engines[@]}")"
  cmake -DLIST=src/api/exports.list -DLIBRARY="$out/ORVEN_M.dll" -DMODE=pe \
    -DTOOL="$objdump" -DIMPORTS="${imports%;}" -P cmake/check_exports.cmake \
    || fail "$out/ORVEN_M.dll exports/imports"

  # The import symbols that callers compiled with the header reference: on
  # 32-bit Windows the stdcall-decorated _imp__name@N, on 64-bit the bare name.
  local implib="$out/ORVEN_M.dll.a" implib_syms name count sym
  if [ -f "$implib" ]; then
    implib_syms="$("${triple}-nm" "$implib")"
    while read -r name count _; do
      if [ "$triple" = i686-w64-mingw32 ]; then sym="__imp__${name}@$((count * 4))"; else sym="__imp_${name}"; fi
      grep -q " I ${sym}\$" <<<"$implib_syms" || fail "$implib lacks $sym"
    done < <(grep -E '^[[:space:]]*ORVN_' src/api/exports.list)
  else
    fail "$implib was not built"
  fi

  # ORVEN_M.dll, the engine DLLs, the two programs and, following their import
  # tables, every DLL of ours they pull in (the engine core DLL among them).
  local queue=(ORVEN_M.dll "${engines[@]/%/.dll}" orven.exe orven_cross_render.exe)
  local checked=" " n_checked=0 key file header private deps dep dep_lower built
  while [ "${#queue[@]}" -gt 0 ]; do
    name="${queue[0]}"
    queue=("${queue[@]:1}")
    key="$(tr '[:upper:]' '[:lower:]' <<<"$name")"
    case "$checked" in *" $key "*) continue ;; esac
    checked+="$key "
    file="$out/$name"
    if [ ! -f "$file" ]; then
      fail "$file was not built"
      continue
    fi
    n_checked=$((n_checked + 1))
    header="$("$objdump" -f "$file")"
    private="$("$objdump" -p "$file")"
    grep -q "file format $format\$" <<<"$header" || fail "$name is not $format"
    grep -q "architecture: $architecture," <<<"$header" || fail "$name is not $architecture"
    grep -Eq "^Magic[[:space:]]+$magic[[:space:]]" <<<"$private" || fail "$name has not the optional-header magic $magic"
    # The Characteristics flags are listed one per line below their header line.
    if [[ "$name" == *.dll ]]; then
      sed -n '/^Characteristics/,/^$/p' <<<"$private" | grep -qx $'\tDLL' || fail "$name is not a DLL"
    fi
    deps=()
    while IFS= read -r dep; do
      if [ -n "$dep" ]; then deps+=("$dep"); fi
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$private")
    for dep in "${deps[@]}"; do
      dep_lower="$(tr '[:upper:]' '[:lower:]' <<<"$dep")"
      built="$(find "$out" -maxdepth 1 -iname "$dep" -print -quit)"
      if [ -n "$built" ]; then
        queue+=("$(basename "$built")")
      elif [[ "$dep_lower" =~ ^(libstdc\+\+-6|libgcc_s_.*|libwinpthread-1)\.dll$ ]]; then
        fail "$name imports the mingw runtime DLL $dep (it must be linked statically)"
      elif ! [[ "$dep_lower" =~ $system_dll_re ]]; then
        fail "$name imports $dep, which is neither built in $out nor a Windows system DLL"
      fi
    done
    echo "windows.sh: $out/$name: $format; imports: ${deps[*]}"
  done
  step "$out: $n_checked images checked"
}

build_and_check i686-w64-mingw32 cmake/toolchain-mingw-i686.cmake build-win32 pei-i386 i386 010b
build_and_check x86_64-w64-mingw32 cmake/toolchain-mingw-x86_64.cmake build-win64 pei-x86-64 i386:x86-64 020b

if [ "$failed" -ne 0 ]; then
  echo "windows.sh: Windows image checks FAILED" >&2
  exit 1
fi
step "all Windows image checks passed"
[ "$run" -eq 1 ] || exit 0

# ---------------------------------------------------------------------------
# A fresh prefix of our own, on a virtual display of our own: no window is
# seen, and wine neither draws nor asks. Its wine server stays up for the
# whole run, so that each of the many short test programs does not start one
# anew (about 2.5 s each); it is stopped at the end.
#
# Windows, even the message-only notification windows of the playback tests,
# need wine's desktop, a process wine starts on demand and ends when its last
# user goes. Without a display it cannot start at all, and every test program
# that makes a window tries again and waits (3 to 10 s; once the window was
# refused). So: Xvfb, and one idle program with a window (notepad) that keeps
# a single desktop up for the whole run.
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/orven-wine.XXXXXX")"
export WINEPREFIX WINEDEBUG=-all
unset WAYLAND_DISPLAY
display_file="$(mktemp)"
xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$display_file"
}
trap cleanup EXIT
step "starting a virtual display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 640x480x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "windows.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"

step "creating the wine prefix $WINEPREFIX"
wineserver -p  # before the first program, which would start a server that ends with it
# Without the .NET and HTML engines, which a new prefix would offer to install.
WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot --init >/dev/null 2>&1
wine notepad >/dev/null 2>&1 &
desktop_up() { grep -qsa 'explorer.exe./desktop' /proc/[0-9]*/cmdline; }
# The desktop wineboot started lingers for a few seconds: outlast it, so that
# the one seen is the one notepad holds.
sleep 6
for _ in $(seq 60); do
  desktop_up && break
  sleep 0.5
done
desktop_up || fail "wine's desktop did not start"

step "running the x86_64 suite under wine64"
ctest --test-dir build-win64 --output-on-failure -j "$jobs" --no-tests=error

step "comparing the output of the Linux and the Windows build"
# The Linux program comes from the test build of scripts/test.sh when there
# is one (CI's test stage has built it there), else from build-host/.
host=build
if ! grep -qs '^ORVEN_BUILD_TESTS:BOOL=ON$' build/CMakeCache.txt; then
  host=build-host
  bash scripts/setup.sh --test  # the program belongs to the test tree, which needs the test packages
  cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEN_SPEECH=OFF -DORVEN_BUILD_TESTS=ON >/dev/null
fi
cmake --build "$host" -j "$jobs" --target orven_cross_render
compare="$(mktemp -d)"
trap 'cleanup; rm -rf "$compare"' EXIT
mkdir "$compare/linux" "$compare/windows"
"$host/orven_cross_render" tests/voices "$compare/linux" >/dev/null
wine build-win64/orven_cross_render.exe tests/voices "$compare/windows" >/dev/null
compared=0
for file in "$compare"/linux/*; do
  name="$(basename "$file")"
  if cmp "$file" "$compare/windows/$name"; then compared=$((compared + 1)); else fail "$name differs"; fi
done
[ "$(ls "$compare/windows" | wc -l)" -eq "$compared" ] || fail "the Windows build wrote other files than the Linux build"
[ "$compared" -eq 16 ] || fail "$compared files compared, not the 16 expected"
if [ "$failed" -ne 0 ]; then
  echo "windows.sh: Windows run FAILED" >&2
  exit 1
fi
step "the x86_64 suite passed under wine64; $compared files byte-identical to the Linux build's"
