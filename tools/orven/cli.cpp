#include "cli.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "os.h"

namespace orven::cli {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Messages

std::string DescribeCode(int32_t code) {
#define ORVN_DESCRIBE_(value, name, meaning) \
  if (code == (value)) return std::string(#name " (") + std::to_string(value) + "): " + (meaning);
  ORVN_ERROR_TABLE(ORVN_DESCRIBE_)
#undef ORVN_DESCRIBE_
  return "unknown code " + std::to_string(code);
}

void Report(std::string_view verb, std::string_view message) {
  std::fprintf(stderr, "orven %.*s: %.*s\n", static_cast<int>(verb.size()), verb.data(),
               static_cast<int>(message.size()), message.data());
}

int UsageError(std::string_view verb, std::string_view message) {
  Report(verb, message);
  std::fprintf(stderr, "Try 'orven %.*s --help'.\n", static_cast<int>(verb.size()), verb.data());
  return kExitUsage;
}

// ---------------------------------------------------------------------------
// Options

namespace {

const OptionDef* FindShort(std::span<const OptionDef> table, char name) {
  for (const OptionDef& def : table)
    if (def.shortName != 0 && def.shortName == name) return &def;
  return nullptr;
}

const OptionDef* FindLong(std::span<const OptionDef> table, std::string_view name) {
  for (const OptionDef& def : table)
    if (def.longName != nullptr && name == def.longName) return &def;
  return nullptr;
}

}  // namespace

bool ParseCommand(int argc, char** argv, int first, std::span<const OptionDef> table, ParsedCommand* command,
                  std::string* error) {
  for (int i = first; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") {
      for (++i; i < argc; ++i) command->operands.emplace_back(argv[i]);
      break;
    }
    if (arg.size() > 2 && arg.substr(0, 2) == "--") {
      const std::size_t equals = arg.find('=');
      const std::string_view name = arg.substr(2, equals == std::string_view::npos ? arg.npos : equals - 2);
      const OptionDef* def = FindLong(table, name);
      const std::string spelling = "--" + std::string(name);
      if (def == nullptr) {
        *error = "unknown option '" + spelling + "'";
        return false;
      }
      ParsedOption option{def->id, spelling, {}};
      if (!def->takesValue) {
        if (equals != std::string_view::npos) {
          *error = "option '" + spelling + "' takes no value";
          return false;
        }
      } else if (equals != std::string_view::npos) {
        option.value = arg.substr(equals + 1);
      } else if (i + 1 < argc) {
        option.value = argv[++i];
      } else {
        *error = "option '" + spelling + "' needs a value";
        return false;
      }
      command->options.push_back(std::move(option));
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      // A cluster of short options; one that takes a value takes the rest.
      for (std::size_t j = 1; j < arg.size(); ++j) {
        const OptionDef* def = FindShort(table, arg[j]);
        const std::string spelling = std::string("-") + arg[j];
        if (def == nullptr) {
          *error = "unknown option '" + spelling + "'";
          return false;
        }
        ParsedOption option{def->id, spelling, {}};
        if (def->takesValue) {
          if (j + 1 < arg.size()) {
            option.value = arg.substr(j + 1);
          } else if (i + 1 < argc) {
            option.value = argv[++i];
          } else {
            *error = "option '" + spelling + "' needs a value";
            return false;
          }
          command->options.push_back(std::move(option));
          break;
        }
        command->options.push_back(std::move(option));
      }
      continue;
    }
    command->operands.emplace_back(arg);
  }
  return true;
}

std::optional<int32_t> ParseInteger(std::string_view text) {
  int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value);
  if (text.empty() || status != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool ParseSetting(const SettingRange& range, std::string_view text, int32_t* value, std::string* error) {
  const std::optional<int32_t> number = ParseInteger(text);
  if (!number || *number < range.low || *number > range.high) {
    *error = std::string(range.name) + " must be a whole number in " + std::to_string(range.low) + ".." +
             std::to_string(range.high) + ", not '" + std::string(text) + "'";
    return false;
  }
  *value = *number;
  return true;
}

// ---------------------------------------------------------------------------
// Voices

const char* const kLanguageCodes[ORVN_LANGUAGE_COUNT] = {"ko", "en", "zh", "ja"};
const char* const kLanguageNames[ORVN_LANGUAGE_COUNT] = {"Korean", "English", "Chinese", "Japanese"};

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::optional<Voice> ParseVoice(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view language = text.substr(0, colon);
  Voice voice{-1, 0};
  for (int32_t i = 0; i < ORVN_LANGUAGE_COUNT; ++i)
    if (SameIgnoringCase(language, kLanguageCodes[i]) || SameIgnoringCase(language, kLanguageNames[i]))
      voice.language = i;
  if (voice.language < 0) return std::nullopt;
  if (colon != std::string_view::npos) {
    const std::optional<int32_t> speaker = ParseInteger(text.substr(colon + 1));
    if (!speaker || *speaker < 0 || *speaker >= ORVN_SPEAKER_COUNT - 1) return std::nullopt;
    voice.speaker = *speaker;
  }
  return voice;
}

std::string VoiceLabel(Voice voice) {
  return std::string(kLanguageCodes[voice.language]) + ":" + std::to_string(voice.speaker);
}

bool FindVoicesDirectory(const std::string& fromOption, std::string* directory, std::string* error) {
  std::error_code ignored;
  const auto named = [&](const std::string& path, const char* source) {
    if (fs::is_directory(path, ignored)) {
      *directory = path;
      return true;
    }
    *error = "the voices directory '" + path + "' (" + source + ") does not exist";
    return false;
  };
  if (!fromOption.empty()) return named(fromOption, "from --voices");
  if (const char* environment = std::getenv("ORVEN_VOICES"); environment != nullptr && *environment != 0)
    return named(environment, "from ORVEN_VOICES");

  const std::string executableDirectory = ExecutableDirectory();
  std::string installed = "<prefix>/share/orven/voices";
  if (!executableDirectory.empty()) {
    installed = (fs::path(executableDirectory) / ".." / "share" / "orven" / "voices").lexically_normal().string();
    if (fs::is_directory(installed, ignored)) {
      *directory = installed;
      return true;
    }
#if defined(ORVEN_BUILD_TREE) && defined(ORVEN_SOURCE_VOICES)
    if (fs::equivalent(executableDirectory, ORVEN_BUILD_TREE, ignored) &&
        fs::is_directory(ORVEN_SOURCE_VOICES, ignored)) {
      *directory = ORVEN_SOURCE_VOICES;
      return true;
    }
#endif
  }
  *error = "no voices directory: give --voices DIR or set ORVEN_VOICES (" + installed + " does not exist)";
  return false;
}

Library::Library() {
  ORVN_Initialize();
  ORVN_SetCharSet(nullptr, 1);  // every text the tool hands over is UTF-8
}

Library::~Library() {
  for (const Voice& voice : voices_) ORVN_UnLoadEngineEx(voice.language, voice.speaker);
  for (const int32_t language : languages_) ORVN_UnLoadEngine(language);
  ORVN_UnInitialize();
}

bool Library::LoadVoice(Voice voice, const std::string& directory, int32_t* samplingRate, std::string* error) {
  const int32_t loaded = ORVN_LoadEngineEx(voice.language, voice.speaker, directory.c_str(), 0);
  if (loaded != 0) {
    // 1 is the engine's refusal: there is no such voice in the directory.
    *error = "voice " + VoiceLabel(voice) + ": " + DescribeCode(loaded < 0 ? loaded : ORVN_ERR_NOT_LOADED) +
             " (cannot be loaded from " + directory + ")";
    return false;
  }
  voices_.push_back(voice);
  ORVN_DbInfo info{};
  ORVN_GetDBInfo(voice.language, voice.speaker, &info);
  if (info.dbStatus == -1 || info.samplingRate <= 0) {
    *error = "voice " + VoiceLabel(voice) + " reports no sampling rate";
    return false;
  }
  *samplingRate = info.samplingRate;
  return true;
}

bool Library::LoadLanguage(int32_t language, const std::string& directory) {
  if (ORVN_LoadEngine(language, directory.c_str(), 0) != 0) return false;
  languages_.push_back(language);
  return true;
}

namespace {

int32_t DiscardAudio(void*, ORVN_PcmChunk*) { return 0; }

}  // namespace

bool CheckDictionary(Voice voice, const std::string& path, std::string* error) {
  ORVN_CHANNEL channel = ORVN_CreateThread(nullptr, DiscardAudio, voice.language, voice.speaker);
  if (channel == nullptr) {
    *error = "dictionary " + path + ": " + DescribeCode(ORVN_GetError());
    return false;
  }
  int32_t first = 0, second = 0;
  const int32_t result = ORVN_LoadUserDict(channel, path.c_str(), &first, &second);
  if (result == 1) ORVN_UnLoadUserDict(channel);
  ORVN_DeleteThread(channel);
  if (result == 1) return true;
  *error = "dictionary " + path + ": ";
  if (result < 0) {
    *error += DescribeCode(result);
  } else if (first == 11) {
    *error += "cannot be read";
  } else if (first == 12) {
    *error += "line " + std::to_string(second) + " is not 'word<TAB>reading'";
  } else if (first == 13) {
    *error += "too large";
  } else {
    *error += "refused by the engine (reason " + std::to_string(first) + ", line " + std::to_string(second) + ")";
  }
  return false;
}

// ---------------------------------------------------------------------------
// Output formats

namespace {

struct NamedType {
  const char* name;
  TypeChoice choice;
};
constexpr NamedType kFileTypes[] = {
    {"wav", {kWavFile, kPcm16}}, {"au", {kAuFile, kPcm16}},   {"snd", {kAuFile, kPcm16}},
    {"raw", {kRawFile, kPcm16}}, {"pcm", {kRawFile, kPcm16}}, {"vox", {kRawFile, kVox}},
};

struct NamedEncoding {
  const char* name;
  int32_t encoding;
};
// The first name of each encoding is the one the tool prints.
constexpr NamedEncoding kEncodings[] = {
    {"pcm16", kPcm16}, {"pcm8", kPcm8},   {"mulaw", kMuLaw}, {"alaw", kALaw},  {"vox", kVox},
    {"g721", kG721},   {"u-law", kMuLaw}, {"ulaw", kMuLaw},  {"a-law", kALaw},
};
constexpr int32_t kBitsPerSample[] = {16, 8, 8, 8, 4, 4};

}  // namespace

std::optional<TypeChoice> ParseFileType(std::string_view name) {
  for (const NamedType& type : kFileTypes)
    if (SameIgnoringCase(name, type.name)) return type.choice;
  return std::nullopt;
}

namespace {

// Where the last component of a path starts; either slash separates, which
// on POSIX at worst keeps a backslash in a name of the same directory.
std::size_t NameStart(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? 0 : separator + 1;
}

}  // namespace

std::optional<TypeChoice> FileTypeFromExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < NameStart(path) || dot + 1 == path.size()) return std::nullopt;
  return ParseFileType(std::string_view(path).substr(dot + 1));
}

