// SPDX-License-Identifier: MIT
#include "frame.h"

#include "line_codes.h"
#include "base/trace.h"

#include <string_view>

namespace corvane {

namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kHeader = 0x07;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kMessageType = 0x40;
constexpr std::uint8_t kEtx = 0x03;

// The check covers everything after the leading DLE SOH.
constexpr int kUncheckedPrefix = 2;

// Appends to a frame, keeping the count in a register: bSendCnt, a byte like the data, would
// have to be reloaded after every byte written.
class FrameWriter {
public:
    explicit FrameWriter(SignalFrame& frame) : m_frame(frame) {}
    // Sets the frame's count to the bytes appended.
    void Close() { m_frame.bSendCnt = m_bCount; }

    std::uint8_t Count() const { return m_bCount; }
    void AppendRaw(std::uint8_t byte) { m_frame.data[m_bCount++] = byte; }
    void Append(int value) { AppendRaw(MakeParity(value)); }

    // A length equal to DLE would read as a control sequence, so a DLE goes before it;
    // the comparison is on the length itself, before parity.
    void AppendLength(std::size_t length)
    {
        if (length == kDle)
            Append(kDle);
        Append(static_cast<int>(length));
    }

private:
    SignalFrame& m_frame;
    std::uint8_t m_bCount = 0;
};

// The frame of one message carrying parameters, each with a type and a text; Parameters is any
// range of them, so the dialog's one parameter is framed without copying its text.
template <class Parameters>
std::optional<SignalFrame> ComposeFrame(const Parameters& parameters)
{
    constexpr std::size_t kMaxCount = 255;
    std::size_t messageLength = 0;  // each parameter's type, length and text
    std::size_t frameBytes = 11;    // DLE SOH, header, DLE STX, type, message length, DLE ETX, check
    for (const auto& parameter : parameters) {
        if (parameter.text.size() > kMaxCount)
            return std::nullopt;
        messageLength += 2 + parameter.text.size();
        frameBytes += 2 + parameter.text.size() + (parameter.text.size() == kDle ? 1 : 0);
    }
    frameBytes += messageLength == kDle ? 1 : 0;
    if (messageLength > kMaxCount || frameBytes > kMaxCount)
        return std::nullopt;

    SignalFrame frame;
    FrameWriter writer(frame);
    for (const std::uint8_t byte : {kDle, kSoh, kHeader, kDle, kStx, kMessageType})
        writer.Append(byte);
    writer.AppendLength(messageLength);
    for (const auto& parameter : parameters) {
        writer.Append(parameter.type);
        writer.AppendLength(parameter.text.size());
        for (const char ch : parameter.text)
            writer.Append(static_cast<unsigned char>(ch));
    }
    writer.Append(kDle);
    writer.Append(kEtx);
    CORVANE_TRACE("bSendCnt=%d", writer.Count());

    const std::uint16_t crc =
        CalcCrc16(frame.data.data() + kUncheckedPrefix, static_cast<std::uint16_t>(writer.Count() - kUncheckedPrefix));
    // Check bytes go out as computed, low byte first, with no parity and never doubled.
    writer.AppendRaw(static_cast<std::uint8_t>(crc & 0xFF));
    writer.AppendRaw(static_cast<std::uint8_t>(crc >> 8));
    CORVANE_TRACE("CRC:0x%04X", crc);
    writer.Close();
    return frame;
}

}  // namespace

std::optional<SignalFrame> BuildFrame(const NotificationRequest& request)
{
    if (request.text.size() > kMaxFrameTextBytes)
        return std::nullopt;
    struct {
        std::uint8_t type;
        std::string_view text;
    } const parameter[] = {{static_cast<std::uint8_t>(request.kind), request.text}};
    return ComposeFrame(parameter);
}

std::optional<SignalFrame> BuildMessageFrame(std::span<const FrameParameter> parameters)
{
    return ComposeFrame(parameters);
}

std::string HexFrameText(const SignalFrame& frame)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text(3u * frame.bSendCnt, ' ');
    for (std::size_t i = 0; i < frame.bSendCnt; ++i) {
        const std::uint8_t byte = frame.data[i];
        text[3 * i] = kDigits[byte >> 4];
        text[3 * i + 1] = kDigits[byte & 0x0F];
    }
    CORVANE_TRACE("%s", text.c_str());
    return text;
}

}  // namespace corvane
