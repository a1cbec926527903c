#!/usr/bin/env bash
# Per-process time of `orven say` against the espeak-ng + sox and flite + sox
# pipelines on the same sentence, for the two files people ask for most: a
# 16-bit WAV at the voice's rate and an 8 kHz mu-law telephone prompt.
# hyperfine times each command; the ratios are what count.
#
#   bash bench/cli/say_vs_pipelines.sh [ORVEN] [VOICE]     (defaults: build/orven en:0)
#
# $ORVEN_VOICES picks the voice database (default: the checkout's voices/).
# flite speaks with its slt voice and espeak-ng with en, the voices of en:0.
#
# Needs: apt-get install -y hyperfine espeak-ng flite sox
# Only meaningful once VOICE speaks with a real backend (the tone voice does
# next to no work per character).
set -euo pipefail
cd "$(dirname "$0")/../.."
orven="$(realpath "${1:-build/orven}")"
voice="${2:-en:0}"
for tool in hyperfine espeak-ng flite sox python3; do
  command -v "$tool" >/dev/null || { echo "say_vs_pipelines.sh: $tool is missing" >&2; exit 1; }
done

text="Thank you for calling. Please press one for opening hours, or stay on the line to speak to someone."
scratch="$(mktemp -d /dev/shm/orven-say-bench.XXXXXX 2>/dev/null || mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export ORVEN_VOICES="${ORVEN_VOICES:-$PWD/voices}"
backend="$("$orven" info --json | python3 -c "
import json, sys
info = json.load(sys.stdin)
print(next(s['backend'] for s in info['speakers'] if s['voice'] == '$voice'))")"
echo "orven voice $voice (backend: $backend); files on $scratch; load: $(cut -d' ' -f1-3 /proc/loadavg)"

hyperfine --warmup 3 --runs 30 --style basic --export-json "$scratch/wav.json" \
  -n "orven say (wav)" "'$orven' say -v $voice -w '$scratch/o.wav' '$text'" \
  -n "espeak-ng (wav)" "espeak-ng -v en -w '$scratch/e.wav' '$text'" \
  -n "flite (wav)" "flite -voice slt -t '$text' -o '$scratch/f.wav'"

hyperfine --warmup 3 --runs 30 --style basic --export-json "$scratch/phone.json" \
  -n "orven say (8 kHz mu-law)" "'$orven' say -v $voice -e mulaw -r 8000 -w '$scratch/o8.wav' '$text'" \
  -n "espeak-ng + sox (8 kHz mu-law)" \
  "espeak-ng -v en --stdout '$text' | sox -t wav - -r 8000 -e u-law '$scratch/e8.wav'" \
  -n "flite + sox (8 kHz mu-law)" \
  "flite -voice slt -t '$text' -o '$scratch/f.wav' && sox '$scratch/f.wav' -r 8000 -e u-law '$scratch/f8.wav'"

python3 - "$scratch/wav.json" "$scratch/phone.json" <<'EOF'
import json, sys
print(f"\n{'command':<32} {'mean ms':>9} {'± ms':>7} {'peer / orven':>13}")
for path in sys.argv[1:]:
    results = json.load(open(path))["results"]
    ours = results[0]["mean"]
    for r in results:
        print(f"{r['command']:<32} {r['mean'] * 1000:>9.2f} {r['stddev'] * 1000:>7.2f} {r['mean'] / ours:>12.2f}x")
EOF
