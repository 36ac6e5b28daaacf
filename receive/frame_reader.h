// SPDX-License-Identifier: MIT
// Frames out of received bits: characters found by their start and stop bits after a mark
// run, then read back by the frame's rules, with every fault found named by its position.
#pragma once

#include "demodulator.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane {

struct FrameFault {
    enum class Kind {
        Parity,      // byte's 8 bits hold an odd number of ones
        Framing,     // no stop bit after byte; the frame ends there
        Unexpected,  // byte is received where expected belongs
        Cut,         // the frame ends after byte, short of its check
        Length,      // the message length is expected, its parameters take received
        Check,       // the check bytes say received, the frame computes to expected
        Extra,       // byte more bytes follow the check
    };
    Kind kind = Kind::Parity;
    int byte = 0;  // 1-based position in the frame
    int expected = 0;
    int received = 0;

    bool operator==(const FrameFault&) const = default;
};

struct DecodedParameter {
    std::uint8_t type = 0;  // without its parity bit
    std::string text;       // the text bytes without their parity bits: code page 932
};

struct DecodedFrame {
    double seconds = 0;               // when its first character began
    std::vector<double> byteSeconds;  // when each byte's start bit began
    int markRun = 0;                  // mark bits received before it
    std::vector<std::uint8_t> bytes;  // as received, parity bits included
    std::optional<std::uint8_t> messageType;
    std::vector<DecodedParameter> parameters;
    std::optional<std::uint16_t> checkReceived;
    std::optional<std::uint16_t> checkComputed;
    std::vector<FrameFault> faults;

    bool IsValid() const { return faults.empty(); }
};

// Reads bytes as one frame: DLE SOH, header, DLE STX, message type, the message length (a DLE
// before it only when it is 0x10), parameters (type, length with the same DLE rule, text) until
// the message length is used up, DLE ETX, and two check bytes taken as they come. Every byte but
// the check bytes must have even parity; the check is CRC-16/KERMIT over header to ETX.
DecodedFrame ReadFrame(const std::vector<std::uint8_t>& bytes);

// Finds every frame in bits: a run of at least 10 marks, then characters of a start bit, eight
// data bits (least significant first) and a stop bit, until 10 marks pass without a character,
// a stop bit is missing, the tones stop or the frame passes 255 bytes. Byte streams that do not
// begin like a frame (DLE or SOH in their place) are taken for noise.
std::vector<DecodedFrame> FindFrames(const std::vector<ReceivedBit>& bits);

// FindFrames over bits that come in pieces: each frame is given as soon as its end has been
// received, and only the bits of a frame not yet ended are kept. The frames are the same however
// the bits are cut into pieces.
class FrameFinder {
public:
    FrameFinder();
    // Takes the next bits; returns the frames they end.
    std::vector<DecodedFrame> Feed(std::span<const ReceivedBit> bits);
    // Ends the bits; returns a frame they leave open, if any.
    std::vector<DecodedFrame> Finish();

private:
    std::vector<DecodedFrame> Scan(bool bLast);

    std::vector<ReceivedBit> m_pending;
    int m_nMarkRun = 0;
};

}  // namespace corvane
