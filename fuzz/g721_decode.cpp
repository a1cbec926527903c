// The G.721 coder on arbitrary input, in exactly sized heap buffers:
//  - the bytes decode into two samples each; the whole-buffer decoder and
//    the per-sample one agree;
//  - the bytes taken as 16-bit samples encode into (n + 1) / 2 bytes; the
//    whole-buffer encoder and the per-sample one agree, and a decoder fed
//    the codes tracks the encoder's state sample by sample.
#include <cstring>
#include <memory>

#include "audio/encoders/g721.h"
#include "fuzz_support.h"

namespace {

using orven::audio::AdpcmState;

bool SameState(const AdpcmState& a, const AdpcmState& b) {
  return a.yl == b.yl && a.yu == b.yu && a.dms == b.dms && a.dml == b.dml && a.ap == b.ap && a.a1 == b.a1 &&
         a.a2 == b.a2 && std::memcmp(a.b, b.b, sizeof a.b) == 0 && a.pk1 == b.pk1 && a.pk2 == b.pk2 &&
         std::memcmp(a.dq, b.dq, sizeof a.dq) == 0 && a.sr1 == b.sr1 && a.sr2 == b.sr2 && a.td == b.td;
}

void Decode(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> in(new uint8_t[size]);
  std::memcpy(in.get(), data, size);
  std::unique_ptr<int16_t[]> out(new int16_t[2 * size]);
  FUZZ_CHECK(orven::audio::G721Decode(in.get(), size, out.get()) == 2 * size);
  AdpcmState state = orven::audio::G721InitialState();
  for (size_t i = 0; i < 2 * size; ++i) {
    const uint8_t code = i % 2 ? in[i / 2] & 15 : in[i / 2] >> 4;
    FUZZ_CHECK(orven::audio::G721DecodeSample(state, code) == out[i]);
  }
}

void Encode(const uint8_t* data, size_t size) {
  const size_t n = size / 2;
  std::unique_ptr<int16_t[]> in(new int16_t[n]);
  std::memcpy(in.get(), data, 2 * n);
  const size_t bytes = (n + 1) / 2;
  std::unique_ptr<uint8_t[]> out(new uint8_t[bytes]);
  FUZZ_CHECK(orven::audio::G721Encode(in.get(), n, out.get()) == bytes);
  AdpcmState encoder = orven::audio::G721InitialState();
  AdpcmState decoder = encoder;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t code = orven::audio::G721EncodeSample(encoder, in[i]);
    FUZZ_CHECK(code == (i % 2 ? out[i / 2] & 15 : out[i / 2] >> 4));
    orven::audio::G721DecodeSample(decoder, code);
    FUZZ_CHECK(SameState(encoder, decoder));
  }
  if (n % 2 != 0) FUZZ_CHECK((out[bytes - 1] & 15) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size);
  Encode(data, size);
  return 0;
}
