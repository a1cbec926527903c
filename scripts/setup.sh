#!/usr/bin/env bash
# Installs what ORVEN_M needs on Debian 12 (bookworm), in three layers:
#
#   bash scripts/setup.sh          # building and running: compiler, CMake, the libraries the engines link
#   bash scripts/setup.sh --test   # also the test suite: GoogleTest and the independent oracles
#   bash scripts/setup.sh --full   # also everything CI runs: clang, sanitizers, fuzzing, benchmarks,
#                                  # the mingw-w64 cross compilers
#
# Safe to run again: apt is skipped when every package is already installed.
set -euo pipefail

level=run
case "${ORVEN_SETUP_FULL:-0}" in 1) level=full ;; esac
for arg in "$@"; do
  case "$arg" in
    --test) [ "$level" = full ] || level=test ;;
    --full) level=full ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) echo "setup.sh: unknown option '$arg'" >&2; exit 2 ;;
  esac
done

# Building and running the library, the engines and the tool.
packages=(
  build-essential      # gcc, g++, make, libc headers
  cmake
  ninja-build
  pkg-config
  ca-certificates
  libasound2-dev       # the ALSA header for live playback (the library loads ALSA at run time)
)

# Building and running the speech backends of the stand-in engines.
packages+=(
  libespeak-ng-dev espeak-ng-data   # Korean, Mandarin and Japanese voices
  flite1-dev                        # English voices (linked in)
  libmecab-dev mecab-ipadic-utf8    # Japanese readings
  libsoxr-dev                       # resampling to the voice's rate
)

# The test suite and its independent oracles.
if [ "$level" = test ] || [ "$level" = full ]; then
  packages+=(
    libgtest-dev
    libgmock-dev
    file
    binutils             # nm and objdump for the export checks
    python3              # the code-page table generator and its up-to-date test
    libspandsp-dev       # an independent G.711 and G.726 coder the encoder tests compare with
    sox                  # an independent VOX decoder, and soxi reads the files the file entries write
    ffmpeg               # ffprobe, a second independent reader of those files
    pocketsphinx pocketsphinx-en-us   # an independent recogniser for the English intelligibility test
    groff-base           # the manual page check renders orven.1
    bsdutils             # script(1): the tool's terminal-only progress output is tested under a pseudo-terminal
  )
fi

# What CI adds: the second compiler and its sanitizer and fuzzer runtimes, the
# benchmarks' peers, the cross compilers, the style tools.
if [ "$level" = full ]; then
  packages+=(
    clang                 # second compiler; builds the sanitizer trees
    libclang-rt-14-dev    # clang's ASan/UBSan/TSan/libFuzzer runtimes (only a Recommends of clang)
    llvm                  # llvm-symbolizer, for symbolized sanitizer reports
    clang-format
    clang-tidy
    g++-mingw-w64-i686-posix     # i686-w64-mingw32-g++-posix (posix threads: std::thread, std::mutex)
    gcc-mingw-w64-i686-posix     # i686-w64-mingw32-gcc-posix
    binutils-mingw-w64-i686      # i686-w64-mingw32-objdump for the DLL checks
    g++-mingw-w64-x86-64-posix   # the 64-bit Windows build, which runs under wine64
    gcc-mingw-w64-x86-64-posix
    binutils-mingw-w64-x86-64
    wine wine64                  # runs the 64-bit Windows build (this machine cannot run 32-bit code)
    xvfb                         # a display for wine's desktop, which windows (even message-only ones) need
    libbenchmark-dev             # the benchmarks
    libicu-dev                   # ICU, a peer in the text conversion benchmark
  )
fi

missing=()
for p in "${packages[@]}"; do
  status="$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)"
  if [ "$status" != "installed" ]; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup.sh: all ${#packages[@]} packages already installed"
  exit 0
fi

echo "setup.sh: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "setup.sh: missing packages (${missing[*]}) and not root; run as root" >&2
    exit 1
  fi
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
echo "setup.sh: done"
