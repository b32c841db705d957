// Measures of real speech samples the synthesis and listening tests compare: loudness, voicing and the pitch
// track.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

namespace agent::speech::measure {

struct FrameStats {
    int loudFrames = 0;
    int voicedFrames = 0;
    std::vector<double> pitchHz;  // one per voiced frame
    double voicedShare() const { return loudFrames ? static_cast<double>(voicedFrames) / loudFrames : 0.0; }
};

// A frame is voiced when it repeats itself at a speaking pitch (60..400 Hz): the normalized autocorrelation
// at its best lag is high. Whispered speech is noise through the same mouth, so it hardly ever repeats.
inline FrameStats analyse(const std::vector<std::int16_t>& samples, int rate) {
    FrameStats stats;
    const size_t frame = static_cast<size_t>(rate) * 30 / 1000;
    const size_t minLag = static_cast<size_t>(rate / 400);
    const size_t maxLag = static_cast<size_t>(rate / 60);
    for (size_t start = 0; start + frame + maxLag <= samples.size(); start += frame) {
        double energy = 0;
        for (size_t i = 0; i < frame; ++i) {
            energy += double(samples[start + i]) * samples[start + i];
        }
        if (std::sqrt(energy / frame) < 300.0) {
            continue;
        }
        ++stats.loudFrames;
        double best = 0;
        size_t bestLag = 0;
        for (size_t lag = minLag; lag <= maxLag; ++lag) {
            double cross = 0;
            double shifted = 0;
            for (size_t i = 0; i < frame; ++i) {
                cross += double(samples[start + i]) * samples[start + i + lag];
                shifted += double(samples[start + i + lag]) * samples[start + i + lag];
            }
            const double r = cross / std::sqrt(energy * shifted + 1e-9);
            if (r > best) {
                best = r;
                bestLag = lag;
            }
        }
        if (best > 0.6) {
            ++stats.voicedFrames;
            stats.pitchHz.push_back(double(rate) / bestLag);
        }
    }
    return stats;
}

inline double rms(std::span<const std::int16_t> samples) {
    double sum = 0;
    for (std::int16_t s : samples) {
        sum += double(s) * s;
    }
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The interquartile range: how far the pitch moves, unmoved by the odd octave error of the tracker.
inline double spread(std::vector<double> values) {
    if (values.size() < 4) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() * 3 / 4] - values[values.size() / 4];
}

}  // namespace agent::speech::measure
