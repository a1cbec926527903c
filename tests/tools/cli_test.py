"""The orven command line, run as a process on the deterministic tone voices (speaker 9).

CMake passes the tool, the voices and the directories through the environment
(see CMakeLists.txt beside this file)."""
import json
import os
import pathlib
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

TOOL = os.environ["ORVEN_TOOL"]
VOICES = os.environ["ORVEN_TEST_VOICES"]
SOURCE = pathlib.Path(os.environ["ORVEN_SOURCE_DIR"])
REQUIRED = os.environ.get("ORVEN_REQUIRE_ORACLES") == "1"


def run(*args, stdin=b"", env=None, cwd=None):
    environment = {k: v for k, v in os.environ.items() if k != "ORVEN_VOICES"}
    environment.update(env or {})
    return subprocess.run([TOOL, *args], input=stdin, capture_output=True, env=environment, cwd=cwd,
                          timeout=120)


def wav_data(path, header=44):
    return pathlib.Path(path).read_bytes()[header:]


class ToolCase(unittest.TestCase):
    def setUp(self):
        self.dir = pathlib.Path(tempfile.mkdtemp(prefix="orven-cli-"))
        self.addCleanup(shutil.rmtree, self.dir)

    def say(self, *args, voice="en:9", stdin=b""):
        return run("say", "--voices", VOICES, "-v", voice, *args, stdin=stdin, cwd=self.dir)

    def assertExit(self, result, code, call):
        self.assertEqual(result.returncode, code, f"{call}: stderr: {result.stderr.decode(errors='replace')}")

    def files(self):
        return sorted(p.name for p in self.dir.iterdir())


class ExitStatusTests(ToolCase):
    """Each failure class has its exit status and message, and no refused call leaves a file."""

    def test_failure_classes(self):
        (self.dir / "bad.dict").write_text("no tab on this line\n")
        (self.dir / "a.wav").write_bytes(b"")
        rows = [
            # (call, arguments after 'orven', exit status, text the message must hold)
            ("no verb", [], 2, "Usage"),
            ("unknown verb", ["speak"], 2, "unknown verb 'speak'"),
            ("unknown option", ["say", "--loud", "x"], 2, "unknown option '--loud'"),
            ("option without its value", ["say", "x", "-w"], 2, "'-w' needs a value"),
            ("volume above its range", ["say", "-a", "201", "x"], 2, "0..200"),
            ("speed below its range", ["say", "-s", "49", "x"], 2, "50..200"),
            ("pitch not a number", ["say", "-p", "high", "x"], 2, "80..120"),
            ("unknown language", ["say", "-v", "fr", "x"], 2, "unknown voice 'fr'"),
            ("speaker out of range", ["say", "-v", "en:10", "x"], 2, "unknown voice"),
            ("rate above the voice", ["say", "-v", "en:9", "-w", "o.wav", "-r", "22050", "x"], 2, "22050 Hz"),
            ("11025 Hz from an 8000 Hz voice", ["say", "-v", "en:1", "-w", "o.wav", "-r", "11025", "x"],
             2, "11025 Hz"),
            ("vox in a WAV file", ["say", "-v", "en:9", "-w", "o.wav", "-e", "vox", "x"], 2, "headerless"),
            ("vox in an AU file", ["say", "-v", "en:9", "-w", "o.au", "-e", "vox", "x"], 2, "headerless"),
            ("g721 in a WAV file", ["say", "-v", "en:9", "-w", "o.wav", "-e", "g721", "x"], 2, "g721"),
            ("unknown extension", ["say", "-w", "o.mp3", "x"], 2, "o.mp3"),
            ("header type on stdout", ["say", "--stdout", "-t", "au", "x"], 2, "headerless"),
            ("file and stdout", ["say", "-w", "o.wav", "--stdout", "x"], 2, "exclude"),
            ("text twice", ["say", "-f", "t.txt", "x"], 2, "not both"),
            ("empty text", ["say", "-v", "en:9"], 2, "no text"),
            ("batch channels out of range", ["batch", "-j", "0", "jobs"], 2, "1..64"),
            ("mixing mu-law", ["mix", "-e", "mulaw", "a.wav", "a.wav", "o.wav"], 2, "pcm16 and pcm8"),
            ("voice not in the database", ["say", "-v", "en:8", "-w", "o.wav", "x"], 1, "ORVN_ERR_NOT_LOADED"),
            ("output directory missing", ["say", "-v", "en:9", "-w", "no/o.wav", "x"], 1, "ORVN_ERR_FILE_OPEN"),
            ("text file missing", ["say", "-v", "en:9", "-w", "o.wav", "-f", "missing.txt"], 1, "missing.txt"),
            ("voices directory missing", ["say", "--voices", str(self.dir / "none"), "-w", "o.wav", "x"], 1,
             "does not exist"),
            ("malformed dictionary", ["say", "-v", "en:9", "-w", "o.wav", "--dict", "bad.dict", "x"], 1, "line 1"),
            ("mix input missing", ["mix", "a.wav", "missing.wav", "o.wav"], 1, "ORVN_ERR_FILE_OPEN"),
        ]
        before = self.files()
        for call, args, code, text in rows:
            with self.subTest(call=call):
                if args and args[0] in ("say", "play", "batch") and "--voices" not in args:
                    args = [args[0], "--voices", VOICES, *args[1:]]
                result = run(*args, cwd=self.dir)
                self.assertExit(result, code, call)
                self.assertIn(text, result.stderr.decode(), call)
                self.assertEqual(result.stdout, b"", call)
                self.assertEqual(self.files(), before, f"{call} left a file")

    def test_help_for_the_tool_and_every_verb(self):
        for args in (["--help"], ["--version"], *([verb, "--help"] for verb in
                                                  ("say", "batch", "play", "mix", "info", "errors"))):
            with self.subTest(call=" ".join(args)):
                result = run(*args)
                self.assertExit(result, 0, " ".join(args))
                self.assertTrue(result.stdout, " ".join(args))


