#include "agent/listen/speech_trimmer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace agent::listen {

namespace {

constexpr int kFramesPerSecond = 125;
constexpr double kWindowSeconds = 0.025625;
constexpr int kBands = 25;
constexpr double kLowestHz = 130;
constexpr double kHighestHz = 6800;
// The band powers are smoothed over a few frames; the noise follows them up slowly and down quickly, so that
// speech a few seconds long does not become the noise, and a pause shows the room again at once.
constexpr double kSmoothing = 0.7;
constexpr double kNoiseRise = 0.995;
constexpr double kNoiseFall = 0.5;

double mel(double hz) {
    return 2595.0 * std::log10(1.0 + hz / 700.0);
}
double hzOfMel(double m) {
    return 700.0 * (std::pow(10.0, m / 2595.0) - 1.0);
}

void fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

// Which frames hold speech, by how far each band's power stands above the noise learnt so far.
class BandNoise {
public:
    explicit BandNoise(int sampleRate) : rate_(sampleRate) {
        window_ = std::max(16, int(kWindowSeconds * rate_));
        size_ = 1;
        while (size_ < std::size_t(window_)) {
            size_ <<= 1;
        }
        const double top = std::min(kHighestHz, rate_ / 2.0);
        for (int b = 0; b <= kBands; ++b) {
            const double hz = hzOfMel(mel(kLowestHz) + (mel(top) - mel(kLowestHz)) * b / kBands);
            edges_.push_back(std::clamp(std::size_t(hz * double(size_) / rate_), std::size_t(1), size_ / 2));
        }
        hamming_.resize(std::size_t(window_));
        for (int i = 0; i < window_; ++i) {
            hamming_[std::size_t(i)] = 0.54 - 0.46 * std::cos(2 * std::numbers::pi * i / (window_ - 1));
        }
    }

    int window() const { return window_; }

    // The power of each band in the frame starting at `frame`.
    std::vector<double> bandPowers(const std::int16_t* frame) const {
        std::vector<std::complex<double>> spectrum(size_);
        for (int i = 0; i < window_; ++i) {
            spectrum[std::size_t(i)] = frame[i] * hamming_[std::size_t(i)];
        }
        fft(spectrum);
        std::vector<double> power(kBands);
        for (int b = 0; b < kBands; ++b) {
            const std::size_t to = std::max(edges_[std::size_t(b) + 1], edges_[std::size_t(b)] + 1);
            for (std::size_t k = edges_[std::size_t(b)]; k < to; ++k) {
                power[std::size_t(b)] += std::norm(spectrum[k]);
            }
            power[std::size_t(b)] += 1.0;  // digital silence has a noise of its own
        }
        return power;
    }

    // The noise of each band starts at the quietest the recording gets there: a recording may begin with
    // speech, and a room is known by its pauses.
    void startNoise(const std::vector<std::vector<double>>& powers) {
        if (powers.empty()) {
            return;
        }
        std::vector<double> smoothed = powers.front();
        noise_ = smoothed;
        for (const std::vector<double>& power : powers) {
            for (std::size_t b = 0; b < power.size(); ++b) {
                smoothed[b] = kSmoothing * smoothed[b] + (1 - kSmoothing) * power[b];
                noise_[b] = std::min(noise_[b], smoothed[b]);
            }
        }
        smoothed_ = powers.front();
    }

    // How far the bands stand above their noise on average, in dB, for a frame of these band powers. The
    // average, not the loudest band: in a pause one band or another always flickers above its noise.
    double rise(const std::vector<double>& power) {
        double sum = 0;
        for (std::size_t b = 0; b < power.size(); ++b) {
            smoothed_[b] = kSmoothing * smoothed_[b] + (1 - kSmoothing) * power[b];
            const double keep = smoothed_[b] >= noise_[b] ? kNoiseRise : kNoiseFall;
            noise_[b] = keep * noise_[b] + (1 - keep) * smoothed_[b];
            sum += 10 * std::log10(smoothed_[b] / noise_[b]);
        }
        return sum / double(power.size());
    }

private:
    int rate_;
    int window_;
    std::size_t size_;
    std::vector<std::size_t> edges_;
    std::vector<double> hamming_;
    std::vector<double> smoothed_;
    std::vector<double> noise_;
};

}  // namespace

std::vector<std::int16_t> trimToSpeech(std::span<const std::int16_t> samples, int sampleRate,
                                       const SpeechTrimming& trimming) {
    std::vector<std::int16_t> speech;
    if (sampleRate < kFramesPerSecond) {
        return speech;
    }
    BandNoise bands(sampleRate);
    const std::size_t hop = std::size_t(sampleRate / kFramesPerSecond);
    const std::size_t span = std::size_t(bands.window());
    const std::size_t frames = samples.size() >= span ? (samples.size() - span) / hop + 1 : 0;
    std::size_t kept = 0;  // frames before this one are taken or left out already
    int loud = 0;
    int quiet = 0;
    bool inSpeech = false;
    const auto take = [&](std::size_t to) {
        const std::size_t end = std::min(to * hop, samples.size());
        if (kept * hop < end) {
            speech.insert(speech.end(), samples.begin() + std::ptrdiff_t(kept * hop),
                          samples.begin() + std::ptrdiff_t(end));
        }
        kept = std::max(kept, to);
    };
    std::vector<std::vector<double>> powers;
    powers.reserve(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        powers.push_back(bands.bandPowers(samples.data() + i * hop));
    }
    bands.startNoise(powers);
    for (std::size_t i = 0; i < frames; ++i) {
        const bool voiced = bands.rise(powers[i]) >= trimming.thresholdDb;
        if (!inSpeech) {
            loud = voiced ? loud + 1 : 0;
            if (loud < trimming.startFrames) {
                continue;
            }
            inSpeech = true;
            quiet = 0;
            const std::size_t back = std::size_t(loud + trimming.framesBefore) - 1;
            kept = std::max(kept, i >= back ? i - back : 0);
        } else {
            quiet = voiced ? 0 : quiet + 1;
        }
        take(i + 1);
        if (quiet >= trimming.framesAfter) {
            inSpeech = false;
            loud = 0;
        }
    }
    if (inSpeech) {
        take(frames + span / hop + 1);
    }
    return speech;
}

}  // namespace agent::listen
