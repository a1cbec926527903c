// StripMarkup on arbitrary bytes: well formed exactly when "<" and ">"
// alternate, starting with "<" and ending with ">"; then no bracket is left
// and the text only shrinks (well within 2L); otherwise nothing, reported as
// malformed.
#include "fuzz_support.h"
#include "orven_api.h"
#include "text/markup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = fuzz::Terminated(data, size);
  const size_t length = std::strlen(text.get());
  bool inTag = false;
  bool wellFormed = true;
  size_t kept = 0;
  for (size_t i = 0; i < length && wellFormed; ++i) {
    const char c = text[i];
    if (c == '<' || c == '>') {
      wellFormed = (c == '<') != inTag;
      inTag = c == '<';
    } else if (!inTag) {
      ++kept;
    }
  }
  wellFormed = wellFormed && !inTag;
  orven::text::Converted result;
  const orven::text::MarkupStatus status = orven::text::StripMarkup(text.get(), result);
  FUZZ_CHECK(static_cast<bool>(result) == wellFormed);
  FUZZ_CHECK(status == (wellFormed ? orven::text::MarkupStatus::kStripped : orven::text::MarkupStatus::kMalformed));
  if (!result) return 0;
  FUZZ_CHECK(result.length == kept);
  FUZZ_CHECK(result.length + 1 <= orven::text::MarkupCapacity(length));
  FUZZ_CHECK(std::strlen(result.bytes.get()) == result.length);
  FUZZ_CHECK(std::memchr(result.bytes.get(), '<', result.length) == nullptr);
  FUZZ_CHECK(std::memchr(result.bytes.get(), '>', result.length) == nullptr);
  return 0;
}
