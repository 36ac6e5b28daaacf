// SPDX-License-Identifier: MIT
#include "frame_reader.h"

#include "signal/line_codes.h"

#include <algorithm>
#include <bit>
#include <climits>

namespace corvane {

namespace {

constexpr std::uint8_t kDle = 0x90;  // with its parity bit, as on the line
constexpr std::uint8_t kSoh = 0x81;
constexpr std::uint8_t kStx = 0x82;
constexpr std::uint8_t kEtx = 0x03;
constexpr int kMinMarkRun = 10;
constexpr int kIdleMarks = 10;
constexpr std::size_t kMaxFrameBytes = 255;

class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, DecodedFrame& frame) : m_bytes(bytes), m_frame(frame) {}

    // The next byte, or nullopt (and the frame cut) when there is none.
    std::optional<std::uint8_t> Next()
    {
        if (m_at >= m_bytes.size()) {
            if (!m_bCut)
                m_frame.faults.push_back({FrameFault::Kind::Cut, static_cast<int>(m_bytes.size()), 0, 0});
            m_bCut = true;
            return std::nullopt;
        }
        return m_bytes[m_at++];
    }
    // The next byte, which should be expected.
    bool Expect(std::uint8_t expected)
    {
        const std::optional<std::uint8_t> byte = Next();
        if (byte && *byte != expected)
            m_frame.faults.push_back({FrameFault::Kind::Unexpected, Position(), expected, *byte});
        return byte.has_value();
    }
    // A length byte, after a DLE when the length is 0x10; without its parity bit.
    std::optional<int> Length()
    {
        std::optional<std::uint8_t> byte = Next();
        if (byte == kDle) {
            byte = Next();
            if (byte && *byte != kDle)
                m_frame.faults.push_back({FrameFault::Kind::Unexpected, Position(), kDle, *byte});
        }
        if (!byte)
            return std::nullopt;
        return *byte & 0x7F;
    }
    int Position() const { return static_cast<int>(m_at); }
    std::size_t Left() const { return m_bytes.size() - m_at; }

private:
    const std::vector<std::uint8_t>& m_bytes;
    DecodedFrame& m_frame;
    std::size_t m_at = 0;
    bool m_bCut = false;
};

// Reads the frame's body; false where it was cut short.
bool ReadBody(Reader& reader, DecodedFrame& frame)
{
    if (!reader.Expect(kDle) || !reader.Expect(kSoh) || !reader.Next() || !reader.Expect(kDle) || !reader.Expect(kStx))
        return false;
    const std::optional<std::uint8_t> type = reader.Next();
    if (!type)
        return false;
    frame.messageType = static_cast<std::uint8_t>(*type & 0x7F);
    const std::optional<int> messageLength = reader.Length();
    if (!messageLength)
        return false;
    int used = 0;
    while (used < *messageLength) {
        const std::optional<std::uint8_t> parameterType = reader.Next();
        if (!parameterType)
            return false;
        const std::optional<int> length = reader.Length();
        if (!length)
            return false;
        DecodedParameter parameter{static_cast<std::uint8_t>(*parameterType & 0x7F), {}};
        for (int i = 0; i < *length; ++i) {
            const std::optional<std::uint8_t> byte = reader.Next();
            if (!byte)
                return false;
            parameter.text += static_cast<char>(*byte & 0x7F);
        }
        frame.parameters.push_back(std::move(parameter));
        used += 2 + *length;
    }
    if (used != *messageLength)
        frame.faults.push_back({FrameFault::Kind::Length, reader.Position(), *messageLength, used});
    return reader.Expect(kDle) && reader.Expect(kEtx);
}

}  // namespace

DecodedFrame ReadFrame(const std::vector<std::uint8_t>& bytes)
{
    DecodedFrame frame;
    frame.bytes = bytes;
    Reader reader(bytes, frame);
    const bool bWhole = ReadBody(reader, frame);
    const int etxEnd = reader.Position();
    for (int i = 0; i < std::min<int>(etxEnd, static_cast<int>(bytes.size())); ++i) {
        if (std::popcount(bytes[static_cast<std::size_t>(i)]) % 2 != 0)
            frame.faults.push_back({FrameFault::Kind::Parity, i + 1, 0, 0});
    }
    if (!bWhole)
        return frame;
    // The check bytes come as they are: never doubled, no parity.
    const std::optional<std::uint8_t> low = reader.Next();
    const std::optional<std::uint8_t> high = low ? reader.Next() : std::nullopt;
    frame.checkComputed = CalcCrc16(bytes.data() + 2, static_cast<std::uint16_t>(etxEnd - 2));
    if (!low || !high)
        return frame;
    frame.checkReceived = static_cast<std::uint16_t>(*low | *high << 8);
    if (frame.checkReceived != frame.checkComputed)
        frame.faults.push_back(
            {FrameFault::Kind::Check, reader.Position() - 1, *frame.checkComputed, *frame.checkReceived});
    if (reader.Left() > 0)
        frame.faults.push_back({FrameFault::Kind::Extra, reader.Position() + 1, 0, static_cast<int>(reader.Left())});
    return frame;
}

