// SPDX-License-Identifier: MIT
#include "named_parameters.h"

#include "request/code_page_932.h"
#include "system.h"
#include "text.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace corvane::cli {

namespace {

constexpr std::uint8_t kDateTime = 0x01;
constexpr std::uint8_t kCalledNumber = 0x09;
constexpr std::uint8_t kNumberExtension = 0x21;
constexpr std::uint8_t kCalledExtension = 0x22;
constexpr std::size_t kMaxCalledDigits = 32;
// A parameter's length is one byte.
constexpr std::size_t kMaxParameterBytes = 255;

// This computer's local time as MMDDhhmm.
std::string Now()
{
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTime(now);
    char text[16];
    return std::string(text, std::strftime(text, sizeof text, "%m%d%H%M", &local));
}

bool IsDateTime(const std::string& text)
{
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
        return false;
    const auto two = [&text](std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
    return two(0) >= 1 && two(0) <= 12 && two(2) >= 1 && two(2) <= 31 && two(4) <= 23 && two(6) <= 59;
}

// Bytes written as pairs of hexadecimal digits, perhaps apart by spaces or colons, each at most
// 0x7F: the eighth bit of every byte on the line carries its parity.
std::optional<std::string> HexBytes(const std::string& text)
{
    std::string bytes;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == ' ' || text[at] == ':') {
            ++at;
            continue;
        }
        int byte = 0;
        const auto [pStop, error] =
            std::from_chars(text.data() + at, text.data() + std::min(at + 2, text.size()), byte, 16);
        if (error != std::errc() || pStop != text.data() + at + 2 || byte > 0x7F)
            return std::nullopt;
        bytes += static_cast<char>(byte);
        at += 2;
    }
    if (bytes.empty() || bytes.size() > kMaxParameterBytes)
        return std::nullopt;
    return bytes;
}

std::optional<std::string> ReadParam(const std::string& value, FrameParameter& parameter)
{
    const std::size_t colon = value.find(':');
    const std::string bad = Format(
        Tr("--param is TYPE:TEXT or TYPE:hex:BYTES with TYPE from 0 to 255 (or 0x00 to 0xFF), not \"%1\"."), {value});
    if (colon == 0 || colon == std::string::npos)
        return bad;
    // The type alone may be hexadecimal, as parameter types are usually written.
    const bool bHexType = colon > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
    const char* const pType = value.data() + (bHexType ? 2 : 0);
    int type = 0;
    const auto [pStop, error] = std::from_chars(pType, value.data() + colon, type, bHexType ? 16 : 10);
    if (error != std::errc() || pStop != value.data() + colon || type < 0 || type > 255)
        return bad;
    parameter.type = static_cast<std::uint8_t>(type);
    const std::string rest = value.substr(colon + 1);
    if (rest.starts_with("hex:")) {
        const std::optional<std::string> bytes = HexBytes(rest.substr(4));
        if (!bytes)
            return Format(
                Tr("The bytes of --param %1 are pairs of hexadecimal digits from 00 to 7F, 1 to 255 of them."),
                {value});
        parameter.text = *bytes;
    } else {
        parameter.text = ToCodePage932(rest, kMaxParameterBytes);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadNamedParameter(const std::string& name, const std::string& value,
                                              FrameParameter& parameter)
{
    if (name == "datetime") {
        const std::string text = value == "now" ? Now() : value;
        if (!IsDateTime(text))
            return Format(Tr("--datetime is now or MMDDhhmm (month, day, hour, minute), not \"%1\"."), {value});
        parameter = {kDateTime, text};
    } else if (name == "called") {
        const bool bDigits = !value.empty() && value.size() <= kMaxCalledDigits &&
                             value.find_first_not_of("0123456789*#") == std::string::npos;
        if (!bDigits)
            return Format(Tr("--called is 1 to 32 of the digits 0-9, * and #, not \"%1\"."), {value});
        parameter = {kCalledNumber, value};
    } else if (name == "number-ext" || name == "called-ext") {
        const std::optional<std::string> bytes = HexBytes(value);
        if (!bytes)
            return Format(Tr("--%1 is pairs of hexadecimal digits from 00 to 7F, 1 to 255 of them, not \"%2\"."),
                          {name, value});
        parameter = {name == "number-ext" ? kNumberExtension : kCalledExtension, *bytes};
    } else {
        return ReadParam(value, parameter);
    }
    return std::nullopt;
}

std::string ParameterTypeName(std::uint8_t type)
{
    switch (type) {
    case kDateTime:
        return Tr("date and time");
    case 0x02:
        return Tr("caller number");
    case 0x04:
        return Tr("absence reason");
    case kCalledNumber:
        return Tr("called number");
    case kNumberExtension:
        return Tr("caller number extension");
    case kCalledExtension:
        return Tr("called number extension");
    default:
        return {};
    }
}

std::string ShownParameterValue(std::uint8_t type, const std::string& bytes)
{
    if (type == kDateTime && IsDateTime(bytes))
        return bytes.substr(0, 2) + "-" + bytes.substr(2, 2) + " " + bytes.substr(4, 2) + ":" + bytes.substr(6, 2);
    if (type == kNumberExtension || type == kCalledExtension) {
        std::string shown;
        for (const char byte : bytes) {
            if (!shown.empty())
                shown += ' ';
            shown += Hex(static_cast<unsigned char>(byte), 2).substr(2);
        }
        return shown;
    }
    return FromCodePage932(bytes);
}

nlohmann::json ParameterJson(std::uint8_t type, const std::string& bytes)
{
    nlohmann::json json{{"type", type}, {"text", FromCodePage932(bytes)}};
    if (!ParameterTypeName(type).empty()) {
        json["name"] = ParameterTypeName(type);
        json["value"] = ShownParameterValue(type, bytes);
    }
    return json;
}

}  // namespace corvane::cli
