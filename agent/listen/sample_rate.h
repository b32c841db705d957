// Changing a recording's sample rate: our voice speaks at espeak-ng's rate, the recognizer hears 16 kHz.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace agent::listen {

// Band-limited resampling (a windowed sinc), so nothing above the lower rate's half folds back into the
// sound.
std::vector<std::int16_t> resample(std::span<const std::int16_t> samples, int fromRate, int toRate);

}  // namespace agent::listen