std::optional<int32_t> ParseEncoding(std::string_view name) {
  for (const NamedEncoding& encoding : kEncodings)
    if (SameIgnoringCase(name, encoding.name)) return encoding.encoding;
  return std::nullopt;
}

const char* EncodingName(int32_t encoding) {
  for (const NamedEncoding& named : kEncodings)
    if (named.encoding == encoding) return named.name;
  return "?";
}

const char* FileTypeName(int32_t fileType) { return fileType == kWavFile ? "wav" : fileType == kAuFile ? "au" : "raw"; }

std::string UnreachableReason(const OutputFormat& format, int32_t voiceRate) {
  if (format.encoding == kVox && format.fileType != kRawFile)
    return "vox audio is only written headerless (type raw, or a .vox or .raw file), not in a " +
           std::string(FileTypeName(format.fileType)) + " file";
  if (format.encoding == kG721 && format.fileType == kWavFile)
    return "g721 has no WAV form and would be written headerless: use an .au file or type raw";
  const std::string rates = std::to_string(format.rate) + " Hz from a voice at " + std::to_string(voiceRate) + " Hz";
  if (format.rate <= 0) return "the rate must be a positive number of Hz, not " + std::to_string(format.rate);
  if (format.rate == voiceRate) return {};
  if (format.rate == 8000) {
    if (voiceRate == 16000) return {};
    return "cannot write " + rates + ": 8000 Hz is made only from 16000 Hz voices";
  }
  if (format.rate < voiceRate || (format.rate == 16000 && voiceRate == 8000)) return {};
  return "cannot write " + rates + ": rates above the voice's own are made only from 8000 to 16000 Hz";
}

