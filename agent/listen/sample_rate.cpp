#include "agent/listen/sample_rate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace agent::listen {

namespace {

constexpr int kHalfTaps = 16;

double windowedSinc(double x, double cutoff) {
    if (std::abs(x) >= kHalfTaps) {
        return 0.0;
    }
    const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * x / kHalfTaps);  // Hann
    const double arg = std::numbers::pi * cutoff * x;
    return cutoff * (arg == 0.0 ? 1.0 : std::sin(arg) / arg) * window;
}

}  // namespace

std::vector<std::int16_t> resample(std::span<const std::int16_t> samples, int fromRate, int toRate) {
    if (fromRate <= 0 || toRate <= 0 || fromRate == toRate || samples.empty()) {
        return {samples.begin(), samples.end()};
    }
    const double step = double(fromRate) / toRate;
    const double cutoff = std::min(1.0, double(toRate) / fromRate);
    const auto count = static_cast<std::size_t>(double(samples.size()) / step);
    std::vector<std::int16_t> out(count);
    const auto last = static_cast<long>(samples.size()) - 1;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = double(n) * step;
        const long centre = static_cast<long>(std::floor(t));
        double sum = 0.0;
        for (long k = std::max(0L, centre - kHalfTaps + 1); k <= std::min(last, centre + kHalfTaps); ++k) {
            sum += samples[static_cast<std::size_t>(k)] * windowedSinc(t - double(k), cutoff);
        }
        out[n] = static_cast<std::int16_t>(std::clamp(std::lround(sum), -32768L, 32767L));
    }
    return out;
}

}  // namespace agent::listen
