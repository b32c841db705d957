// The differences between espeak-ng releases the engine evens out; see the header for what they are.
#include "agent/speech/espeak_releases.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace agent::speech::espeak {

namespace {

// Below 100 Hz, the probe whispered by espeak-ng 1.51 has under 0.1 % of its energy (English, German and
// French voices, both whisper variants), by 1.52 12 to 41 %.
constexpr double kRumbleCutHz = 100.0;
constexpr double kRumbleShare = 0.01;
// High enough to take the rumble (12 dB down an octave lower), low enough to leave the whisper, whose sound
// lies almost wholly above 400 Hz.
constexpr double kHighPassHz = 150.0;

// A second-order Butterworth filter (the usual biquad), run over 16-bit samples.
class Biquad {
public:
    static Biquad lowPass(double hz, int rate) { return Biquad(hz, rate, false); }
    static Biquad highPass(double hz, int rate) { return Biquad(hz, rate, true); }

    double step(double x) {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    Biquad(double hz, int rate, bool high) {
        const double w = 2.0 * std::numbers::pi * hz / rate;
        const double alpha = std::sin(w) / std::numbers::sqrt2;  // Q = 1/sqrt(2)
        const double a0 = 1.0 + alpha;
        const double c = std::cos(w);
        b1_ = (high ? -(1.0 + c) : 1.0 - c) / a0;
        b0_ = b2_ = (high ? (1.0 + c) : 1.0 - c) / 2.0 / a0;
        a1_ = -2.0 * c / a0;
        a2_ = (1.0 - alpha) / a0;
    }

    double b0_ = 0, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

}  // namespace

std::string_view barePhonemeName(std::string_view reported) {
    while (!reported.empty() && (reported.front() == '\'' || reported.front() == ',')) {
        reported.remove_prefix(1);
    }
    return reported;
}

std::optional<bool> whisperRumbles(const std::vector<std::int16_t>& whispered, int sampleRate) {
    Biquad low = Biquad::lowPass(kRumbleCutHz, sampleRate);
    double total = 0;
    double below = 0;
    for (std::int16_t s : whispered) {
        const double y = low.step(s);
        total += double(s) * s;
        below += y * y;
    }
    if (total < 1.0) {
        return std::nullopt;
    }
    return below / total > kRumbleShare;
}

void removeRumble(std::vector<std::int16_t>& samples, std::size_t from, int sampleRate) {
    Biquad high = Biquad::highPass(kHighPassHz, sampleRate);
    for (std::size_t i = from; i < samples.size(); ++i) {
        const double y = std::round(high.step(samples[i]));
        samples[i] = static_cast<std::int16_t>(std::clamp(y, -32768.0, 32767.0));
    }
}

}  // namespace agent::speech::espeak
