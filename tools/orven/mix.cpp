// orven mix: two files of one kind into a third, mixed or one after the other.
#include <algorithm>
#include <cstdio>

#include "cli.h"
#include "os.h"
#include "verbs.h"

namespace orven::cli {

namespace {

enum OptionId { kHelp, kType, kEncoding, kRate, kAppend };

constexpr OptionDef kMixOptions[] = {
    {'h', "help", false, kHelp}, {'t', "type", true, kType},    {'e', "encoding", true, kEncoding},
    {'r', "rate", true, kRate},  {0, "append", false, kAppend},
};

constexpr const char* kMixHelp =
    "Usage: orven mix [-t TYPE] [-e ENCODING] [-r RATE] [--append] A B OUT\n"
    "Mix B into A sample by sample (B repeated or cut to the length of A), or with --append\n"
    "write A followed by B, into OUT. A and B must be of the same type, encoding and rate.\n"
    "\n"
    "  -t, --type TYPE          wav, au or raw (default: from the name of OUT, else of A)\n"
    "  -e, --encoding ENCODING  pcm16, pcm8 (mixing), also mulaw, alaw, vox, g721 (--append);\n"
    "                           default: read from the header of A, pcm16 for headerless files\n"
    "  -r, --rate HZ            the rate in the header of OUT (default: the rate of A)\n"
    "      --append             A then B instead of mixing\n"
    "  -h, --help               show this help\n";

constexpr int32_t kMixMode = 2;
constexpr int32_t kAppendMode = 1;  // the first file's data, then the second's

uint32_t Little(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
  return value;
}
uint32_t Big(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

// The encoding and rate in the header of an input, found by comparing it
// with the headers the library writes for each encoding.
bool ReadFormat(const std::string& path, int32_t fileType, int32_t* encoding, int32_t* rate) {
  uint8_t header[ORVN_WAVE_HEADER_MAX] = {};
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return false;
  const std::size_t length = std::fread(header, 1, sizeof header, stream);
  std::fclose(stream);
  for (int32_t candidate = kPcm16; candidate <= kG721; ++candidate) {
    uint8_t made[ORVN_WAVE_HEADER_MAX] = {};
    if (fileType == kWavFile && length >= 44 && ORVN_MakeWaveHeader(candidate, 8000, 0, made) > 0 &&
        std::equal(header, header + 4, made) && std::equal(header + 8, header + 12, made + 8) &&
        Little(header + 20, 2) == Little(made + 20, 2) && Little(header + 34, 2) == Little(made + 34, 2)) {
      *encoding = candidate;
      *rate = static_cast<int32_t>(Little(header + 24, 4));
      return true;
    }
    if (fileType == kAuFile && length >= ORVN_AU_HEADER_BYTES && ORVN_MakeAuHeader(candidate, 8000, 0, made) > 0 &&
        Big(header) == Big(made) && Big(header + 12) == Big(made + 12)) {
      *encoding = candidate;
      *rate = static_cast<int32_t>(Big(header + 16));
      return true;
    }
  }
  return false;
}

}  // namespace

int RunMix(int argc, char** argv) {
  ParsedCommand command;
  std::string error;
  if (!ParseCommand(argc, argv, 2, kMixOptions, &command, &error)) return UsageError("mix", error);
  std::optional<TypeChoice> type;
  std::optional<int32_t> encoding;
  std::optional<int32_t> rate;
  bool append = false;
  for (const ParsedOption& option : command.options) {
    switch (option.id) {
      case kHelp:
        std::fputs(kMixHelp, stdout);
        return kExitOk;
      case kType:
        type = ParseFileType(option.value);
        if (!type) return UsageError("mix", "unknown type '" + option.value + "': use wav, au or raw");
        break;
      case kEncoding:
        encoding = ParseEncoding(option.value);
        if (!encoding)
          return UsageError("mix",
                            "unknown encoding '" + option.value + "': use pcm16, pcm8, mulaw, alaw, vox or g721");
        break;
      case kRate:
        rate = ParseInteger(option.value);
        if (!rate || *rate <= 0)
          return UsageError("mix", "the rate must be a positive number of Hz, not '" + option.value + "'");
        break;
      case kAppend:
        append = true;
        break;
    }
  }
  if (command.operands.size() != 3) return UsageError("mix", "give two input files and one output file");
  const std::string& first = command.operands[0];
  const std::string& second = command.operands[1];
  const std::string& output = command.operands[2];
  if (!type) type = FileTypeFromExtension(output);
  if (!type) type = FileTypeFromExtension(first);
  if (!type) return UsageError("mix", "cannot tell the type of '" + output + "' from its name: give -t");
  const auto unmixable = [&](int32_t chosen) {
    return UsageError("mix", std::string("only pcm16 and pcm8 audio can be mixed, not ") + EncodingName(chosen) +
                                 ": --append joins any encoding");
  };
  if (!append && encoding && *encoding != kPcm16 && *encoding != kPcm8) return unmixable(*encoding);

  for (const std::string* input : {&first, &second}) {
    if (std::FILE* stream = std::fopen(input->c_str(), "rb")) {
      std::fclose(stream);
    } else {
      Report("mix", *input + ": " + DescribeCode(ORVN_ERR_FILE_OPEN));
      return kExitFailure;
    }
  }
  int32_t headerEncoding = type->defaultEncoding;
  int32_t headerRate = 8000;  // headerless files carry no rate, and none is written
  if (type->fileType != kRawFile && (!encoding || !rate) &&
      !ReadFormat(first, type->fileType, &headerEncoding, &headerRate)) {
    Report("mix", first + ": no " + FileTypeName(type->fileType) + " header to read the format from: give -e and -r");
    return kExitFailure;
  }
  const int32_t chosenEncoding = encoding.value_or(headerEncoding);
  if (!append && chosenEncoding != kPcm16 && chosenEncoding != kPcm8) return unmixable(chosenEncoding);

  const std::string temporary = TemporaryNameBeside(output);
  if (ORVN_AudioMixer(first.c_str(), second.c_str(), temporary.c_str(), rate.value_or(headerRate), type->fileType,
                      chosenEncoding, append ? kAppendMode : kMixMode) != 0) {
    const int32_t code = ORVN_GetError();
    std::remove(temporary.c_str());
    Report("mix", (code == ORVN_ERR_FORMAT_MISMATCH ? first + " and " + second : output) + ": " + DescribeCode(code));
    return kExitFailure;
  }
  std::string reason;
  if (!MoveIntoPlace(temporary, output, &reason)) {
    std::remove(temporary.c_str());
    Report("mix", output + ": cannot be written: " + reason);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace orven::cli
