// User dictionary files and replacement, attribute tag texts.
#include <gtest/gtest.h>

#include <string>

#include "text_rules.h"

namespace {

using syn::DictError;

struct DictCase {
  const char* label;
  std::string bytes;
  DictError error;
  int32_t line;
  int32_t entries;
};

std::string entries(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += 'w';
    s += std::to_string(i);
    s += "\tr\n";
  }
  return s;
}

TEST(UserDictionary, ParsesAndRefusesFiles) {
  const DictCase cases[] = {
      {"plain", "abc\tx\nde\ty\n", DictError::none, 0, 2},
      {"comments, blank lines, CRLF, no final LF", "# c\r\n\r\nabc\tx\r\n\nde\ty", DictError::none, 0, 2},
      {"empty reading and tabs in reading", "abc\t\nde\ty\tz\n", DictError::none, 0, 2},
      {"empty file", "", DictError::none, 0, 0},
      {"4096 entries", entries(4096), DictError::none, 0, 4096},
      {"no tab", "abc\tx\n# ok\nde y\n", DictError::malformed, 3, 0},
      {"empty word", "abc\tx\n\ty\n", DictError::malformed, 2, 0},
      {"NUL in word", std::string("a") + '\0' + "b\tx\n", DictError::malformed, 1, 0},
      {"4097 entries", std::string("# header\n").append(entries(4097)), DictError::tooLarge, 4098, 0},
      {"over 64 KiB", "a\tb\n" + std::string(65536, '#'), DictError::tooLarge, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    syn::UserDictionary d;
    const auto r = syn::parseUserDictionary(c.bytes, d);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.line, c.line);
    EXPECT_EQ(r.entries, c.entries);
    EXPECT_EQ(d.size(), static_cast<std::size_t>(c.entries));
  }
}

TEST(UserDictionary, ReplacesLongestMatchLeftToRight) {
  const struct {
    const char* label;
    const char* dict;
    const char* text;
    const char* expected;
  } cases[] = {
      {"longest word wins", "ab\tX\nabc\tY\n", "abcab", "YX"},
      {"first of equal words wins", "ab\tX\nab\tZ\n", "ab", "X"},
      {"readings are not rescanned", "a\tb\nb\tc\n", "ab", "bc"},
      {"word at the end, partial match left alone", "xyz\t1\n", "xyxyz", "xy1"},
      {"multi-byte words", "\xED\x95\x9C\than\n", "\xED\x95\x9C!", "han!"},
      {"empty reading deletes", "um\t\n", "um, yes", ", yes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    syn::UserDictionary d;
    ASSERT_EQ(syn::parseUserDictionary(c.dict, d).error, DictError::none);
    EXPECT_EQ(d.apply(c.text), c.expected);
  }
}

TEST(AttributeTags, ParsesWellFormedTextsOnly) {
  const struct {
    const char* text;
    bool ok;
    int32_t volume, speed, pitch;
  } cases[] = {
      {"<volume=\"5\">", true, 5, 100, 100},
      {" <speed=\"150\">\t<pitch=\"110\"> ", true, 100, 150, 110},
      {"<echo=\"on, loud\"><volume=\"0\">", true, 0, 100, 100},
      {"<volume=\"999\"><speed=\"1\"><pitch=\"0\">", true, 200, 50, 50},  // clamped
      {"<pitch=\"007\">", true, 100, 100, 50},
      {"", false, 100, 100, 100},
      {"   ", false, 100, 100, 100},
      {"hello", false, 100, 100, 100},
      {"<volume=\"5\"> text", false, 100, 100, 100},
      {"<volume=\"5\"><speed=\"x\">", false, 100, 100, 100},  // nothing applied
      {"<volume=\"-5\">", false, 100, 100, 100},
      {"<volume=\"\">", false, 100, 100, 100},
      {"<volume=\"1234567890\">", false, 100, 100, 100},
      {"<volume=5>", false, 100, 100, 100},
      {"<volume=\"5\"", false, 100, 100, 100},
      {"<volume=\"5", false, 100, 100, 100},
      {"<volume", false, 100, 100, 100},
      {"<=\"5\">", false, 100, 100, 100},
      {"<>", false, 100, 100, 100},
      {"<", false, 100, 100, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    syn::Attributes a;
    EXPECT_EQ(syn::parseAttributeTags(c.text, a), c.ok);
    EXPECT_EQ(a.volume, c.volume);
    EXPECT_EQ(a.speed, c.speed);
    EXPECT_EQ(a.pitch, c.pitch);
  }
}

}  // namespace
