// StripMarkup.
#include "text/markup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api/library.h"
#include "orven_api.h"
#include "test_support.h"

namespace orven::text {
namespace {

using testing::BlockSize;
using testing::Text;

struct Case {
  const char* name;
  std::string in;
  const char* out;  // nullptr: rejected
};

TEST(StripMarkup, RemovesEveryTagOrRejectsTheText) {
  const std::vector<Case> cases = {
      {"empty", "", ""},
      {"no tags unchanged", "plain text, 1 + 2 = 3", "plain text, 1 + 2 = 3"},
      {"one tag is an empty text", "<speed=80>", ""},
      {"empty tag", "<>", ""},
      {"tag before", "<b>bold", "bold"},
      {"tag after", "bold</b>", "bold"},
      {"tag inside", "a<x>b", "ab"},
      {"adjacent tags", "<a><b>text</b></a>", "text"},
      {"tags with spaces kept around", " <p> x </p> ", "  x  "},
      {"tag holding other characters", "a<x y='1' z=\"2\" / & ;>b", "ab"},
      {"non-ASCII outside tags", "\xEA\xB0\x80<t>\xE4\xB8\xAD", "\xEA\xB0\x80\xE4\xB8\xAD"},
      {"> before the first <", "a>b<c>", nullptr},
      {"> alone", ">", nullptr},
      {"<<>", "<<>", nullptr},
      {"nested tags", "<a<b>>", nullptr},
      {"< alone", "<", nullptr},
      {"a<b", "a<b", nullptr},
      {"<> then <", "<>x<", nullptr},
      {"<> then >", "<>x>", nullptr},
      {"< > >", "<a>b>", nullptr},
  };
  for (const auto& c : cases) {
    SetLastError(ORVN_OK);
    const Converted r = StripMarkup(c.in.c_str());
    if (c.out == nullptr) {
      EXPECT_FALSE(r) << c.name;
      EXPECT_EQ(ORVN_GetError(), ORVN_ERR_MARKUP) << c.name;
      EXPECT_EQ(ORVN_ERR_MARKUP, -22);
    } else {
      EXPECT_EQ(Text(r), c.out) << c.name;
      EXPECT_EQ(ORVN_GetError(), ORVN_OK) << c.name << ": success leaves the last error";
      if (r) {
        EXPECT_EQ(r.length, std::strlen(r.bytes.get()));
      }
    }
  }
}

// Brackets at every offset around the eight-byte blocks.
TEST(StripMarkup, FindsBracketsAtAnyOffset) {
  for (size_t before = 0; before < 20; ++before) {
    for (size_t inside = 0; inside < 20; ++inside) {
      for (size_t after = 0; after < 12; ++after) {
        const std::string a(before, 'a'), t(inside, 't'), b(after, 'b');
        EXPECT_EQ(Text(StripMarkup((a + "<" + t + ">" + b).c_str())), a + b);
        EXPECT_FALSE(StripMarkup((a + "<" + t + b).c_str()));
        EXPECT_FALSE(StripMarkup((a + t + ">" + b).c_str()));
        EXPECT_FALSE(StripMarkup((a + "<" + t + "<" + b + ">").c_str()));
      }
    }
  }
}

TEST(StripMarkup, LeavesTheLastErrorAloneOnNull) {
  SetLastError(-7);
  EXPECT_FALSE(StripMarkup(nullptr));
  EXPECT_EQ(ORVN_GetError(), -7);
}

TEST(StripMarkup, OutputBufferHoldsTwiceTheInput) {
  for (const std::string in : {"", "x", "<a>", "abc<d>efgh", "no tags at all"}) {
    const Converted r = StripMarkup(in.c_str());
    ASSERT_TRUE(r);
    EXPECT_GE(BlockSize(r), MarkupCapacity(in.size()));
  }
  EXPECT_EQ(MarkupCapacity(0), 1u);
  EXPECT_EQ(MarkupCapacity(5), 10u);
}

TEST(StripMarkup, LeavesItsInputAlone) {
  const std::string in = "a<b>c";
  std::string copy = in;
  StripMarkup(copy.c_str());
  EXPECT_EQ(copy, in);
}

}  // namespace
}  // namespace orven::text
