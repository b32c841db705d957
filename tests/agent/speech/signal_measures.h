// Measures of real speech samples the synthesis and listening tests compare: loudness, voicing and the pitch
// track.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
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
        const std::int16_t* at = samples.data() + start;
        const double energy = std::inner_product(at, at + frame, at, 0.0);
        if (std::sqrt(energy / frame) < 300.0) {
            continue;
        }
        ++stats.loudFrames;
        double best = 0;
        size_t bestLag = 0;
        for (size_t lag = minLag; lag <= maxLag; ++lag) {
            const double cross = std::inner_product(at, at + frame, at + lag, 0.0);
            const double shifted = std::inner_product(at + lag, at + lag + frame, at + lag, 0.0);
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
    const double sum = std::inner_product(samples.begin(), samples.end(), samples.begin(), 0.0);
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

// The value the given share of the way up the sorted values (the median at one half), 0 when there are none.
inline double quantile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[static_cast<size_t>(double(values.size()) * share)];
}

// The interquartile range: how far the pitch moves, unmoved by the odd octave error of the tracker.
inline double spread(const std::vector<double>& values) {
    return values.size() < 4 ? 0.0 : quantile(values, 0.75) - quantile(values, 0.25);
}

}  // namespace agent::speech::measure
