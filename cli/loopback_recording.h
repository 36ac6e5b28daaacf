// SPDX-License-Identifier: MIT
// A signal played while the input records, as through a cable from the output to the input: for
// loopback and sweep --loopback.
#pragma once

#include "player.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

// Plays signal on player while recording seconds of device's input at the signal's rate into
// samples, as through a cable from the output to the input; why either failed, if it did.
std::optional<Failure> PlayAndRecord(SignalPlayer& player, const stress::StressSignal& signal, double seconds,
                                     const std::string& device, std::vector<std::int16_t>& samples);

}  // namespace corvane::cli
