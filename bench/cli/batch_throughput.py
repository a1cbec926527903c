#!/usr/bin/env python3
"""Throughput of `orven batch` on 1, 2 and more channels, against one `orven say` process per prompt.

Writes the same prompt set (WAV, the voice's own rate) into a directory on tmpfs, several times per
setting, and reports the best run of each: prompts per second, seconds of audio per second of wall
time (the inverse of the real-time factor), and the ratio to the per-process peer on as many
parallel processes (xargs -P).

    python3 bench/cli/batch_throughput.py [--orven build/orven] [--voice en:9] [--prompts 400] [--runs 5]
"""
import argparse
import os
import pathlib
import shutil
import subprocess
import tempfile
import time

SENTENCES = [
    "Thank you for calling. Please hold while we connect you.",
    "Press one for opening hours, two for directions, or stay on the line.",
    "Your call is important to us.",
    "The office is closed on public holidays.",
    "Please say or enter your account number, followed by the hash key.",
    "We are sorry, that was not a valid choice.",
    "Goodbye.",
]


def audio_seconds(directory):
    # 16-bit mono WAV at the voice's rate: the data after the 44-byte header.
    total = 0.0
    for path in directory.iterdir():
        data = path.read_bytes()
        rate = int.from_bytes(data[24:28], "little")
        total += (len(data) - 44) / (2 * rate)
    return total


def timed(command, directory, stdin=None):
    shutil.rmtree(directory, ignore_errors=True)
    directory.mkdir()
    start = time.perf_counter()
    subprocess.run(command, check=True, stdin=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--orven", default="build/orven")
    parser.add_argument("--voices", default=str(pathlib.Path(__file__).resolve().parents[2] / "voices"))
    parser.add_argument("--voice", default="en:9")
    parser.add_argument("--prompts", type=int, default=400)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    orven = str(pathlib.Path(args.orven).resolve())
    cores = os.cpu_count() or 1

    scratch = pathlib.Path(tempfile.mkdtemp(prefix="orven-bench-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None))
    out = scratch / "out"
    jobs = scratch / "jobs.tsv"
    lines = [f"{out}/p{i:04d}.wav\t{args.voice}\t{SENTENCES[i % len(SENTENCES)]}" for i in range(args.prompts)]
    jobs.write_text("".join(line + "\n" for line in lines))
    # The peer: one `orven say` process per prompt, NUL-separated arguments for xargs.
    say_args = scratch / "say.args"
    say_args.write_bytes(b"".join(f"{out}/p{i:04d}.wav\0{SENTENCES[i % len(SENTENCES)]}\0".encode()
                                  for i in range(args.prompts)))

    channels = sorted({1, 2, cores, 2 * cores})
    print(f"{args.prompts} prompts, voice {args.voice}, {cores} cores, best of {args.runs} runs, files on {scratch}")
    print(f"{'channels':>8} {'batch prompts/s':>16} {'x real time':>12} {'say processes/s':>16} {'batch/say':>10}")
    try:
        for n in channels:
            batch = min(timed([orven, "batch", "-j", str(n), "--voices", args.voices, str(jobs)], out)
                        for _ in range(args.runs))
            seconds = audio_seconds(out)
            with open(say_args, "rb") as stream:
                say = min(timed(["xargs", "-0", "-n", "2", "-P", str(n), "sh", "-c",
                                 f'exec "{orven}" say --voices "{args.voices}" -v {args.voice} -w "$1" "$2"', "say"],
                                out, stdin=stream) for _ in range(args.runs) if stream.seek(0) == 0)
            print(f"{n:>8} {args.prompts / batch:>16.1f} {seconds / batch:>11.1f}x {args.prompts / say:>16.1f} "
                  f"{say / batch:>9.1f}x")
        print(f"audio per run: {seconds:.1f} s")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
