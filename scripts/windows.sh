#!/usr/bin/env bash
# Cross-builds the 32-bit Windows DLLs into build-win32/ with mingw-w64 and
# checks them with objdump:
#  - ORVEN_M.dll exports exactly the names of src/api/exports.list, undecorated,
#    and imports the four language engine DLLs;
#  - its import library offers every export under the stdcall-decorated
#    symbol that callers compiled with include/orven_api.h reference;
#  - ORVEN_M.dll, the engine DLLs and every DLL of ours they import are
#    PE32 i386 DLLs;
#  - they import nothing but each other and Windows system DLLs: the mingw
#    runtime is linked in statically, so they load on a Windows without mingw.
set -euo pipefail
cd "$(dirname "$0")/.."

triple=i686-w64-mingw32
objdump="${triple}-objdump"
jobs="${ORVEN_JOBS:-$(nproc 2>/dev/null || echo 2)}"
out=build-win32
engines=(KORSYN ENGSYN CHISYN JAPSYN)

for tool in "${triple}-g++-posix" "${triple}-gcc-posix" "$objdump" "${triple}-nm"; do
  command -v "$tool" >/dev/null 2>&1 || {
    echo "windows.sh: $tool not found; run: bash scripts/setup.sh --full" >&2
    exit 1
  }
done

cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
cmake --build "$out" -j "$jobs"

failed=0
fail() { echo "windows.sh: FAIL: $*" >&2; failed=1; }

# Export table = the list; import table names the four engines.
imports="$(printf '%s.dll;' "${engines[@]}")"
cmake -DLIST=src/api/exports.list -DLIBRARY="$out/ORVEN_M.dll" -DMODE=pe \
  -DTOOL="$objdump" -DIMPORTS="${imports%;}" -P cmake/check_exports.cmake \
  || fail "ORVEN_M.dll exports/imports"

# Callers compiled with the header reference the stdcall-decorated import
# symbols (_imp__name@N), so the import library must provide every one.
implib="$out/ORVEN_M.dll.a"
if [ -f "$implib" ]; then
  implib_syms="$("${triple}-nm" "$implib")"
  while read -r name count _; do
    sym="__imp__${name}@$((count * 4))"
    grep -q " I ${sym}\$" <<<"$implib_syms" || fail "$implib lacks $sym"
  done < <(grep -E '^[[:space:]]*ORVN_' src/api/exports.list)
else
  fail "$implib was not built"
fi

# DLLs that come with every Windows; any other import must be a DLL built here.
system_dll_re='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|msvcrt|ucrtbase|ntdll|ws2_32|mswsock|winmm|dsound|avrt|version|bcrypt|crypt32|secur32|rpcrt4|psapi|dbghelp|setupapi|comdlg32|comctl32|iphlpapi|api-ms-win-[a-z0-9-]+)\.dll$'

# Checks ORVEN_M.dll, the engine DLLs and, following their import tables,
# every DLL of ours they pull in (the engine core DLL among them).
queue=(ORVEN_M.dll "${engines[@]/%/.dll}")
checked=" "
n_checked=0
while [ "${#queue[@]}" -gt 0 ]; do
  name="${queue[0]}"
  queue=("${queue[@]:1}")
  key="$(tr '[:upper:]' '[:lower:]' <<<"$name")"
  case "$checked" in *" $key "*) continue ;; esac
  checked+="$key "
  dll="$out/$name"
  if [ ! -f "$dll" ]; then
    fail "$dll was not built"
    continue
  fi
  n_checked=$((n_checked + 1))
  header="$("$objdump" -f "$dll")"
  private="$("$objdump" -p "$dll")"
  grep -q 'file format pei-i386' <<<"$header" || fail "$name is not pei-i386"
  grep -q 'architecture: i386' <<<"$header" || fail "$name is not i386"
  grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$private" || fail "$name is not PE32"
  # The Characteristics flags are listed one per line below their header line.
  sed -n '/^Characteristics/,/^$/p' <<<"$private" | grep -qx $'\tDLL' || fail "$name is not a DLL"
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
  echo "windows.sh: $name: PE32 i386 DLL; imports: ${deps[*]}"
done

if [ "$failed" -ne 0 ]; then
  echo "windows.sh: Windows DLL checks FAILED" >&2
  exit 1
fi
echo "windows.sh: all Windows DLL checks passed ($n_checked DLLs)"
