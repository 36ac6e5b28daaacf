// SPDX-License-Identifier: MIT
#include "frame_report.h"

#include "cli_common.h"
#include "request/code_page_932.h"
#include "signal/frame.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace corvane::cli {

namespace {

// Text read from the line, with every character that is not printable shown as \xNN: a
// decoded byte must never act on the terminal.
QString Printable(const QString& text)
{
    QString shown;
    for (const QChar ch : text) {
        if (ch.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x") + QString::number(ch.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += ch;
    }
    return shown;
}

QString FaultText(const FrameFault& fault)
{
    switch (fault.kind) {
    case FrameFault::Kind::Parity:
        return Tr("parity error in byte %1").arg(fault.byte);
    case FrameFault::Kind::Framing:
        return Tr("no stop bit after byte %1").arg(fault.byte);
    case FrameFault::Kind::Unexpected:
        return Tr("byte %1 is %2 where %3 belongs").arg(fault.byte).arg(Hex(fault.received, 2), Hex(fault.expected, 2));
    case FrameFault::Kind::Cut:
        return Tr("frame cut after byte %1").arg(fault.byte);
    case FrameFault::Kind::Length:
        return Tr("message length %1, but its parameters take %2").arg(fault.expected).arg(fault.received);
    case FrameFault::Kind::Check:
        return Tr("check %1 received, %2 computed").arg(Hex(fault.received, 4), Hex(fault.expected, 4));
    case FrameFault::Kind::Extra:
        return Tr("%1 more bytes after the check").arg(fault.received);
    }
    return {};
}

// The parameter's type by name, and for a reason its meaning; empty for other types.
QString ParameterName(const DecodedParameter& parameter)
{
    if (parameter.type == static_cast<std::uint8_t>(InformationKind::CallerNumber))
        return Tr("caller number");
    if (parameter.type == static_cast<std::uint8_t>(InformationKind::AbsenceReason))
        return Tr("absence reason");
    return {};
}

QString ReasonMeaning(const std::string& text)
{
    static const char* const kMeanings[] = {QT_TRANSLATE_NOOP("corvane-cli", "the caller refused"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "not available"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "public telephone"),
                                            QT_TRANSLATE_NOOP("corvane-cli", "service conflict")};
    const char* pLetter = text.size() == 1 ? std::strchr(kReasonLetters, text[0]) : nullptr;
    return pLetter != nullptr && *pLetter != '\0' ? Tr(kMeanings[pLetter - kReasonLetters]) : QString();
}

QJsonObject FrameJson(int index, const DecodedFrame& frame)
{
    QJsonArray parameters;
    for (const DecodedParameter& parameter : frame.parameters) {
        QJsonObject json{{"type", parameter.type}, {"text", QString::fromStdString(FromCodePage932(parameter.text))}};
        if (!ParameterName(parameter).isEmpty())
            json["name"] = ParameterName(parameter);
        if (parameter.type == 0x04 && !ReasonMeaning(parameter.text).isEmpty())
            json["meaning"] = ReasonMeaning(parameter.text);
        parameters.append(json);
    }
    QJsonArray faults;
    for (const FrameFault& fault : frame.faults)
        faults.append(FaultText(fault));
    SignalFrame bytes;
    bytes.bSendCnt = static_cast<std::uint8_t>(std::min<std::size_t>(frame.bytes.size(), 255));
    std::copy_n(frame.bytes.begin(), bytes.bSendCnt, bytes.data.begin());
    QJsonObject json{{"version", QCoreApplication::applicationVersion()},
                     {"frame", index},
                     {"seconds", frame.seconds},
                     {"markRun", frame.markRun},
                     {"bytes", QString::fromStdString(HexFrameText(bytes)).trimmed()},
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

}  // namespace

QString FrameText(int index, const DecodedFrame& frame)
{
    QString text = Tr("frame %1 at %2 s after %3 mark bits: %4\n")
                       .arg(index)
                       .arg(frame.seconds, 0, 'f', 3)
                       .arg(frame.markRun)
                       .arg(frame.IsValid() ? Tr("valid") : Tr("%1 faults").arg(frame.faults.size()));
    if (frame.messageType)
        text += "  " + Tr("message type %1").arg(Hex(*frame.messageType, 2)) + "\n";
    for (const DecodedParameter& parameter : frame.parameters) {
        const QString name = ParameterName(parameter);
        const QString value = Printable(QString::fromStdString(FromCodePage932(parameter.text)));
        const QString meaning = parameter.type == 0x04 ? ReasonMeaning(parameter.text) : QString();
        text += "  " + Tr("parameter %1").arg(Hex(parameter.type, 2)) + (name.isEmpty() ? "" : " " + name) + ": " +
                value + (meaning.isEmpty() ? "" : " (" + meaning + ")") + "\n";
    }
    if (frame.checkReceived && frame.checkComputed)
        text += "  " + Tr("check %1 received, %2 computed").arg(Hex(*frame.checkReceived, 4), Hex(*frame.checkComputed, 4)) + "\n";
    for (const FrameFault& fault : frame.faults)
        text += "  " + Tr("fault: %1").arg(FaultText(fault)) + "\n";
    return text;
}

void FrameReporter::Report(const std::vector<DecodedFrame>& frames)
{
    for (const DecodedFrame& frame : frames) {
        ++m_nFrames;
        m_bAllValid = m_bAllValid && frame.IsValid();
        PrintOut(m_bJson ? QString::fromUtf8(QJsonDocument(FrameJson(m_nFrames, frame)).toJson(QJsonDocument::Compact)) + "\n"
                         : FrameText(m_nFrames, frame));
    }
    // A reader at the other end of a pipe sees each frame when it is found, not at the end.
    if (!frames.empty())
        std::fflush(stdout);
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