int32_t HeaderBytes(const OutputFormat& format) {
  uint8_t header[ORVN_WAVE_HEADER_MAX];
  if (format.fileType == kWavFile) return ORVN_MakeWaveHeader(format.encoding, format.rate, 0, header);
  if (format.fileType == kAuFile) return ORVN_MakeAuHeader(format.encoding, format.rate, 0, header);
  return 0;
}

double AudioSeconds(const OutputFormat& format, uint64_t dataBytes) {
  if (format.rate <= 0 || format.encoding < 0 || format.encoding > kG721) return 0.0;
  return static_cast<double>(dataBytes) * 8.0 / (kBitsPerSample[format.encoding] * static_cast<double>(format.rate));
}

// ---------------------------------------------------------------------------
// Speaking

std::string AttributeTags(const VoiceSettings& settings) {
  std::string tags;
  const auto add = [&](const char* name, const std::optional<int32_t>& value) {
    if (!value) return;
    if (!tags.empty()) tags += ' ';
    tags += std::string("<") + name + "=\"" + std::to_string(*value) + "\">";
  };
  add("volume", settings.volume);
  add("speed", settings.speed);
  add("pitch", settings.pitch);
  return tags;
}

std::string TemporaryNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t start = NameStart(path);
  return path.substr(0, start) + "." + path.substr(start) + ".orven-" + std::to_string(ProcessId()) + "-" +
         std::to_string(counter.fetch_add(1)) + ".part";
}

