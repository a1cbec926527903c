// Voice descriptor parser: accepted files, every kind of refusal, and junk.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine_test_support.h"
#include "voice_descriptor.h"

namespace {

using syn::DescriptorError;
using syn::parseVoiceDescriptor;
using syn::VoiceDescriptor;

struct Accepted {
  const char* label;
  std::string bytes;
  const char* name;
  int32_t rate;
};

TEST(VoiceDescriptor, AcceptsWellFormedFiles) {
  const std::string nineteen(19, 'n');
  const std::string kMinimal = "name = A\nbackend = tone\nrate = 16000\n";
  const Accepted cases[] = {
      {"plain", "name = Alpha\nbackend = tone\nrate = 16000\n", "Alpha", 16000},
      {"crlf", "name = Alpha\r\nbackend = tone\r\nrate = 8000\r\n", "Alpha", 8000},
      {"comments and blanks", "# voice\n\n  # indented\nname=Two Words\n\t\nbackend= tone \nrate =48000", "Two Words",
       48000},
      {"any key order", "rate = 08000\nbackend = tone\nname = " + nineteen + "\n", nineteen.c_str(), 8000},
      {"exactly 4096 bytes", kMinimal + "#" + std::string(4095 - kMinimal.size(), 'x'), "A", 16000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    VoiceDescriptor v;
    const auto r = parseVoiceDescriptor(c.bytes, v);
    ASSERT_TRUE(r.ok()) << static_cast<int>(r.error);
    EXPECT_STREQ(v.name, c.name);
    EXPECT_STREQ(v.backend, "tone");
    EXPECT_EQ(v.rate, c.rate);
  }
}

struct Refused {
  const char* label;
  std::string bytes;
  DescriptorError error;
  int32_t line;
};

TEST(VoiceDescriptor, RefusesMalformedFiles) {
  const std::string ok = "name = A\nbackend = tone\nrate = 16000\n";
  const Refused cases[] = {
      {"missing name", "backend = tone\nrate = 16000\n", DescriptorError::missingKey, 0},
      {"missing backend", "name = A\nrate = 16000\n", DescriptorError::missingKey, 0},
      {"missing rate", "name = A\nbackend = tone\n", DescriptorError::missingKey, 0},
      {"duplicate key", ok + "name = B\n", DescriptorError::duplicateKey, 4},
      {"unknown key", ok + "gender = x\n", DescriptorError::unknownKey, 4},
      {"byte order mark", "\xEF\xBB\xBF" + ok, DescriptorError::unknownKey, 1},
      {"no equals sign", ok + "rate 16000\n", DescriptorError::badLine, 4},
      {"rate with unit", "name = A\nbackend = tone\nrate = 16k\n", DescriptorError::badValue, 3},
      {"negative rate", "name = A\nbackend = tone\nrate = -16000\n", DescriptorError::badValue, 3},
      {"fractional rate", "name = A\nbackend = tone\nrate = 16000.0\n", DescriptorError::badValue, 3},
      {"empty rate", "name = A\nbackend = tone\nrate =\n", DescriptorError::badValue, 3},
      {"rate too low", "name = A\nbackend = tone\nrate = 7999\n", DescriptorError::rateOutOfRange, 3},
      {"rate too high", "name = A\nbackend = tone\nrate = 48001\n", DescriptorError::rateOutOfRange, 3},
      {"rate overflowing", "name = A\nbackend = tone\nrate = 99999999999999999999\n", DescriptorError::rateOutOfRange, 3},
      {"name of 20 bytes", "name = " + std::string(20, 'n') + "\nbackend = tone\nrate = 16000\n",
       DescriptorError::badValue, 1},
      {"empty name", "name =\nbackend = tone\nrate = 16000\n", DescriptorError::badValue, 1},
      {"control byte in name", "name = A\x01" "B\nbackend = tone\nrate = 16000\n", DescriptorError::badValue, 1},
      {"non-ASCII name", "name = \xC3\xA9\nbackend = tone\nrate = 16000\n", DescriptorError::badValue, 1},
      {"unknown backend", "name = A\nbackend = neural\nrate = 16000\n", DescriptorError::unknownBackend, 2},
      {"over-long backend", "name = A\nbackend = " + std::string(20, 'b') + "\nrate = 16000\n",
       DescriptorError::badValue, 2},
      {"4097 bytes", ok + "#" + std::string(4096 - ok.size(), 'x'), DescriptorError::tooLarge, 0},
      {"NUL byte", std::string("name = A") + '\0' + "\nbackend = tone\nrate = 16000\n", DescriptorError::nulByte, 0},
      {"empty file", "", DescriptorError::missingKey, 0},
      {"only comments", "# name = A\n", DescriptorError::missingKey, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    VoiceDescriptor v;
    std::strcpy(v.name, "untouched");
    const auto r = parseVoiceDescriptor(c.bytes, v);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.line, c.line);
    EXPECT_STREQ(v.name, "untouched");
  }
}

// Random buffers and mutations of a valid file: never a crash, and whatever
// is accepted is a usable voice.
TEST(VoiceDescriptor, SurvivesRandomBytes) {
  std::mt19937 rng(12345);
  const std::string valid = "name = Alpha\nbackend = tone\nrate = 16000\n";
  for (int i = 0; i < 4000; ++i) {
    std::string bytes;
    if (i % 2 == 0) {
      bytes.resize(rng() % 5000);
      for (auto& b : bytes) b = static_cast<char>(rng());
    } else {
      bytes = valid;
      for (int k = 1 + static_cast<int>(rng() % 4); k > 0; --k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
    }
    VoiceDescriptor v;
    if (parseVoiceDescriptor(bytes, v).ok()) {
      EXPECT_GT(std::strlen(v.name), 0u);
      EXPECT_STREQ(v.backend, "tone");
      EXPECT_GE(v.rate, 8000);
      EXPECT_LE(v.rate, 48000);
    }
  }
}

TEST(VoiceDescriptor, FileWrapperRefusesMissingDirectoryAndOversizeFiles) {
  syntest::TempDir tmp;
  VoiceDescriptor v;
  EXPECT_EQ(syn::loadVoiceDescriptor(tmp.dir() + "absent.voice", v).error, DescriptorError::unreadable);
  EXPECT_EQ(syn::loadVoiceDescriptor(tmp.dir(), v).error, DescriptorError::unreadable);
  const std::string big = "name = A\nbackend = tone\nrate = 16000\n#" + std::string(100000, 'x');
  EXPECT_EQ(syn::loadVoiceDescriptor(tmp.write("big.voice", big), v).error, DescriptorError::tooLarge);
}

}  // namespace
