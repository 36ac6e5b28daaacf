// The data-link frame of one notification and its hexadecimal text.
#pragma once

#include "request.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// The bytes sent for one notification: DLE SOH, header, DLE STX, message type 0x40,
// message length, parameter type, parameter length, text, DLE ETX, check low, check high.
struct SignalFrame {
    std::array<std::uint8_t, 256> data{};
    std::uint8_t bSendCnt = 0;  // bytes composed
};

// The longest text a frame can carry: its 8-bit count holds at most 255 bytes, 13 of them
// framing (lengths of 14 and 16 add a DLE, but far below this limit).
inline constexpr std::size_t kMaxFrameTextBytes = 242;

// Returns the frame for request, or nullopt when its text is longer than kMaxFrameTextBytes.
std::optional<SignalFrame> BuildFrame(const NotificationRequest& request);

// Returns the frame's bSendCnt bytes as "%02X " pieces joined: 3 × bSendCnt characters,
// ending with a space.
std::string HexFrameText(const SignalFrame& frame);

}  // namespace corvane
