// SPDX-License-Identifier: MIT
#include "playback.h"

#include <cstdlib>

namespace corvane {

std::uint32_t VolumeValue(int position)
{
    const auto level = static_cast<std::uint32_t>(std::abs(position) / 100.0 * 65535.0) & 0xFFFF;
    return level | level << 16;
}

}  // namespace corvane
