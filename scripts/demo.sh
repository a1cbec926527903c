#!/usr/bin/env bash
# Builds ORVEN_M, its stand-in engines and the orven tool (nothing else),
# loads the repository's voice database in all four languages and shows what
# each voice reports, then speaks a sentence in each language into
# out/<language>.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target orven
./build/orven voices "$PWD/voices"
./build/orven speak "$PWD/voices" "$PWD/out"
