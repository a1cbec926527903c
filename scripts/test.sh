#!/usr/bin/env bash
# Builds ORVEN_M (Release) into build/ and runs the whole test suite.
# Exits non-zero when the build or any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="${ORVEN_JOBS:-$(nproc 2>/dev/null || echo 2)}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEN_BUILD_TESTS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" --no-tests=error
