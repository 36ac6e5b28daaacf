// SPDX-License-Identifier: MIT
// The signal as the bytes a command writes, and where it writes them.
#pragma once

#include "cli_common.h"
#include "stress/stress_signal.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::cli {

// The signal as a WAVE file, or as bare 16-bit little-endian samples.
std::vector<std::uint8_t> OutputBytes(const stress::StressSignal& signal, bool bRaw);

// Writes bytes to path by the safe save, or to standard output for "-".
std::optional<Failure> WriteOutput(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace corvane::cli
