// SPDX-License-Identifier: MIT
// The data-link frame of one notification and its hexadecimal text.
#pragma once

#include "request.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
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

// One parameter of a message: its type byte and its text, sent as they stand.
struct FrameParameter {
    std::uint8_t type = 0;
    std::string text;
};

// Returns the frame of one message of type 0x40 carrying parameters in order, built by the
// rules of BuildFrame (which is this with the request's one parameter): a DLE before every
// length byte equal to 0x10, parity on every byte but the check, the check over header to ETX.
// nullopt when a text is longer than 255 bytes, the message longer than 255, or the frame longer
// than 255 bytes.
std::optional<SignalFrame> BuildMessageFrame(std::span<const FrameParameter> parameters);

// Returns the frame's bSendCnt bytes as "%02X " pieces joined: 3 × bSendCnt characters,
// ending with a space.
std::string HexFrameText(const SignalFrame& frame);

}  // namespace corvane