class TextSourceTests(ToolCase):
    """Text from the arguments, from -f and from standard input is the same text."""

    def test_three_sources_give_the_same_audio(self):
        rows = [("en:9", "Hello there, world."), ("ko:9", "안녕하세요 반갑습니다"), ("ja:9", "こんにちは")]
        for voice, text in rows:
            with self.subTest(call=f"say -v {voice}"):
                (self.dir / "t.txt").write_bytes(b"\xef\xbb\xbf" + text.encode() + b"\n")
                self.assertExit(self.say("-w", "args.wav", *text.split(" "), voice=voice), 0, "arguments")
                self.assertExit(self.say("-w", "file.wav", "-f", "t.txt", voice=voice), 0, "-f")
                self.assertExit(self.say("-w", "stdin.wav", voice=voice, stdin=text.encode() + b"\r\n"), 0, "stdin")
                audio = (self.dir / "args.wav").read_bytes()
                self.assertGreater(len(audio), 44)
                self.assertEqual((self.dir / "file.wav").read_bytes(), audio, "-f FILE")
                self.assertEqual((self.dir / "stdin.wav").read_bytes(), audio, "standard input")
        self.assertExit(self.say("-w", "other.wav", "Hello there, world!"), 0, "other text")
        self.assertNotEqual((self.dir / "other.wav").read_bytes(), (self.dir / "args.wav").read_bytes())