FrameFinder::FrameFinder() = default;

std::vector<DecodedFrame> FrameFinder::Feed(std::span<const ReceivedBit> bits)
{
    m_pending.insert(m_pending.end(), bits.begin(), bits.end());
    return Scan(false);
}

std::vector<DecodedFrame> FrameFinder::Finish()
{
    return Scan(true);
}

// Reads frames from the pending bits. A frame whose end has not come yet is left pending, unless
// this is the last scan; so is the bit that could start one.
std::vector<DecodedFrame> FrameFinder::Scan(bool bLast)
{
    const std::vector<ReceivedBit>& bits = m_pending;
    std::vector<DecodedFrame> frames;
    std::size_t at = 0;
    std::size_t kept = bits.size();  // where the pending bits start after this scan
    while (at < bits.size()) {
        if (bits[at].bCarrierStart)
            m_nMarkRun = 0;
        if (bits[at].bMark || m_nMarkRun < kMinMarkRun) {
            // A mark run weeks long is counted as far as an int goes.
            m_nMarkRun = bits[at].bMark ? std::min(m_nMarkRun, INT_MAX - 1) + 1 : 0;
            ++at;
            continue;
        }
        // A start bit after a mark run: characters until the line idles or framing fails.
        const std::size_t start = at;
        const double seconds = bits[at].seconds;
        const int leadMarks = m_nMarkRun;
        std::vector<std::uint8_t> bytes;
        std::vector<double> byteSeconds;
        bool bFramingFault = false;
        bool bEnded = false;  // by the line idling, a missing stop bit or the tones stopping
        int idle = 0;
        while (at < bits.size() && !bEnded) {
            if (bits[at].bMark) {
                bEnded = ++idle >= kIdleMarks;
                ++at;
                continue;
            }
            if (at + 9 >= bits.size())
                break;
            bool bInterrupted = false;
            std::uint8_t byte = 0;
            for (int bit = 0; bit < 8; ++bit) {
                const ReceivedBit& received = bits[at + 1 + static_cast<std::size_t>(bit)];
                bInterrupted = bInterrupted || received.bCarrierStart;
                byte = static_cast<std::uint8_t>(byte | (received.bMark ? 1u : 0u) << bit);
            }
            if (bInterrupted || bits[at + 9].bCarrierStart) {
                bEnded = true;
                break;
            }
            bytes.push_back(byte);
            byteSeconds.push_back(bits[at].seconds);
            at += 10;
            idle = 0;
            if (!bits[at - 1].bMark) {
                bFramingFault = true;
                bEnded = true;
            }
            // A frame has at most 255 bytes: past that it is noise, whose end need not be awaited.
            bEnded = bEnded || bytes.size() > kMaxFrameBytes;
        }
        if (!bEnded && !bLast) {
            kept = start;
            m_nMarkRun = leadMarks;
            break;
        }
        m_nMarkRun = idle;
        if (bytes.size() < 2 || (bytes[0] != kDle && bytes[1] != kSoh))
            continue;
        DecodedFrame frame = ReadFrame(bytes);
        if (bFramingFault)
            frame.faults.insert(frame.faults.begin(),
                                {FrameFault::Kind::Framing, static_cast<int>(bytes.size()), 0, 0});
        frame.seconds = seconds;
        frame.byteSeconds = std::move(byteSeconds);
        frame.markRun = leadMarks;
        frames.push_back(std::move(frame));
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(std::min(kept, at)));
    return frames;
}

std::vector<DecodedFrame> FindFrames(const std::vector<ReceivedBit>& bits)
{
    FrameFinder finder;
    std::vector<DecodedFrame> frames = finder.Feed(bits);
    std::vector<DecodedFrame> last = finder.Finish();
    frames.insert(frames.end(), std::make_move_iterator(last.begin()), std::make_move_iterator(last.end()));
    return frames;
}

}  // namespace corvane
