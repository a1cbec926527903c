#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (-DORVEN_FUZZ=ON) into
# build-fuzz/ and runs each for ORVEN_FUZZ_SECONDS seconds (default 20) from
# a scratch copy of its seed corpus in fuzz/corpus/<target>/, so that the
# committed corpus stays as it is. Installs nothing: clang and its runtimes
# (libclang-rt-14-dev) come from scripts/setup.sh --full. Exits non-zero when
# the build fails or any target finds a fault; the failing input is kept in
# build-fuzz/artifacts/.
#
#   bash scripts/fuzz.sh
#   ORVEN_FUZZ_SECONDS=10 bash scripts/fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${ORVEN_FUZZ_SECONDS:-20}"
jobs="${ORVEN_JOBS:-$(nproc 2>/dev/null || echo 2)}"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORVEN_FUZZ=ON -DORVEN_BUILD_TESTS=OFF
# fuzz/CMakeLists.txt is the one list of targets; it writes their names here.
mapfile -t targets < <(grep -v '^$' build-fuzz/fuzz_targets.txt)
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no targets listed in build-fuzz/fuzz_targets.txt" >&2
  exit 1
fi
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/artifacts
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
for name in "${targets[@]}"; do
  corpus="$work/$name"
  mkdir -p "$corpus"
  cp fuzz/corpus/"$name"/* "$corpus"/
  echo "fuzz: $name for ${seconds}s"
  if ./build-fuzz/"fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build-fuzz/artifacts/$name-" "$corpus" > "$work/$name.log" 2>&1; then
    grep -E '^(#[0-9]+\s+DONE|Done [0-9]+ runs)' "$work/$name.log" | tail -1 || true
  else
    echo "fuzz: $name FAILED; the log's end:" >&2
    tail -40 "$work/$name.log" >&2
    failed+=("$name")
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failing targets: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s without a fault"