class FormatTests(ToolCase):
    """The file type follows the name, -t overrides it, and --stdout carries the file's data."""

    TEXT = "Formats"

    def test_type_from_extension(self):
        self.assertExit(self.say("-w", "ref.raw", self.TEXT), 0, "ref.raw")
        pcm = (self.dir / "ref.raw").read_bytes()
        rows = [
            # (call, arguments, first bytes, bytes before the data, data bytes per 16-bit sample byte)
            ("x.wav", ["-w", "x.wav"], b"RIFF", 44, 1),
            ("x.au", ["-w", "x.au"], b".snd", 24, 1),
            ("x.snd", ["-w", "x.snd"], b".snd", 24, 1),
            ("x.pcm", ["-w", "x.pcm"], pcm[:4], 0, 1),
            ("x.vox", ["-w", "x.vox"], None, 0, 0.25),
            ("x.dat -t au", ["-w", "x.dat", "-t", "au"], b".snd", 24, 1),
            ("x.wav -t raw", ["-w", "x.wav", "-t", "raw"], pcm[:4], 0, 1),
            ("x.wav -e mulaw", ["-w", "x.wav", "-e", "mulaw"], b"RIFF", 46, 0.5),
        ]
        for call, args, magic, header, ratio in rows:
            with self.subTest(call=call):
                self.assertExit(self.say(*args, self.TEXT), 0, call)
                data = (self.dir / args[1]).read_bytes()
                if magic is not None:
                    self.assertEqual(data[:4], magic, call)
                self.assertAlmostEqual(len(data) - header, len(pcm) * ratio, delta=8, msg=call)

    def test_ctrl_c_leaves_no_file(self):
        (self.dir / "long.txt").write_text("A long text to speak. " * 20000)
        process = subprocess.Popen([TOOL, "say", "--voices", VOICES, "-v", "en:9", "-w", "long.wav", "-f",
                                    "long.txt"], cwd=self.dir, stderr=subprocess.PIPE)
        deadline = time.monotonic() + 60
        while self.files() == ["long.txt"] and time.monotonic() < deadline:
            time.sleep(0.01)  # until the temporary file is being written
        process.send_signal(signal.SIGINT)
        _, stderr = process.communicate(timeout=60)
        self.assertEqual(process.returncode, -signal.SIGINT, stderr.decode())
        self.assertEqual(self.files(), ["long.txt"])

    def test_wav_header_carries_the_asked_format(self):
        rows = [("pcm16 16000", [], 1, 16, 16000), ("mulaw 8000", ["-e", "mulaw", "-r", "8000"], 7, 8, 8000),
                ("alaw 11025", ["-e", "alaw", "-r", "11025"], 6, 8, 11025), ("pcm8", ["-e", "pcm8"], 1, 8, 16000)]
        for call, args, tag, bits, rate in rows:
            with self.subTest(call=call):
                self.assertExit(self.say("-w", "h.wav", *args, self.TEXT), 0, call)
                header = (self.dir / "h.wav").read_bytes()[:36]
                self.assertEqual(struct.unpack_from("<HHI", header, 20), (tag, 1, rate), call)
                self.assertEqual(struct.unpack_from("<H", header, 34)[0], bits, call)

    def test_stdout_bytes_equal_the_file_data(self):
        rows = [
            # (call, file arguments, the same for --stdout, header bytes of the file)
            ("pcm16 wav", ["-w", "o.wav"], [], 44),
            ("mulaw 8000 wav", ["-w", "o.wav", "-e", "mulaw", "-r", "8000"], ["-e", "mulaw", "-r", "8000"], 46),
            ("g721 headerless", ["-w", "o.g721", "-t", "raw", "-e", "g721"], ["-e", "g721"], 0),
            ("vox file", ["-w", "o.vox", "-r", "8000"], ["-e", "vox", "-r", "8000"], 0),
        ]
        for call, file_args, stdout_args, header in rows:
            with self.subTest(call=call):
                self.assertExit(self.say(*file_args, self.TEXT), 0, call)
                result = self.say("--stdout", *stdout_args, self.TEXT)
                self.assertExit(result, 0, call + " --stdout")
                self.assertEqual(result.stdout, wav_data(self.dir / file_args[1], header), call)
                self.assertEqual(result.stderr, b"", call)


class OptionTests(ToolCase):
    """Every spelling of an option means the same, and every voice setting reaches the audio."""

    def test_spellings_and_settings(self):
        (self.dir / "words.dict").write_text("cat\tdog\n")
        self.assertExit(self.say("-w", "plain.wav", "cat"), 0, "plain")
        plain = (self.dir / "plain.wav").read_bytes()
        rows = [
            # (call, arguments in one spelling, in another, whether the audio differs from plain; None: unknown)
            ("volume", ["-a", "150", "cat"], ["--volume=150", "cat"], True),
            ("speed", ["-s150", "cat"], ["--speed", "150", "cat"], True),
            ("pitch after the text", ["-p", "90", "cat"], ["cat", "--pitch=90"], True),
            ("dictionary", ["--dict", "words.dict", "cat"], ["--dict=words.dict", "--", "cat"], True),
            ("voice names", ["-v", "en", "cat"], ["-v", "ENGLISH:0", "cat"], None),
        ]
        for call, first, second, differs in rows:
            with self.subTest(call=call):
                self.assertExit(self.say("-w", "one.wav", *first), 0, call)
                self.assertExit(self.say("-w", "two.wav", *second), 0, call)
                one = (self.dir / "one.wav").read_bytes()
                self.assertEqual((self.dir / "two.wav").read_bytes(), one, call)
                if differs is not None:
                    self.assertEqual(one != plain, differs, call)


