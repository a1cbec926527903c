// orven say and orven play: one text, into a file, to standard output, or aloud.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli.h"
#include "live.h"
#include "os.h"
#include "verbs.h"

namespace orven::cli {

namespace {

enum OptionId {
  kHelp,
  kVoice,
  kOutput,
  kStdout,
  kType,
  kEncoding,
  kRate,
  kVolume,
  kSpeed,
  kPitch,
  kDict,
  kDevice,
  kVoices,
  kTextFile
};

constexpr OptionDef kSayOptions[] = {
    {'h', "help", false, kHelp},   {'v', "voice", true, kVoice},   {'w', "output", true, kOutput},
    {0, "stdout", false, kStdout}, {'t', "type", true, kType},     {'e', "encoding", true, kEncoding},
    {'r', "rate", true, kRate},    {'a', "volume", true, kVolume}, {'s', "speed", true, kSpeed},
    {'p', "pitch", true, kPitch},  {0, "dict", true, kDict},       {0, "device", true, kDevice},
    {0, "voices", true, kVoices},  {'f', "file", true, kTextFile},
};
constexpr OptionDef kPlayOptions[] = {
    {'h', "help", false, kHelp},  {'v', "voice", true, kVoice}, {'a', "volume", true, kVolume},
    {'s', "speed", true, kSpeed}, {'p', "pitch", true, kPitch}, {0, "dict", true, kDict},
    {0, "device", true, kDevice}, {0, "voices", true, kVoices}, {'f', "file", true, kTextFile},
};

constexpr const char* kSayHelp =
    "Usage: orven say [OPTIONS] [-f TEXTFILE | TEXT...]\n"
    "Speak UTF-8 text into an audio file, to standard output, or aloud (without -w and --stdout).\n"
    "The text comes from the arguments, from -f TEXTFILE, or else from standard input.\n"
    "\n"
    "  -v, --voice LANG[:SPEAKER]  ko, en, zh, ja (or korean, english, chinese, japanese),\n"
    "                              speaker 0..9 (default en:0)\n"
    "  -w, --output FILE           write FILE; .wav, .au, .raw, .pcm or .vox gives its type\n"
    "      --stdout                write headerless audio to standard output\n"
    "  -t, --type TYPE             wav, au, raw or vox, whatever the file name says\n"
    "  -e, --encoding ENCODING     pcm16 (default), pcm8, mulaw, alaw, vox (headerless only),\n"
    "                              g721 (au or headerless)\n"
    "  -r, --rate HZ               sampling rate (default: the voice's own)\n"
    "  -a, --volume N              volume 0..200 (default: the voice's own)\n"
    "  -s, --speed N               speed 50..200\n"
    "  -p, --pitch N               pitch 80..120\n"
    "      --dict FILE             user dictionary, one word<TAB>reading per line\n"
    "      --device NAME           sound device for speaking aloud ('default', 'null', an ALSA name)\n"
    "      --voices DIR            voice database (default: $ORVEN_VOICES, then the installed one)\n"
    "  -f, --file TEXTFILE         read the text from TEXTFILE ('-': standard input)\n"
    "  -h, --help                  show this help\n"
    "\n"
    "A rate or encoding that the voice cannot give as asked is refused, never replaced.\n";

constexpr const char* kPlayHelp =
    "Usage: orven play [OPTIONS] [-f TEXTFILE | TEXT...]\n"
    "Speak UTF-8 text aloud on the sound device; Ctrl-C stops it.\n"
    "The text comes from the arguments, from -f TEXTFILE, or else from standard input.\n"
    "\n"
    "  -v, --voice LANG[:SPEAKER]  ko, en, zh, ja (or their English names), speaker 0..9 (default en:0)\n"
    "  -a, --volume N              volume 0..200\n"
    "  -s, --speed N               speed 50..200\n"
    "  -p, --pitch N               pitch 80..120\n"
    "      --dict FILE             user dictionary, one word<TAB>reading per line\n"
    "      --device NAME           'default', 'null' (plays in real time, discards) or an ALSA device\n"
    "      --voices DIR            voice database (default: $ORVEN_VOICES, then the installed one)\n"
    "  -f, --file TEXTFILE         read the text from TEXTFILE ('-': standard input)\n"
    "  -h, --help                  show this help\n";

struct SayOptions {
  Voice voice{ORVN_ENGLISH, 0};
  std::string output;
  bool toStdout = false;
  std::optional<TypeChoice> type;
  std::string typeSpelling;
  std::optional<int32_t> encoding;
  std::optional<int32_t> rate;
  VoiceSettings settings;
  std::string dictionary;
  std::optional<std::string> device;
  std::string voices;
  std::optional<std::string> textFile;
};

// Collects the options; returns an error message for the first bad one.
std::string ReadOptions(const ParsedCommand& command, SayOptions* o) {
  for (const ParsedOption& option : command.options) {
    std::string error;
    int32_t number = 0;
    switch (option.id) {
      case kVoice:
        if (const std::optional<Voice> voice = ParseVoice(option.value)) {
          o->voice = *voice;
          break;
        }
        return "unknown voice '" + option.value + "': use ko, en, zh or ja, with an optional :SPEAKER 0..9";
      case kOutput:
        if (option.value.empty()) return "-w needs a file name";
        o->output = option.value;
        break;
      case kStdout:
        o->toStdout = true;
        break;
      case kType:
        o->type = ParseFileType(option.value);
        o->typeSpelling = option.value;
        if (!o->type) return "unknown type '" + option.value + "': use wav, au, raw or vox";
        break;
      case kEncoding:
        o->encoding = ParseEncoding(option.value);
        if (!o->encoding) return "unknown encoding '" + option.value + "': use pcm16, pcm8, mulaw, alaw, vox or g721";
        break;
      case kRate:
        o->rate = ParseInteger(option.value);
        if (!o->rate || *o->rate <= 0) return "the rate must be a positive number of Hz, not '" + option.value + "'";
        break;
      case kVolume:
        if (!ParseSetting(kVolumeRange, option.value, &number, &error)) return error;
        o->settings.volume = number;
        break;
      case kSpeed:
        if (!ParseSetting(kSpeedRange, option.value, &number, &error)) return error;
        o->settings.speed = number;
        break;
      case kPitch:
        if (!ParseSetting(kPitchRange, option.value, &number, &error)) return error;
        o->settings.pitch = number;
        break;
      case kDict:
        o->dictionary = option.value;
        break;
      case kDevice:
        o->device = option.value;
        break;
      case kVoices:
        o->voices = option.value;
        break;
      case kTextFile:
        o->textFile = option.value;
        break;
    }
  }
  const bool toFile = !o->output.empty();
  if (toFile && o->toStdout) return "-w and --stdout exclude each other";
  if (!toFile && !o->toStdout && (o->type || o->encoding || o->rate))
    return "-t, -e and -r describe an output: give -w FILE or --stdout";
  if ((toFile || o->toStdout) && o->device) return "--device is for speaking aloud, not with -w or --stdout";
  if (o->toStdout && o->type && o->type->fileType != kRawFile)
    return "--stdout writes headerless audio: -t " + o->typeSpelling + " has a header";
  if (toFile && !o->type) {
    o->type = FileTypeFromExtension(o->output);
    if (!o->type)
      return "cannot tell the type of '" + o->output + "' from its name: use .wav, .au, .raw, .pcm or .vox, or -t";
  }
  if (o->textFile && !command.operands.empty()) return "give the text as arguments or with -f, not both";
  return {};
}

// Moves a finished headerless file to standard output. The file is removed
// as soon as it is open (POSIX reads on from the open stream), so a reader
// that goes away, and the SIGPIPE that ends the process, leave nothing behind.
bool MoveToStdout(const std::string& path, std::string* error) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  const bool removed = std::remove(path.c_str()) == 0;
  if (stream == nullptr) {
    *error = "standard output: the audio cannot be read back";
    return false;
  }
  SetBinary(stdout);
  char buffer[65536];
  std::size_t count = 0;
  bool ok = true;
  while (ok && (count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
    ok = std::fwrite(buffer, 1, count, stdout) == count;
  std::fclose(stream);
  if (!removed) std::remove(path.c_str());  // Windows removes no open file
  if (std::fflush(stdout) != 0) ok = false;
  if (!ok) *error = "standard output: write error";
  return ok;
}

int RunSpeak(const char* verb, bool outputs, int argc, char** argv) {
  ParsedCommand command;
  std::string error;
  const std::span<const OptionDef> table = outputs ? std::span<const OptionDef>(kSayOptions) : kPlayOptions;
  if (!ParseCommand(argc, argv, 2, table, &command, &error)) return UsageError(verb, error);
  for (const ParsedOption& option : command.options) {
    if (option.id == kHelp) {
      std::fputs(outputs ? kSayHelp : kPlayHelp, stdout);
      return kExitOk;
    }
  }
  SayOptions o;
  error = ReadOptions(command, &o);
  if (!error.empty()) return UsageError(verb, error);

  std::string text;
  if (!command.operands.empty()) {
    for (const std::string& word : command.operands) text += (text.empty() ? "" : " ") + word;
  } else if (!ReadAll(o.textFile.value_or("-"), &text, &error)) {
    Report(verb, error);
    return kExitFailure;
  }
  text = CleanText(std::move(text));
  if (text.empty()) return UsageError(verb, "no text to speak");

  std::string voices;
  if (!FindVoicesDirectory(o.voices, &voices, &error)) {
    Report(verb, error);
    return kExitFailure;
  }
  Library library;
  int32_t voiceRate = 0;
  if (!library.LoadVoice(o.voice, voices, &voiceRate, &error) ||
      (!o.dictionary.empty() && !CheckDictionary(o.voice, o.dictionary, &error))) {
    Report(verb, error);
    return kExitFailure;
  }
  const std::string attributes = AttributeTags(o.settings);
  if (o.output.empty() && !o.toStdout)
    return SpeakLive(verb, {o.voice, text, attributes, o.dictionary, o.device.value_or("")});

  FileRequest request;
  request.voice = o.voice;
  request.format.fileType = o.toStdout ? kRawFile : o.type->fileType;
  request.format.encoding = o.encoding.value_or(o.type ? o.type->defaultEncoding : kPcm16);
  request.format.rate = o.rate.value_or(voiceRate);
  error = UnreachableReason(request.format, voiceRate);
  if (!error.empty()) return UsageError(verb, "voice " + VoiceLabel(o.voice) + ": " + error);
  request.text = text;
  request.attributes = attributes;
  request.dictionary = o.dictionary;
  if (o.toStdout) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    request.path = (fs::temp_directory_path(ignored) / ("orven-" + std::to_string(ProcessId()) + ".raw")).string();
    request.label = "standard output";
  } else {
    request.path = o.output;
  }
  // Ctrl-C cannot stop a file entry; it ends the process with nothing left behind.
  request.temporary = TemporaryNameBeside(request.path);
  std::atomic<InterruptWatcher*> watcher{nullptr};
  InterruptWatcher interrupts([&] {
    std::remove(request.temporary.c_str());
    if (o.toStdout) std::remove(request.path.c_str());
    if (InterruptWatcher* self = watcher.load()) self->ExitAsInterrupted();
    std::_Exit(kExitFailure);
  });
  watcher = &interrupts;
  const FileOutcome outcome = SpeakToFile(request);
  bool ok = outcome.error.empty();
  if (!ok) error = outcome.error;
  if (ok && o.toStdout) {
    ok = MoveToStdout(request.path, &error);
  }
  if (!ok) Report(verb, error);
  return ok ? kExitOk : kExitFailure;
}

}  // namespace

int RunSay(int argc, char** argv) { return RunSpeak("say", true, argc, argv); }
int RunPlay(int argc, char** argv) { return RunSpeak("play", false, argc, argv); }

}  // namespace orven::cli
