// SPDX-License-Identifier: MIT
#include "frame.h"

#include "line_codes.h"
#include "trace.h"

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

class FrameWriter {
public:
    explicit FrameWriter(SignalFrame& frame) : m_frame(frame) { m_frame.bSendCnt = 0; }

    void AppendRaw(std::uint8_t byte) { m_frame.data[m_frame.bSendCnt++] = byte; }
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
};

}  // namespace

std::optional<SignalFrame> BuildFrame(const NotificationRequest& request)
{
    if (request.text.size() > kMaxFrameTextBytes)
        return std::nullopt;
    const FrameParameter parameter{static_cast<std::uint8_t>(request.kind), request.text};
    return BuildMessageFrame({&parameter, 1});
}

std::optional<SignalFrame> BuildMessageFrame(std::span<const FrameParameter> parameters)
{
    constexpr std::size_t kMaxCount = 255;
    std::size_t messageLength = 0;  // each parameter's type, length and text
    std::size_t frameBytes = 11;  // DLE SOH, header, DLE STX, type, message length, DLE ETX, check
    for (const FrameParameter& parameter : parameters) {
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
    for (const FrameParameter& parameter : parameters) {
        writer.Append(parameter.type);
        writer.AppendLength(parameter.text.size());
        for (const char ch : parameter.text)
            writer.Append(static_cast<unsigned char>(ch));
    }
    writer.Append(kDle);
    writer.Append(kEtx);
    CORVANE_TRACE("bSendCnt=%d", frame.bSendCnt);

    const std::uint16_t crc = CalcCrc16(frame.data.data() + kUncheckedPrefix,
                                        static_cast<std::uint16_t>(frame.bSendCnt - kUncheckedPrefix));
    // Check bytes go out as computed, low byte first, with no parity and never doubled.
    writer.AppendRaw(static_cast<std::uint8_t>(crc & 0xFF));
    writer.AppendRaw(static_cast<std::uint8_t>(crc >> 8));
    CORVANE_TRACE("CRC:0x%04X", crc);
    return frame;
}

std::string HexFrameText(const SignalFrame& frame)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(3u * frame.bSendCnt);
    for (int i = 0; i < frame.bSendCnt; ++i) {
        const std::uint8_t byte = frame.data[static_cast<std::size_t>(i)];
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
        text += ' ';
    }
    CORVANE_TRACE("%s", text.c_str());
    return text;
}

}  // namespace corvane
