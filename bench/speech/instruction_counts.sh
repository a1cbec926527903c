#!/bin/bash
# The speech bench's overhead comparison as instruction counts: orven_speech_bench's "counts" part under callgrind,
# which counts only the sides it measures (no start-up, no warm-up). Counts do not move when other work shares the
# machine, as wall and CPU times do; they do not see the kernel (file reads, page faults).
#   bash bench/speech/instruction_counts.sh [path/to/orven_speech_bench]   (default: build/orven_speech_bench)
set -euo pipefail
bench="${1:-build/orven_speech_bench}"
command -v valgrind >/dev/null || { echo "instruction_counts.sh: valgrind is missing" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/counts.%p" "$bench" counts >/dev/null 2>&1
# Each dump holds "desc: Trigger: Client Request: NAME" and "totals: N".
for file in "$out"/counts.*; do
  name="$(sed -n 's/^desc: Trigger: Client Request: //p' "$file")"
  total="$(sed -n 's/^totals: //p' "$file")"
  [ -n "$name" ] && printf '%s\t%s\n' "$name" "$total"
done | sort | awk -F'\t' '
  { count[$1] = $2; printf "   %-52s %15.0f instructions\n", $1, $2 }
  END {
    lib = count["espeak-ng ko: library, 3 requests"]; bare = count["espeak-ng ko: bare synthesis, 3 times"];
    soxr = count["espeak-ng ko: libsoxr 22050 to 16000 Hz, 3 times"];
    flib = count["flite rms: library, 2 requests"]; fbare = count["flite rms: bare synthesis, 2 times"];
    if (bare > 0) printf "   espeak-ng: library over bare synthesis %+.1f %%, over bare synthesis + libsoxr %+.1f %%\n",
                         (lib / bare - 1) * 100, (lib / (bare + soxr) - 1) * 100;
    if (fbare > 0) printf "   flite: library over bare synthesis %+.1f %%\n", (flib / fbare - 1) * 100;
  }'
