// pcm_output.cpp - resampling and chunked delivery.
#include "pcm_output.h"

#include <algorithm>

#if ORVEN_HAVE_SOXR
#include <soxr.h>
#endif

namespace syn {
namespace {

// Converted samples are staged in blocks of this size.
constexpr std::size_t kConvertBlock = 4096;

}  // namespace

StreamResampler::~StreamResampler() {
#if ORVEN_HAVE_SOXR
  if (converter_ != nullptr) soxr_delete(converter_);
#endif
}

bool StreamResampler::Open(int32_t inRate, int32_t outRate) noexcept {
  if (inRate == outRate) return true;
#if ORVEN_HAVE_SOXR
  const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
  soxr_io_spec_t ioSpec = io;
  ioSpec.flags |= SOXR_NO_DITHER;  // dither would make the output depend on the chunking
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  converter_ = soxr_create(inRate, outRate, 1, &error, &ioSpec, &quality, nullptr);
  return error == nullptr && converter_ != nullptr;
#else
  return false;
#endif
}

std::size_t StreamResampler::Process(const int16_t* in, std::size_t count, std::size_t& consumed, int16_t* out,
                                     std::size_t capacity) noexcept {
  if (converter_ == nullptr) {
    consumed = std::min(count, capacity);
    std::copy_n(in, consumed, out);
    return consumed;
  }
#if ORVEN_HAVE_SOXR
  std::size_t done = 0;
  consumed = 0;
  if (soxr_process(converter_, in, in == nullptr ? 0 : count, &consumed, out, capacity, &done) != nullptr) {
    consumed = count;  // a failing converter swallows the input rather than loop
    return 0;
  }
  return done;
#else
  consumed = count;
  return 0;
#endif
}

bool ChunkedOutput::Open(int32_t inRate, int32_t outRate, std::size_t chunkSamples, const ChunkTarget& target) {
  target_ = target;
  chunk_.assign(std::max<std::size_t>(chunkSamples, 1), 0);
  filled_ = 0;
  if (!resampler_.Open(inRate, outRate)) return false;
  if (!resampler_.Passthrough()) converted_.assign(kConvertBlock, 0);
  return true;
}

bool ChunkedOutput::Push(const int16_t* samples, std::size_t count) noexcept {
  return resampler_.Passthrough() ? Append(samples, count) : Convert(samples, count);
}

bool ChunkedOutput::Finish() noexcept {
  if (!resampler_.Passthrough() && !Convert(nullptr, 0)) return false;
  return filled_ == 0 || Deliver(filled_);
}

// With `samples` null, drains the converter until it has nothing more.
bool ChunkedOutput::Convert(const int16_t* samples, std::size_t count) noexcept {
  for (;;) {
    std::size_t consumed = 0;
    const std::size_t made = resampler_.Process(samples, count, consumed, converted_.data(), converted_.size());
    if (made > 0 && !Append(converted_.data(), made)) return false;
    if (samples != nullptr) {
      samples += consumed;
      count -= consumed;
      if (count == 0 && made < converted_.size()) return true;
    } else if (made == 0) {
      return true;
    }
  }
}

bool ChunkedOutput::Append(const int16_t* samples, std::size_t count) noexcept {
  while (count > 0) {
    const std::size_t n = std::min(count, chunk_.size() - filled_);
    std::copy_n(samples, n, chunk_.data() + filled_);
    filled_ += n;
    samples += n;
    count -= n;
    if (filled_ == chunk_.size() && !Deliver(filled_)) return false;
  }
  return true;
}

bool ChunkedOutput::Deliver(std::size_t count) noexcept {
  filled_ = 0;
  if (target_.stop != nullptr && target_.stop->load(std::memory_order_acquire)) return false;
  if (target_.callback == nullptr) return true;
  if (target_.swapBytes) {
    for (std::size_t i = 0; i < count; ++i) {
      const auto u = static_cast<uint16_t>(chunk_[i]);
      chunk_[i] = static_cast<int16_t>(static_cast<uint16_t>((u << 8) | (u >> 8)));
    }
  }
  ORVN_PcmChunk chunk{static_cast<int32_t>(count * sizeof(int16_t)), chunk_.data()};
  target_.callback(target_.userData, &chunk);
  return true;
}

}  // namespace syn
