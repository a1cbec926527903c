// The pure parsers of the engines: voice descriptors and attribute tags.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "text_rules.h"  // attribute tags
#include "voice_descriptor.h"

namespace {

using syn::DescriptorError;

// Accepted forms and every kind of refusal, with its line; a refusal leaves the output alone.
TEST(VoiceDescriptor, ParsesAndRefuses) {
  const std::string ok = "name = A\nbackend = tone\nrate = 16000\n", rate = "name = A\nbackend = tone\nrate = ";
  const std::string tail = "\nbackend = tone\nrate = 16000\n", n19(19, 'n');
  const std::tuple<std::string, DescriptorError, int32_t, std::string, int32_t> cases[] = {
      {"# v\r\n\r\n  # x\r\nname=Two Words \r\n\t\r\nbackend =\ttone\r\nrate = 8000", {}, 0, "Two Words", 8000},
      {"rate = 048000\nbackend = tone\nname = " + n19, {}, 0, n19, 48000},
      {ok + "#" + std::string(4095 - ok.size(), 'x'), {}, 0, "A", 16000},  // exactly 4096 bytes
      {ok + "#" + std::string(4096 - ok.size(), 'x'), DescriptorError::tooLarge, 0, "", 0},
      {std::string("name = A\0", 9) + tail, DescriptorError::nulByte, 0, "", 0},
      {"name = A\nbackend = tone\n", DescriptorError::missingKey, 0, "", 0},
      {ok + "name = B\n", DescriptorError::duplicateKey, 4, "", 0},
      {ok + "gender = x\n", DescriptorError::unknownKey, 4, "", 0},
      {ok + "rate 16000\n", DescriptorError::badLine, 4, "", 0},
      {rate + "16k\n", DescriptorError::badValue, 3, "", 0},
      {rate + "\n", DescriptorError::badValue, 3, "", 0},
      {rate + "7999\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {rate + "48001\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {rate + "99999999999999999999\n", DescriptorError::rateOutOfRange, 3, "", 0},
      {"name = " + n19 + "n" + tail, DescriptorError::badValue, 1, "", 0},
      {"name =" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = A\x7F" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = \xC3\xA9" + tail, DescriptorError::badValue, 1, "", 0},
      {"name = A\nbackend = neural\nrate = 16000\n", DescriptorError::unknownBackend, 2, "", 0},
  };
  for (const auto& [bytes, error, line, name, rate] : cases) {
    syn::VoiceDescriptor v;
    const auto r = syn::parseVoiceDescriptor(bytes, v);
    EXPECT_EQ(std::tuple(r.error, r.line, std::string(v.name), v.rate), std::tuple(error, line, name, rate))
        << testing::PrintToString(bytes);
    EXPECT_STREQ(v.backend, r.ok() ? "tone" : "");
  }
}

// Values are clamped, other engines' tags ignored; a refused text changes nothing, not even its earlier tags.
TEST(AttributeTags, ParsesWellFormedTextsOnly) {
  syn::Attributes a;
  EXPECT_TRUE(syn::parseAttributeTags(" <echo=\"on, loud\">\t<volume=\"999\"><speed=\"1\"><pitch=\"0\"> ", a));
  EXPECT_EQ(std::tuple(a.volume, a.speed, a.pitch), std::tuple(200, 50, 50));
  for (const char* text : {"", "   ", "<volume=\"5\"> text", "<volume=\"5\"><speed=\"x\">", "<volume=\"-5\">",
                           "<volume=\"\">", "<volume=\"1234567890\">", "<volume=5>", "<volume=\"5\"", "<volume=\"5",
                           "<=\"5\">", "<"}) {
    EXPECT_FALSE(syn::parseAttributeTags(text, a)) << text;
    EXPECT_EQ(a.volume, 200) << text;
  }
}

}  // namespace