FileOutcome SpeakToFile(const FileRequest& request) {
  FileOutcome outcome;
  const std::string& name = request.label.empty() ? request.path : request.label;
  const std::string temporary = request.temporary.empty() ? TemporaryNameBeside(request.path) : request.temporary;
  const OutputFormat& format = request.format;
  const int32_t result = ORVN_TextToFile(request.voice.language, request.voice.speaker, format.fileType,
                                         format.encoding, format.rate, request.text.c_str(), temporary.c_str(),
                                         request.attributes.empty() ? nullptr : request.attributes.c_str(),
                                         request.dictionary.empty() ? nullptr : request.dictionary.c_str());
  const std::optional<uint64_t> size = result == 0 ? FileSize(temporary) : std::nullopt;
  const auto header = static_cast<uint64_t>(HeaderBytes(format));
  if (result != 0) {
    outcome.error =
        name + ": " +
        (result < 0 ? DescribeCode(result)
                    : "the engine answered " + std::to_string(result) + "; last " + DescribeCode(ORVN_GetError()));
  } else if (!size || *size <= header) {
    // The entry reports success for a request whose text the engine refused
    // (malformed markup, say); only the empty data shows it.
    const int32_t last = ORVN_GetError();
    outcome.error = name + ": no audio was produced" + (last != 0 ? "; last " + DescribeCode(last) : "");
  } else {
    std::string reason;
    if (MoveIntoPlace(temporary, request.path, &reason)) {
      outcome.dataBytes = *size - header;
      return outcome;
    }
    outcome.error = name + ": cannot be written: " + reason;
  }
  std::remove(temporary.c_str());
  return outcome;
}

bool ReadAll(const std::string& path, std::string* contents, std::string* error) {
  std::FILE* stream = stdin;
  if (path == "-") {
    SetBinary(stdin);
  } else {
    stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) {
      *error = path + ": cannot be opened: " + std::generic_category().message(errno);
      return false;
    }
  }
  char buffer[65536];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) contents->append(buffer, count);
  const bool failed = std::ferror(stream) != 0;
  if (stream != stdin) std::fclose(stream);
  if (failed) *error = (path == "-" ? std::string("standard input") : path) + ": read error";
  return !failed;
}

std::string CleanText(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace orven::cli
