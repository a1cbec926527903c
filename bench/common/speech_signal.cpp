// The speech-like test signal: a source-filter model of syllables, built
// in double precision and scaled to 16 bits once at the end.
#include "speech_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace orven_bench {
namespace {

// A two-pole resonator with unit gain at its centre frequency; its centre
// and bandwidth may move between samples.
class Resonator {
 public:
  explicit Resonator(double rate) : rate_(rate) {}
  void Tune(double frequency, double bandwidth) {
    const double r = std::exp(-std::numbers::pi * bandwidth / rate_);
    a1_ = 2.0 * r * std::cos(2.0 * std::numbers::pi * frequency / rate_);
    a2_ = -r * r;
    gain_ = 1.0 - r;
  }
  double operator()(double x) {
    const double y = gain_ * x + a1_ * y1_ + a2_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double rate_;
  double a1_ = 0, a2_ = 0, gain_ = 0, y1_ = 0, y2_ = 0;
};

struct Vowel {
  double f1, f2, f3;
};
// Formant targets of a handful of vowels (Hz).
constexpr Vowel kVowels[] = {{730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240},
                             {530, 1840, 2480}, {570, 840, 2410},  {660, 1720, 2410}};

enum class Kind { Voiced, Fricative, Pause };

}  // namespace

std::vector<int16_t> SpeechLikeSignal(size_t n, uint32_t seed, double rate) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::normal_distribution<double> gauss(0.0, 1.0);
  auto between = [&](double lo, double hi) { return lo + (hi - lo) * uniform(random); };

  std::vector<double> signal(n, 0.0);
  Resonator formant[3] = {Resonator(rate), Resonator(rate), Resonator(rate)}, hiss(rate);
  const double hissScale = std::min(1.0, rate / 16000.0);  // fricatives stay below rate / 2
  double tilt1 = 0, tilt2 = 0;                             // the glottal source's spectral tilt
  double phase = 0;
  Vowel from = kVowels[0];
  double phraseF0 = 200;

  size_t at = 0;
  int syllablesToPause = 3;
  while (at < n) {
    // The next segment: a pause every few syllables, a fricative before
    // some syllables, otherwise a voiced syllable.
    Kind kind = Kind::Voiced;
    if (syllablesToPause == 0) {
      kind = Kind::Pause;
      syllablesToPause = 2 + static_cast<int>(random() % 6);
      phraseF0 = between(170, 230);
    } else if (uniform(random) < 0.3) {
      kind = Kind::Fricative;
    } else {
      --syllablesToPause;
    }
    const double seconds = kind == Kind::Pause       ? between(0.08, 0.40)
                           : kind == Kind::Fricative ? between(0.04, 0.12)
                                                     : between(0.12, 0.30);
    const size_t length = std::min(n - at, static_cast<size_t>(seconds * rate));
    const Vowel to = kVowels[random() % std::size(kVowels)];
    const double level = kind == Kind::Voiced ? between(0.6, 1.0) : between(0.15, 0.35);
    const double hissCentre = between(4000, 6500) * hissScale;
    hiss.Tune(hissCentre, 1500 * hissScale);

    for (size_t i = 0; i < length; ++i, ++at) {
      const double progress = static_cast<double>(i) / static_cast<double>(length);
      // Raised-cosine syllable envelope.
      const double envelope = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * progress);
      double sample = 0;
      if (kind == Kind::Voiced) {
        // Formants glide from the last vowel to this one, retuned every
        // 64 samples.
        if (i % 64 == 0) {
          const double g = std::min(1.0, progress * 2.0);
          formant[0].Tune(from.f1 + (to.f1 - from.f1) * g, 80);
          formant[1].Tune(from.f2 + (to.f2 - from.f2) * g, 120);
          formant[2].Tune(from.f3 + (to.f3 - from.f3) * g, 200);
        }
        const double f0 = std::max(90.0, phraseF0 * (1.0 - 0.25 * progress)) * (1.0 + 0.01 * gauss(random));
        phase += f0 / rate;
        double pulse = 0;
        if (phase >= 1.0) {
          phase -= 1.0;
          pulse = 1.0;
        }
        tilt1 = 0.9 * tilt1 + pulse;
        tilt2 = 0.9 * tilt2 + tilt1;
        const double source = tilt2 - 0.2 * gauss(random) * pulse;
        const double voiced = formant[0](source) + 0.6 * formant[1](source) + 0.3 * formant[2](source);
        sample += level * envelope * voiced;
      } else if (kind == Kind::Fricative) {
        sample += level * envelope * hiss(gauss(random));
      }
      signal[at] = sample;
    }
    if (kind == Kind::Voiced) from = to;
    phraseF0 = std::max(120.0, phraseF0 * 0.97);
  }

  // Peaks at about -3 dBFS, over a noise floor of about 3 LSB.
  double peak = 1e-9;
  for (double s : signal) peak = std::max(peak, std::abs(s));
  std::vector<int16_t> samples(n);
  const double scale = 23000.0 / peak;
  for (size_t i = 0; i < n; ++i) {
    const double scaled = std::clamp(std::round(signal[i] * scale + 3.0 * gauss(random)), -32768.0, 32767.0);
    samples[i] = static_cast<int16_t>(scaled);
  }
  return samples;
}

}  // namespace orven_bench
