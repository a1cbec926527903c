// orven info and orven errors: what the library, its engines and the voices
// say about themselves, and the library's error codes.
#include <cstdio>
#include <string>

#include "cli.h"
#include "verbs.h"

namespace orven::cli {

namespace {

enum OptionId { kHelp, kVoices, kJson };

constexpr OptionDef kInfoOptions[] = {
    {'h', "help", false, kHelp},
    {0, "voices", true, kVoices},
    {0, "json", false, kJson},
};

constexpr const char* kInfoHelp =
    "Usage: orven info [--voices DIR] [--json]\n"
    "Show the library version, the four language engines and every voice in the voice database\n"
    "with its name, backend, sampling rate, channel limit and text limit.\n"
    "\n"
    "      --voices DIR   voice database (default: $ORVEN_VOICES, then the installed one)\n"
    "      --json         one JSON object instead of the tables\n"
    "  -h, --help         show this help\n";

constexpr const char* kErrorsHelp =
    "Usage: orven errors\n"
    "List the library's error codes with their names and meanings.\n";

struct Speaker {
  Voice voice;
  ORVN_DbInfo db;
  int32_t channelLimit;
  int32_t textLimit;
};

// A fixed-size text field of the library's records, up to its terminator.
template <std::size_t N>
std::string Field(const char (&text)[N]) {
  std::size_t length = 0;
  while (length < N && text[length] != 0) ++length;
  return std::string(text, length);
}

// The engines' texts are single-byte; bytes beyond ASCII are shown as Latin-1.
std::string Json(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

int RunInfo(int argc, char** argv) {
  ParsedCommand command;
  std::string error;
  if (!ParseCommand(argc, argv, 2, kInfoOptions, &command, &error)) return UsageError("info", error);
  bool json = false;
  std::string voicesOption;
  for (const ParsedOption& option : command.options) {
    if (option.id == kHelp) {
      std::fputs(kInfoHelp, stdout);
      return kExitOk;
    }
    if (option.id == kJson) json = true;
    if (option.id == kVoices) voicesOption = option.value;
  }
  if (!command.operands.empty()) return UsageError("info", "unexpected argument '" + command.operands[0] + "'");
  std::string voices;
  if (!FindVoicesDirectory(voicesOption, &voices, &error)) {
    Report("info", error);
    return kExitFailure;
  }

  Library library;
  ORVN_EngineInfo engines[ORVN_LANGUAGE_COUNT] = {};
  std::vector<Speaker> speakers;
  for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
    ORVN_GetEngineInfo(language, &engines[language]);
    if (!library.LoadLanguage(language, voices)) continue;
    for (int32_t speaker = 0; speaker < ORVN_SPEAKER_COUNT; ++speaker) {
      Speaker entry{{language, speaker}, {}, 0, 0};
      ORVN_GetDBInfo(language, speaker, &entry.db);
      if (entry.db.dbStatus == -1) continue;
      int32_t open = 0;
      ORVN_GetChannelInfoEx(language, speaker, &open, &entry.channelLimit);
      entry.textLimit = ORVN_GetTextLimitLength(language, speaker);
      speakers.push_back(entry);
    }
  }
  const std::string libraryVersion = Field(engines[0].libraryVersion);

  if (json) {
    std::printf("{\n  \"tool_version\": %s,\n  \"library_version\": %s,\n  \"voices_directory\": %s,\n",
                Json(ORVEN_VERSION).c_str(), Json(libraryVersion).c_str(), Json(voices).c_str());
    std::printf("  \"engines\": [\n");
    for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
      const ORVN_EngineInfo& e = engines[language];
      std::printf(
          "    {\"language\": %s, \"language_name\": %s, \"description\": %s, \"engine\": %s, "
          "\"version\": %s}%s\n",
          Json(kLanguageCodes[language]).c_str(), Json(kLanguageNames[language]).c_str(),
          Json(Field(e.engineText1)).c_str(), Json(Field(e.engineText2)).c_str(), Json(Field(e.engineText3)).c_str(),
          language + 1 < ORVN_LANGUAGE_COUNT ? "," : "");
    }
    std::printf("  ],\n  \"speakers\": [\n");
    for (std::size_t i = 0; i < speakers.size(); ++i) {
      const Speaker& s = speakers[i];
      std::printf(
          "    {\"voice\": %s, \"language\": %s, \"speaker\": %d, \"name\": %s, \"backend\": %s, "
          "\"rate\": %d, \"channel_limit\": %d, \"text_limit\": %d}%s\n",
          Json(VoiceLabel(s.voice)).c_str(), Json(kLanguageCodes[s.voice.language]).c_str(), s.voice.speaker,
          Json(Field(s.db.dbText1)).c_str(), Json(Field(s.db.dbText2)).c_str(), s.db.samplingRate, s.channelLimit,
          s.textLimit, i + 1 < speakers.size() ? "," : "");
    }
    std::printf("  ]\n}\n");
  } else {
    std::printf("orven %s, library %s\nvoices: %s\n\n", ORVEN_VERSION, libraryVersion.c_str(), voices.c_str());
    std::printf("%-9s %-20s %-20s %s\n", "LANGUAGE", "ENGINE", "VERSION", "DESCRIPTION");
    for (int32_t language = 0; language < ORVN_LANGUAGE_COUNT; ++language) {
      const ORVN_EngineInfo& e = engines[language];
      std::printf("%-9s %-20s %-20s %s\n", kLanguageCodes[language], Field(e.engineText2).c_str(),
                  Field(e.engineText3).c_str(), Field(e.engineText1).c_str());
    }
    std::printf("\n%-6s %-20s %-20s %6s %9s %11s\n", "VOICE", "NAME", "BACKEND", "RATE", "CHANNELS", "TEXT LIMIT");
    for (const Speaker& s : speakers) {
      const std::string textLimit = s.textLimit == 0 ? "none" : std::to_string(s.textLimit);
      std::printf("%-6s %-20s %-20s %6d %9d %11s\n", VoiceLabel(s.voice).c_str(), Field(s.db.dbText1).c_str(),
                  Field(s.db.dbText2).c_str(), s.db.samplingRate, s.channelLimit, textLimit.c_str());
    }
  }
  if (speakers.empty()) {
    Report("info", "no voice could be loaded from " + voices);
    return kExitFailure;
  }
  return kExitOk;
}

int RunErrors(int argc, char** argv) {
  if (argc == 3 && (std::string(argv[2]) == "--help" || std::string(argv[2]) == "-h")) {
    std::fputs(kErrorsHelp, stdout);
    return kExitOk;
  }
  if (argc > 2) return UsageError("errors", "unexpected argument '" + std::string(argv[2]) + "'");
#define ORVN_PRINT_ROW_(value, name, meaning) std::printf("%5d  %-26s %s\n", value, #name, meaning);
  ORVN_ERROR_TABLE(ORVN_PRINT_ROW_)
#undef ORVN_PRINT_ROW_
  return kExitOk;
}

}  // namespace orven::cli
