// pcm_output.h - from a backend's native-rate PCM to the channel's callback:
// streaming resampling to the voice's rate, fixed-size chunks, byte swap and
// the stop flag.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine_abi.h"  // ORVN_SynthesisCallback

struct soxr;

namespace syn {

// A streaming rate converter (libsoxr, high quality, no dither, so the
// output does not depend on how the input is cut). Equal rates pass the
// samples through untouched.
class StreamResampler {
 public:
  StreamResampler() = default;
  StreamResampler(const StreamResampler&) = delete;
  StreamResampler& operator=(const StreamResampler&) = delete;
  ~StreamResampler();

  // False when the converter cannot be made (or this build has none and the rates differ).
  bool Open(int32_t inRate, int32_t outRate) noexcept;
  bool Passthrough() const noexcept { return converter_ == nullptr; }
  // Converts `count` samples (or, with `in` null, flushes what the filter holds
  // back), writing at most `capacity`. `consumed` tells how much input was
  // taken; call again with the rest while it is short of `count`.
  std::size_t Process(const int16_t* in, std::size_t count, std::size_t& consumed, int16_t* out,
                      std::size_t capacity) noexcept;

 private:
  soxr* converter_ = nullptr;
};

// Where the chunks go.
struct ChunkTarget {
  ORVN_SynthesisCallback callback = nullptr;
  void* userData = nullptr;
  bool swapBytes = false;
  const std::atomic<bool>* stop = nullptr;  // checked before every chunk
};

// Cuts the converted PCM into chunks of exactly `chunkSamples` (the last
// one shorter) and hands each to the callback, unless a stop was asked for.
// Allocates only when opened; the callback runs on the caller's thread with
// no lock of ours held.
class ChunkedOutput {
 public:
  bool Open(int32_t inRate, int32_t outRate, std::size_t chunkSamples, const ChunkTarget& target);
  // False once a stop was seen: nothing more is delivered.
  bool Push(const int16_t* samples, std::size_t count) noexcept;
  // Flushes the converter and the last partial chunk.
  bool Finish() noexcept;

 private:
  bool Convert(const int16_t* samples, std::size_t count) noexcept;
  bool Append(const int16_t* samples, std::size_t count) noexcept;
  bool Deliver(std::size_t count) noexcept;

  StreamResampler resampler_;
  ChunkTarget target_;
  std::vector<int16_t> chunk_;
  std::vector<int16_t> converted_;
  std::size_t filled_ = 0;
};

}  // namespace syn