class BatchTests(ToolCase):
    """Prompt sets: bad lines are reported by number, the rest is written whole, progress only on a terminal."""

    def write_jobs(self, lines, end="\n"):
        (self.dir / "out").mkdir()
        (self.dir / "jobs.tsv").write_bytes("".join(line + end for line in lines).encode())

    def test_good_and_bad_lines(self):
        lines = [
            "# a prompt set",                                              # 1
            "",                                                            # 2
            "out/hello.wav\ten:9\tHello one",                              # 3
            "out/bad-voice.wav\tfr\tBonjour",                              # 4 bad
            "out/phone.wav\tko:9\t안녕하세요\tencoding=mulaw\trate=8000",  # 5
            "out/loud.wav\ten:9\tToo loud\tvolume=201",                    # 6 bad
            "out/prompt.vox\ten:1\tVox prompt",                            # 7
            "missing/x.wav\ten:9\tNo directory",                           # 8 bad, when written
            "out/fields.wav\ten:9",                                        # 9 bad
            "out/fast.au\ten:9\tQuick\tspeed=150\tpitch=90",               # 10
            "out/hello.wav\ten:9\tSame file",                              # 11 bad
            "out/rate.wav\ten:9\tHigh\trate=44100",                        # 12 bad
            "out/key.wav\ten:9\tKey\tloudness=3",                          # 13 bad
        ]
        self.write_jobs(lines, end="\r\n")
        result = run("batch", "-j", "2", "--voices", VOICES, "jobs.tsv", cwd=self.dir)
        self.assertExit(result, 1, "batch")
        stderr = result.stderr.decode()
        reported = sorted(int(n) for n in re.findall(r"jobs\.tsv:(\d+):", stderr))
        self.assertEqual(reported, [4, 6, 8, 9, 11, 12, 13], stderr)
        self.assertIn("ORVN_ERR_FILE_OPEN", stderr)
        self.assertIn("4 of 11 prompts written", stderr)
        self.assertEqual(sorted(p.name for p in (self.dir / "out").iterdir()),
                         ["fast.au", "hello.wav", "phone.wav", "prompt.vox"], "only whole files, no others")
        same_as_say = [("hello.wav", "en:9", ["Hello", "one"]),
                       ("phone.wav", "ko:9", ["-e", "mulaw", "-r", "8000", "안녕하세요"]),
                       ("prompt.vox", "en:1", ["Vox", "prompt"]),
                       ("fast.au", "en:9", ["-s", "150", "-p", "90", "Quick"])]
        for name, voice, args in same_as_say:
            with self.subTest(call=f"batch line for {name}"):
                reference = self.dir / ("ref" + pathlib.Path(name).suffix)
                self.assertExit(self.say("-w", reference.name, *args, voice=voice), 0, name)
                self.assertEqual((self.dir / "out" / name).read_bytes(), reference.read_bytes(), name)

    def test_progress_only_on_a_terminal(self):
        self.write_jobs([f"out/p{i}.wav\ten:9\tPrompt number {i}" for i in range(30)])
        plain = run("batch", "--voices", VOICES, "jobs.tsv", cwd=self.dir)
        self.assertExit(plain, 0, "batch without a terminal")
        self.assertNotIn(b"\r", plain.stderr)
        self.assertEqual(plain.stderr.decode().count("\n"), 1, "only the summary")
        self.assertIn("30 of 30 prompts written", plain.stderr.decode())
        if shutil.which("script") is None:
            self.skipTest("script (package bsdutils) is not installed: no pseudo-terminal")
        command = f"'{TOOL}' batch --voices '{VOICES}' jobs.tsv"
        terminal = subprocess.run(["script", "-qec", command, "/dev/null"], capture_output=True, cwd=self.dir,
                                  timeout=120, stdin=subprocess.DEVNULL)
        if b"failed to create pseudo-terminal" in terminal.stderr:
            self.skipTest("this machine gives no pseudo-terminal (no /dev/pts)")
        self.assertExit(terminal, 0, "batch on a terminal")
        self.assertRegex(terminal.stdout.decode(), r"\r\[[#.]+\] \d+/30 ")
        self.assertIn("30 of 30 prompts written", terminal.stdout.decode())

    def test_ctrl_c_finishes_the_prompts_under_way_and_stops(self):
        self.write_jobs([f"out/p{i}.wav\ten:9\t{'A longer prompt to speak. ' * 8}" for i in range(4000)])
        process = subprocess.Popen([TOOL, "batch", "-j", "2", "--voices", VOICES, "jobs.tsv"], cwd=self.dir,
                                   stderr=subprocess.PIPE)
        deadline = time.monotonic() + 60
        while not any((self.dir / "out").iterdir()) and time.monotonic() < deadline:
            time.sleep(0.01)  # until prompts are being written
        process.send_signal(signal.SIGINT)
        _, stderr = process.communicate(timeout=60)
        self.assertEqual(process.returncode, -signal.SIGINT, stderr.decode())
        self.assertIn("interrupted", stderr.decode())
        written = list((self.dir / "out").iterdir())
        self.assertLess(len(written), 4000)
        self.assertFalse([p.name for p in written if not re.fullmatch(r"p\d+\.wav", p.name)], "temporary files")
        self.assertFalse([p.name for p in written if p.stat().st_size <= 44], "files without audio")

    def test_jobs_from_standard_input(self):
        self.write_jobs([])
        result = run("batch", "-j", "1", "--voices", VOICES, "-", stdin=b"out/s.wav\ten:9\tFrom a pipe\n",
                     cwd=self.dir)
        self.assertExit(result, 0, "batch -")
        self.assertTrue((self.dir / "out" / "s.wav").exists())


