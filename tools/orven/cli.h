// cli.h - what the verbs of the orven command share: option parsing, voices,
// output formats, messages, and speaking into a file without ever leaving a
// half-written one under its final name.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orven_api.h"

namespace orven::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // synthesis or file failure
inline constexpr int kExitUsage = 2;    // the command line asks for something impossible

// ---------------------------------------------------------------------------
// Messages. Every failure goes to standard error as "orven VERB: message".

// "ORVN_ERR_FILE_OPEN (-1): an output or input file cannot be opened".
std::string DescribeCode(int32_t code);
void Report(std::string_view verb, std::string_view message);
// Reports a usage error with a pointer to the verb's help; returns kExitUsage.
int UsageError(std::string_view verb, std::string_view message);

// ---------------------------------------------------------------------------
// Options: short "-x VALUE", "-xVALUE", long "--name VALUE", "--name=VALUE";
// "--" ends the options; options and operands may be mixed.

struct OptionDef {
  char shortName;        // 0: long form only
  const char* longName;  // nullptr: short form only
  bool takesValue;
  int id;
};

struct ParsedOption {
  int id;
  std::string spelling;  // as typed, for messages
  std::string value;
};

struct ParsedCommand {
  std::vector<ParsedOption> options;
  std::vector<std::string> operands;
};

// Parses argv[first..argc); on failure returns false with the reason.
bool ParseCommand(int argc, char** argv, int first, std::span<const OptionDef> table, ParsedCommand* command,
                  std::string* error);

std::optional<int32_t> ParseInteger(std::string_view text);

// A named setting with its allowed range, e.g. volume 0..200.
struct SettingRange {
  const char* name;
  int32_t low;
  int32_t high;
};
inline constexpr SettingRange kVolumeRange{"volume", 0, 200};
inline constexpr SettingRange kSpeedRange{"speed", 50, 200};
inline constexpr SettingRange kPitchRange{"pitch", 80, 120};

// The value as a number within the range, or the reason it is not one.
bool ParseSetting(const SettingRange& range, std::string_view text, int32_t* value, std::string* error);

// ---------------------------------------------------------------------------
// Voices

struct Voice {
  int32_t language;
  int32_t speaker;
};

// "en", "english", "EN:9", "ko:1"; the speaker defaults to 0.
std::optional<Voice> ParseVoice(std::string_view text);
std::string VoiceLabel(Voice voice);  // "en:9"
extern const char* const kLanguageCodes[ORVN_LANGUAGE_COUNT];
extern const char* const kLanguageNames[ORVN_LANGUAGE_COUNT];

// --voices DIR, else $ORVEN_VOICES, else <exe dir>/../share/orven/voices,
// else the source tree's voices/ when run from the build tree. A directory
// named by the option or the environment must exist; there is no fallback.
bool FindVoicesDirectory(const std::string& fromOption, std::string* directory, std::string* error);

// The library initialised for UTF-8 text for the life of the object; the
// voices loaded through it are unloaded again at the end.
class Library {
 public:
  Library();
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads one voice and reads its sampling rate.
  bool LoadVoice(Voice voice, const std::string& directory, int32_t* samplingRate, std::string* error);
  // Loads every speaker of a language that the directory offers.
  bool LoadLanguage(int32_t language, const std::string& directory);

 private:
  std::vector<Voice> voices_;
  std::vector<int32_t> languages_;
};

// Loads a user dictionary on a scratch channel, so that a bad one is
// reported before anything is spoken (the file entries ignore its failure).
bool CheckDictionary(Voice voice, const std::string& path, std::string* error);

// ---------------------------------------------------------------------------
// Output formats

enum FileType : int32_t { kWavFile = 0, kAuFile = 1, kRawFile = 2 };
enum Encoding : int32_t { kPcm16 = 0, kPcm8 = 1, kMuLaw = 2, kALaw = 3, kVox = 4, kG721 = 5 };

struct OutputFormat {
  int32_t fileType = kWavFile;
  int32_t encoding = kPcm16;
  int32_t rate = 0;
};

// A file type as -t names it or an extension implies it: "wav", "au", "snd",
// "raw", "pcm", "vox" (headerless, VOX unless an encoding is given).
struct TypeChoice {
  int32_t fileType;
  int32_t defaultEncoding;
};
std::optional<TypeChoice> ParseFileType(std::string_view name);
std::optional<TypeChoice> FileTypeFromExtension(const std::string& path);
std::optional<int32_t> ParseEncoding(std::string_view name);
const char* EncodingName(int32_t encoding);
const char* FileTypeName(int32_t fileType);

// Empty when the file entries write `format` exactly as asked from a voice
// at `voiceRate` Hz; otherwise why they would not (they would write a
// header without data, or another container, or refuse).
std::string UnreachableReason(const OutputFormat& format, int32_t voiceRate);

// Header bytes the library writes before the data of such a file.
int32_t HeaderBytes(const OutputFormat& format);
double AudioSeconds(const OutputFormat& format, uint64_t dataBytes);

// ---------------------------------------------------------------------------
// Speaking

struct VoiceSettings {
  std::optional<int32_t> volume;
  std::optional<int32_t> speed;
  std::optional<int32_t> pitch;
};
// One attribute string for the engines, e.g. <volume="150"> <speed="120">.
std::string AttributeTags(const VoiceSettings& settings);

struct FileRequest {
  Voice voice{};
  OutputFormat format;
  std::string text;
  std::string path;
  std::string attributes;  // empty: none
  std::string dictionary;  // empty: none
  std::string label;       // names the output in messages; empty: the path
  std::string temporary;   // the name written first; empty: one made by TemporaryNameBeside
};

struct FileOutcome {
  std::string error;  // empty on success
  uint64_t dataBytes = 0;
};

// Speaks into a temporary file beside `request.path` and renames it to the
// final name only when the whole request succeeded; on failure nothing is
// left under either name.
FileOutcome SpeakToFile(const FileRequest& request);

// A file name in the directory of `path` that no other job uses.
std::string TemporaryNameBeside(const std::string& path);

// Reads a whole file ("-": standard input) as bytes.
bool ReadAll(const std::string& path, std::string* contents, std::string* error);
// Text as the engines should see it: no byte-order mark, no trailing line ends.
std::string CleanText(std::string text);

}  // namespace orven::cli
