#!/usr/bin/env bash
# Builds ORVEN_M, its stand-in engines and the orven tool (nothing else),
# shows the engines and the voices of the repository's voice database, then
# speaks a sentence in each language into out/<language>.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target orven
orven=./build/orven
export ORVEN_VOICES="$PWD/voices"
"$orven" info
echo
mkdir -p out
"$orven" say -v ko -w out/korean.wav "안녕하세요. 만나서 반갑습니다."
"$orven" say -v en -w out/english.wav "Hello. This sentence was written to a file."
"$orven" say -v zh -w out/chinese.wav "你好，欢迎。"
"$orven" say -v ja -w out/japanese.wav "こんにちは、ようこそ。"
for language in korean english chinese japanese; do
  printf '%-9s %s  %s bytes\n' "$language" "$PWD/out/$language.wav" "$(wc -c < "out/$language.wav")"
done
echo "The four files are in $PWD/out."