class MixTests(ToolCase):
    """Mixing and appending through the tool: formats read from the first input, output written whole."""

    def test_append_and_mix(self):
        self.assertExit(self.say("-w", "a.wav", "First part"), 0, "a.wav")
        self.assertExit(self.say("-w", "b.wav", "Second"), 0, "b.wav")
        a, b = wav_data(self.dir / "a.wav"), wav_data(self.dir / "b.wav")
        self.assertExit(run("mix", "--append", "a.wav", "b.wav", "ab.wav", cwd=self.dir), 0, "mix --append")
        self.assertEqual(wav_data(self.dir / "ab.wav"), a + b)
        self.assertExit(run("mix", "a.wav", "b.wav", "mixed.wav", cwd=self.dir), 0, "mix")
        mixed = (self.dir / "mixed.wav").read_bytes()
        self.assertEqual(len(mixed) - 44, len(a))
        # The output may be the first input: it is read before the result is put in its place.
        self.assertExit(run("mix", "a.wav", "b.wav", "a.wav", cwd=self.dir), 0, "mix into a.wav")
        self.assertEqual((self.dir / "a.wav").read_bytes(), mixed)
        self.assertEqual(sorted(self.files()), ["a.wav", "ab.wav", "b.wav", "mixed.wav"])

    def test_format_read_from_the_first_input(self):
        self.assertExit(self.say("-w", "u.wav", "-e", "mulaw", "-r", "8000", "Phone"), 0, "u.wav")
        self.assertExit(run("mix", "--append", "u.wav", "u.wav", "uu.wav", cwd=self.dir), 0, "append mu-law")
        header = (self.dir / "uu.wav").read_bytes()[:46]
        self.assertEqual(struct.unpack_from("<HHI", header, 20), (7, 1, 8000))
        self.assertEqual(wav_data(self.dir / "uu.wav", 46), wav_data(self.dir / "u.wav", 46) * 2)
        self.say("-w", "s.wav", "Wide")
        self.say("-w", "s8.wav", "-e", "pcm8", "Narrow")
        result = run("mix", "s.wav", "s8.wav", "x.wav", cwd=self.dir)
        self.assertExit(result, 1, "mix of different formats")
        self.assertIn("ORVN_ERR_FORMAT_MISMATCH", result.stderr.decode())


