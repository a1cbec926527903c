// The engine core's side of speech: how a request's audio travels from a backend to the callback (held back under a
// synthesiser's lock, streamed otherwise), how a stop reaches a streaming backend, and that flite's streamed
// stretches add up to exactly its own waveform.
#include <flite/flite.h>

#include "speech_request.h"
#include "test_support.h"

extern "C" cst_voice* register_cmu_us_kal16(const char* voxdir);

namespace {

using orven_test::Pcm;

constexpr std::size_t kChunk = 160;  // samples

// A channel's side: every chunk it was handed, and the stop it may ask for.
struct Listener : Pcm {
  std::atomic<bool> stop{false};
  syn::ChunkTarget Target() { return {&Pcm::Collect, static_cast<Pcm*>(this), false, &stop}; }
};

// Writes each piece in stretches of 100 samples (value: the piece's number), noting how many chunks the listener had
// been handed before each stretch and how many samples it got accepted after the stop was asked for.
class StretchBackend final : public syn::SpeechBackend {
 public:
  StretchBackend(bool serialised, const Listener& listener) : serialised_(serialised), listener_(listener) {}
  int32_t NativeRate() const noexcept override { return 16000; }
  bool Serialised() const noexcept override { return serialised_; }
  syn::SpeakStatus Speak(std::u32string_view text, const syn::Attributes&, syn::PcmSink& sink) const noexcept override {
    const std::vector<int16_t> stretch(100, static_cast<int16_t>(pieces.size()));
    pieces.emplace_back(text);
    chunksBefore.emplace_back();
    for (int i = 0; i < 12; ++i) {
      chunksBefore.back().push_back(listener_.chunks.size());
      const bool stopping = listener_.stop.load();
      if (!sink.Write(stretch.data(), stretch.size())) return syn::SpeakStatus::kStopped;
      if (stopping) acceptedAfterStop += stretch.size();
    }
    return syn::SpeakStatus::kDone;
  }

  mutable std::vector<std::u32string> pieces;
  mutable std::vector<std::vector<std::size_t>> chunksBefore;  // per piece, per stretch
  mutable std::size_t acceptedAfterStop = 0;

 private:
  const bool serialised_;
  const Listener& listener_;
};

const char32_t kText[] = U"First sentence. Second one. <speed=\"150\">Third.";

// Both kinds of backend give the same chunks; only a backend without a lock of its own sees its audio leave while it
// is still speaking, and a stop reaches it within a chunk.
TEST(SpeakText, StreamsUnlessTheBackendHoldsALock) {
  std::vector<int16_t> first;
  for (bool serialised : {true, false}) {
    const char* what = serialised ? "serialised backend" : "streaming backend";
    Listener listener;
    const StretchBackend backend(serialised, listener);
    EXPECT_TRUE(syn::SpeakText(backend, kText, {}, 16000, kChunk, listener.Target())) << what;
    ASSERT_EQ(backend.pieces.size(), 3u) << what;
    EXPECT_EQ(listener.samples.size(), 3u * 12 * 100) << what;
    EXPECT_EQ(std::count(listener.chunks.begin(), listener.chunks.end(), 2 * kChunk), listener.chunks.size() - 1)
        << what;
    if (first.empty()) first = listener.samples;
    EXPECT_EQ(listener.samples, first) << what << ": the same audio either way";
    // Under a lock nothing leaves while a piece is spoken; streaming, the second chunk is out by its last stretch.
    for (const std::vector<std::size_t>& seen : backend.chunksBefore) {
      EXPECT_TRUE(serialised ? seen.front() == seen.back() : seen.back() - seen.front() >= 2)
          << what << ": chunks " << seen.front() << " to " << seen.back() << " during a piece";
    }
  }
}

TEST(SpeakText, AStopEndsTheRequestAtTheNextChunk) {
  for (bool serialised : {true, false}) {
    const char* what = serialised ? "serialised backend" : "streaming backend";
    Listener listener;
    listener.onChunk = [&](size_t n) { listener.stop = n >= 3; };
    const StretchBackend backend(serialised, listener);
    EXPECT_FALSE(syn::SpeakText(backend, kText, {}, 16000, kChunk, listener.Target())) << what;
    EXPECT_EQ(listener.chunks.size(), 3u) << what;
    EXPECT_EQ(backend.pieces.size(), 1u) << what << ": no piece after the stop";
    // What a streaming backend still gets accepted after the stop fills at most the chunk that was being filled.
    EXPECT_LT(backend.acceptedAfterStop, kChunk) << what;
  }
}

// Only the request's opening piece is cut short (at any clause mark, or at a blank after 60 characters), since the
// first chunk waits for it; the pieces after it keep the ordinary cuts.
TEST(SpeakText, OnlyTheOpeningPieceIsCutShort) {
  const std::u32string longClause =
      U"Every word of this opening sentence runs on without a single mark for well over sixty characters. Next.";
  struct Row {
    const char* what;
    std::u32string text;
    std::vector<std::u32string> pieces;
  } rows[] = {
      {"a comma cuts the opening piece only",
       U"Well, this one has a comma, and goes on. Then, more.",
       {U"Well, ", U"this one has a comma, and goes on. ", U"Then, more."}},
      {"a blank after sixty characters",
       longClause,
       {longClause.substr(0, 61), longClause.substr(61, longClause.size() - 61 - 5), U"Next."}},
      {"a full-width comma, no blanks",
       U"今天天气很好，我们去公园吧，好不好。",
       {U"今天天气很好，", U"我们去公园吧，好不好。"}},
      {"a short sentence as it is", U"Yes. No, thank you.", {U"Yes. ", U"No, thank you."}},
  };
  for (const Row& row : rows) {
    Listener listener;
    const StretchBackend backend(false, listener);
    EXPECT_TRUE(syn::SpeakText(backend, row.text, {}, 16000, kChunk, listener.Target()));
    EXPECT_EQ(backend.pieces, row.pieces) << row.what;
  }
}

// kal16 uses no random numbers: through the library, a sentence at the voice's own rate and volume comes out as
// exactly the samples of flite's own waveform, however the stretches fell.
TEST(FliteStream, StretchesAddUpToTheWaveform) {
  ORVN_Initialize();
  ASSERT_EQ(ORVN_LoadEngineEx(ORVN_ENGLISH, 3, ORVEN_SHIPPED_VOICES_DIR, 0), 0);
  const char* const text = "Streaming must not drop or repeat a single sample";
  Pcm pcm;
  ORVN_CHANNEL channel = ORVN_CreateThread(&pcm, &Pcm::Collect, ORVN_ENGLISH, 3);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(ORVN_TextToSpeech(channel, text, 1), 1);
  ORVN_DeleteThread(channel);
  flite_init();
  static cst_voice* const kal16 = register_cmu_us_kal16(nullptr);  // kept for the process, like the library's
  cst_wave* wave = flite_text_to_wave(text, kal16);
  ASSERT_NE(wave, nullptr);
  EXPECT_EQ(pcm.samples, std::vector<int16_t>(wave->samples, wave->samples + wave->num_samples));
  delete_wave(wave);
}

}  // namespace
