// speech_request.cpp - the pieces of a request, through the backend to the chunks.
#include "speech_request.h"

#include <atomic>
#include <vector>

#include "text_runs.h"

namespace syn {
namespace {

// Collects one piece's native-rate PCM; says stop once the channel asks for it.
class PieceBuffer final : public PcmSink {
 public:
  explicit PieceBuffer(const std::atomic<bool>& stop) : stop_(stop) {}
  bool Write(const int16_t* samples, std::size_t count) noexcept override {
    if (stop_.load(std::memory_order_acquire)) return false;
    // A piece is at most a few hundred characters: its buffer stays small and is reused.
    try {
      buffered.insert(buffered.end(), samples, samples + count);
    } catch (...) {
      return false;
    }
    return true;
  }
  std::vector<int16_t> buffered;

 private:
  const std::atomic<bool>& stop_;
};

// Passes a backend's PCM straight on to the chunks (and so to the callback) as it comes.
class PassOn final : public PcmSink {
 public:
  explicit PassOn(ChunkedOutput& output) : output_(output) {}
  bool Write(const int16_t* samples, std::size_t count) noexcept override { return output_.Push(samples, count); }

 private:
  ChunkedOutput& output_;
};

const std::atomic<bool> kNeverStop{false};

}  // namespace

bool SpeakText(const SpeechBackend& backend, std::u32string_view characters, const Attributes& prosody, int32_t rate,
               std::size_t chunkSamples, const ChunkTarget& target) {
  ChunkedOutput output;
  if (!output.Open(backend.NativeRate(), rate, chunkSamples, target)) return false;
  std::vector<TextRun> runs;
  SplitTaggedText(characters, prosody, runs);
  const bool collect = backend.Serialised();
  PieceBuffer piece(target.stop != nullptr ? *target.stop : kNeverStop);
  PassOn direct(output);
  bool opening = true;
  for (const TextRun& run : runs) {
    for (std::u32string_view rest = run.text; !rest.empty(); opening = false) {
      // The opening piece is kept short: the first chunk waits for its synthesis (or, streaming, its analysis).
      const std::size_t length = opening ? OpeningPieceLength(rest) : FirstPieceLength(rest);
      if (!collect) {
        if (backend.Speak(rest.substr(0, length), run.prosody, direct) != SpeakStatus::kDone) return false;
      } else {
        piece.buffered.clear();
        if (backend.Speak(rest.substr(0, length), run.prosody, piece) != SpeakStatus::kDone) return false;
        if (!output.Push(piece.buffered.data(), piece.buffered.size())) return false;
      }
      rest.remove_prefix(length);
    }
  }
  return output.Finish();
}

}  // namespace syn