class InfoTests(ToolCase):
    """What info reports, and where the tool looks for its voices."""

    def info(self, *args, env=None, tool=None):
        result = subprocess.run([tool or TOOL, "info", "--json", *args], capture_output=True, timeout=60,
                                env={**{k: v for k, v in os.environ.items() if k != "ORVEN_VOICES"}, **(env or {})})
        return result, json.loads(result.stdout) if result.returncode == 0 else None

    def test_json_and_table_agree(self):
        result, info = self.info("--voices", VOICES)
        self.assertExit(result, 0, "info --json")
        self.assertEqual([e["language"] for e in info["engines"]], ["ko", "en", "zh", "ja"])
        self.assertTrue(all(e["version"] for e in info["engines"]))
        speakers = {s["voice"]: s for s in info["speakers"]}
        for language in ("ko", "en", "zh", "ja"):
            self.assertEqual(speakers[f"{language}:9"]["rate"], 16000, language)
            self.assertEqual(speakers[f"{language}:1"]["rate"], 8000, language)
            self.assertEqual(speakers[f"{language}:9"]["channel_limit"], 64, language)
            self.assertEqual(speakers[f"{language}:9"]["text_limit"], 0, language)
        table = run("info", "--voices", VOICES).stdout.decode()
        self.assertIn(info["library_version"], table)
        self.assertEqual(set(re.findall(r"(?m)^(\w\w:\d)\s", table)), set(speakers))

    def test_voice_lookup_order(self):
        missing = str(self.dir / "missing")
        rows = [
            # (call, environment, arguments, exit status, voices directory reported)
            ("build tree default", {}, [], 0, str(SOURCE / "voices")),
            ("environment", {"ORVEN_VOICES": VOICES}, [], 0, VOICES),
            ("option before environment", {"ORVEN_VOICES": missing}, ["--voices", VOICES], 0, VOICES),
            ("missing environment directory, no fallback", {"ORVEN_VOICES": missing}, [], 1, None),
        ]
        for call, env, args, code, directory in rows:
            with self.subTest(call=call):
                result, info = self.info(*args, env=env)
                self.assertExit(result, code, call)
                if directory is not None:
                    self.assertEqual(pathlib.Path(info["voices_directory"]).resolve(),
                                     pathlib.Path(directory).resolve(), call)

    def test_installed_tool_finds_its_voices(self):
        prefix = self.dir / "prefix"
        subprocess.run([os.environ["ORVEN_CMAKE"], "--install", os.environ["ORVEN_BUILD_DIR"], "--prefix",
                        str(prefix)], check=True, capture_output=True, timeout=120)
        result, info = self.info(tool=str(prefix / "bin" / "orven"))
        self.assertExit(result, 0, "installed orven info")
        self.assertEqual(pathlib.Path(info["voices_directory"]).resolve(),
                         (prefix / "share" / "orven" / "voices").resolve())
        self.assertTrue((prefix / "share" / "man" / "man1" / "orven.1").exists())


class DocumentationTests(unittest.TestCase):
    """The man page renders cleanly and names every option the verbs take; so does the completion."""

    def test_man_page_renders_without_warnings(self):
        if shutil.which("groff") is None:
            if REQUIRED:
                self.fail("groff (package groff-base) is required")
            self.skipTest("groff (package groff-base) is not installed")
        result = subprocess.run(["groff", "-ww", "-man", "-z", str(SOURCE / "man" / "orven.1")],
                                capture_output=True, timeout=60)
        self.assertEqual((result.returncode, result.stderr.decode()), (0, ""))

    def test_every_option_is_documented_and_completed(self):
        page = (SOURCE / "man" / "orven.1").read_text().replace("\\-", "-")
        completion = (SOURCE / "tools" / "orven" / "orven.bash-completion").read_text()
        for verb in ("say", "batch", "play", "mix", "info"):
            options = set(re.findall(r"(?<![\w-])(--[a-z]+|-[a-z])\b", run(verb, "--help").stdout.decode()))
            self.assertIn("--help", options, verb)
            for option in options:
                with self.subTest(call=f"{verb} {option}"):
                    self.assertIn(option, page)
                    self.assertRegex(completion, rf"{verb}\) options=\"[^\"]*(?<![\w-]){option}(?![\w-])", verb)


class LiveTests(ToolCase):
    """Speaking aloud on the null device, and a clean stop on Ctrl-C."""

    def test_play_on_the_null_device(self):
        result = run("play", "--voices", VOICES, "-v", "en:9", "--device", "null", "Hi")
        self.assertExit(result, 0, "play --device null")

    def test_ctrl_c_stops_playback(self):
        environment = {k: v for k, v in os.environ.items() if k != "ORVEN_VOICES"}
        process = subprocess.Popen([TOOL, "play", "--voices", VOICES, "-v", "en:9", "--device", "null",
                                    "A long text " * 50], stderr=subprocess.PIPE, env=environment)
        time.sleep(1.0)
        process.send_signal(signal.SIGINT)
        start = time.monotonic()
        _, stderr = process.communicate(timeout=30)
        self.assertEqual(process.returncode, -signal.SIGINT, stderr.decode())
        self.assertLess(time.monotonic() - start, 5.0, "the stop took too long")


if __name__ == "__main__":
    unittest.main()
