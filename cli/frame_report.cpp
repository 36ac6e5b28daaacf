// SPDX-License-Identifier: MIT
#include "frame_report.h"

#include "cli_common.h"
#include "line_report.h"
#include "named_parameters.h"
#include "signal/frame.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cerrno>
#include <cstring>

namespace corvane::cli {

namespace {

// Text read from the line, with every character that is not printable shown as \xNN: a
// decoded byte must never act on the terminal.
std::string Printable(const std::string& text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        // C1 controls come as two bytes in UTF-8, 0xC2 and the control's own code.
        const bool bC1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
                         static_cast<unsigned char>(text[i + 1]) >= 0x80;
        if (byte < 0x20 || byte == 0x7F || bC1) {
            shown += "\\x" + Hex(bC1 ? static_cast<unsigned char>(text[++i]) : byte, 2).substr(2);
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string ReasonMeaning(const std::string& text)
{
    static const char* const kMeanings[] = {TrNoop("the caller refused"), TrNoop("not available"),
                                            TrNoop("public telephone"), TrNoop("service conflict")};
    const char* pLetter = text.size() == 1 ? std::strchr(kReasonLetters, text[0]) : nullptr;
    return pLetter != nullptr && *pLetter != '\0' ? Tr(kMeanings[pLetter - kReasonLetters]) : std::string();
}

// The bytes as hexadecimal pairs, as the frame is written everywhere.
std::string HexBytes(const std::vector<std::uint8_t>& bytes)
{
    SignalFrame frame;
    frame.bSendCnt = static_cast<std::uint8_t>(std::min<std::size_t>(bytes.size(), 255));
    std::copy_n(bytes.begin(), frame.bSendCnt, frame.data.begin());
    return HexFrameText(frame);
}

nlohmann::json FrameJson(int index, const DecodedFrame& frame)
{
    nlohmann::json parameters = nlohmann::json::array();
    for (const DecodedParameter& parameter : frame.parameters) {
        nlohmann::json json = ParameterJson(parameter.type, parameter.text);
        if (parameter.type == 0x04 && !ReasonMeaning(parameter.text).empty())
            json["meaning"] = ReasonMeaning(parameter.text);
        parameters.push_back(json);
    }
    nlohmann::json faults = nlohmann::json::array();
    for (const FrameFault& fault : frame.faults)
        faults.push_back(FaultText(fault));
    nlohmann::json json{{"version", Version()},
                        {"frame", index},
                        {"seconds", frame.seconds},
                        {"markRun", frame.markRun},
                        {"bytes", Trimmed(HexBytes(frame.bytes))},
                        {"parameters", parameters},
                        {"faults", faults},
                        {"valid", frame.IsValid()}};
    if (frame.messageType)
        json["messageType"] = *frame.messageType;
    if (frame.checkReceived)
        json["checkReceived"] = Hex(*frame.checkReceived, 4);
    if (frame.checkComputed)
        json["checkComputed"] = Hex(*frame.checkComputed, 4);
    return json;
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "; ") + text;
    return joined;
}

std::string CsvHeader()
{
    std::string header = "frame,startSeconds,startTime,valid,bytes";
    for (const MeasureField& field : MeasureFields()) {
        if (std::string_view(field.name) != "startSeconds")
            header += std::string(",") + field.name;
    }
    return header + ",faults,outsideLimits\n";
}

std::string CsvRow(int index, const ReportedFrame& reported, const std::optional<double>& calDbm)
{
    const DecodedFrame& frame = reported.frame;
    std::string row = Number(index) + "," + Fixed(Rounded(reported.measures.startSeconds, 4), 4) + "," +
                      CsvField(reported.startTime) + "," + (frame.IsValid() ? "true" : "false") + "," +
                      CsvField(Trimmed(HexBytes(frame.bytes)));
    for (const MeasureField& field : MeasureFields()) {
        if (std::string_view(field.name) == "startSeconds")
            continue;
        const std::optional<double> value = MeasureValue(field, reported.measures, calDbm);
        row += ',';
        if (value)
            row += Fixed(Rounded(*value, field.digits), field.digits);
    }
    std::vector<std::string> faults;
    for (const FrameFault& fault : frame.faults)
        faults.push_back(FaultText(fault));
    return row + "," + CsvField(Joined(faults)) + "," + CsvField(Joined(reported.outside)) + "\n";
}

nlohmann::json ReportedJson(int index, const ReportedFrame& reported, const std::optional<double>& calDbm)
{
    nlohmann::json json = FrameJson(index, reported.frame);
    for (const MeasureField& field : MeasureFields()) {
        if (field.bNeedsCalibration && !calDbm)
            continue;
        const std::optional<double> value = MeasureValue(field, reported.measures, calDbm);
        if (!value)
            json[field.name] = nullptr;
        else if (field.digits == 0)
            json[field.name] = std::llround(*value);
        else
            json[field.name] = Rounded(*value, field.digits);
    }
    if (!reported.startTime.empty())
        json["startTime"] = reported.startTime;
    json["outsideLimits"] = reported.outside;
    return json;
}

}  // namespace

std::string FaultText(const FrameFault& fault)
{
    switch (fault.kind) {
    case FrameFault::Kind::Parity:
        return Format(Tr("parity error in byte %1"), {Number(fault.byte)});
    case FrameFault::Kind::Framing:
        return Format(Tr("no stop bit after byte %1"), {Number(fault.byte)});
    case FrameFault::Kind::Unexpected:
        return Format(Tr("byte %1 is %2 where %3 belongs"),
                      {Number(fault.byte), Hex(fault.received, 2), Hex(fault.expected, 2)});
    case FrameFault::Kind::Cut:
        return Format(Tr("frame cut after byte %1"), {Number(fault.byte)});
    case FrameFault::Kind::Length:
        return Format(Tr("message length %1, but its parameters take %2"),
                      {Number(fault.expected), Number(fault.received)});
    case FrameFault::Kind::Check:
        return Format(Tr("check %1 received, %2 computed"), {Hex(fault.received, 4), Hex(fault.expected, 4)});
    case FrameFault::Kind::Extra:
        return Format(Tr("%1 more bytes after the check"), {Number(fault.received)});
    }
    return {};
}

bool CarriesFrame(const std::vector<DecodedFrame>& frames, const SignalFrame& sent)
{
    const std::vector<std::uint8_t> bytes(sent.data.begin(), sent.data.begin() + sent.bSendCnt);
    return std::any_of(frames.begin(), frames.end(),
                       [&bytes](const DecodedFrame& frame) { return frame.IsValid() && frame.bytes == bytes; });
}

std::string FrameText(int index, const DecodedFrame& frame)
{
    std::string text = Format(Tr("frame %1 at %2 s after %3 mark bits: %4\n"),
                              {Number(index), Fixed(frame.seconds, 3), Number(frame.markRun),
                               frame.IsValid() ? Tr("valid") : Format(Tr("%1 faults"), {Number(frame.faults.size())})});
    if (frame.messageType)
        text += "  " + Format(Tr("message type %1"), {Hex(*frame.messageType, 2)}) + "\n";
    for (const DecodedParameter& parameter : frame.parameters) {
        const std::string name = ParameterTypeName(parameter.type);
        const std::string value = Printable(ShownParameterValue(parameter.type, parameter.text));
        const std::string meaning = parameter.type == 0x04 ? ReasonMeaning(parameter.text) : std::string();
        text += "  " + Format(Tr("parameter %1"), {Hex(parameter.type, 2)}) + (name.empty() ? "" : " " + name) + ": " +
                value + (meaning.empty() ? "" : " (" + meaning + ")") + "\n";
    }
    if (frame.checkReceived && frame.checkComputed)
        text +=
            "  " +
            Format(Tr("check %1 received, %2 computed"), {Hex(*frame.checkReceived, 4), Hex(*frame.checkComputed, 4)}) +
            "\n";
    for (const FrameFault& fault : frame.faults)
        text += "  " + Format(Tr("fault: %1"), {FaultText(fault)}) + "\n";
    return text;
}

FrameReporter::FrameReporter(bool bJson, std::optional<double> calDbm) : m_bJson(bJson), m_calDbm(calDbm) {}

FrameReporter::~FrameReporter()
{
    if (m_pCsv != nullptr)
        std::fclose(m_pCsv);
}

std::optional<Failure> FrameReporter::AppendCsv(const std::string& path)
{
    m_pCsv = std::fopen(path.c_str(), "ab");
    if (m_pCsv == nullptr)
        return Failure{kExitFailed, Format(Tr("Cannot write %1: %2"), {path, std::strerror(errno)})};
    m_csvPath = path;
    std::fseek(m_pCsv, 0, SEEK_END);
    if (std::ftell(m_pCsv) == 0 && (std::fputs(CsvHeader().c_str(), m_pCsv) == EOF || std::fflush(m_pCsv) != 0))
        return Failure{kExitFailed, Format(Tr("Cannot write %1: %2"), {path, std::strerror(errno)})};
    return std::nullopt;
}

std::optional<Failure> FrameReporter::Report(const std::vector<ReportedFrame>& frames)
{
    for (const ReportedFrame& reported : frames) {
        ++m_nFrames;
        m_bAllValid = m_bAllValid && reported.frame.IsValid() && reported.outside.empty();
        if (m_bJson) {
            PrintOut(ReportedJson(m_nFrames, reported, m_calDbm).dump() + "\n");
        } else {
            std::string text = FrameText(m_nFrames, reported.frame) + MeasuresText(reported.measures, m_calDbm);
            if (!reported.startTime.empty())
                text += "  " + Format(Tr("began at %1"), {reported.startTime}) + "\n";
            for (const std::string& outside : reported.outside)
                text += "  " + Format(Tr("outside the limits: %1"), {outside}) + "\n";
            PrintOut(text);
        }
        if (m_pCsv != nullptr && std::fputs(CsvRow(m_nFrames, reported, m_calDbm).c_str(), m_pCsv) == EOF)
            return Failure{kExitFailed, Format(Tr("Cannot write %1: %2"), {m_csvPath, std::strerror(errno)})};
    }
    // A reader at the other end of a pipe, or of the CSV file, sees each frame when it is found.
    if (!frames.empty()) {
        std::fflush(stdout);
        if (m_pCsv != nullptr && std::fflush(m_pCsv) != 0)
            return Failure{kExitFailed, Format(Tr("Cannot write %1: %2"), {m_csvPath, std::strerror(errno)})};
    }
    return std::nullopt;
}

int FrameReporter::Finish() const
{
    if (m_nFrames == 0) {
        PrintError(Tr("No frame found."));
        return kExitNoFrame;
    }
    return m_bAllValid ? 0 : kExitFailed;
}

}  // namespace corvane::cli
