// SPDX-License-Identifier: MIT
// corvane-cli frame: the frame in hexadecimal, as the status line shows it, or as JSON.
#include "commands.h"

#include "signal_request.h"
#include "signal/frame.h"

#include <QJsonDocument>

namespace corvane::cli {

int RunFrame(QCommandLineParser& parser, const QStringList& arguments)
{
    const SignalOptionSet set;
    set.AddTo(parser, true);
    const QCommandLineOption json("json", Tr("Print one JSON object instead of the status line's text."));
    parser.addOption(json);
    if (auto status = ParseOrExit(parser, arguments,
                                      Tr("Prints the frame in hexadecimal, as the dialog's status line shows it, or as JSON.\n\nExample: corvane-cli frame --number 0312345678"), 0))
        return *status;
    RequestedSignal requested;
    if (auto failure = ReadSignal(parser, set, requested))
        return Finish(failure);
    const auto& [request, options, signal] = requested;
    if (parser.isSet(json))
        PrintOut(QString::fromUtf8(QJsonDocument(SignalJson(request, options, signal)).toJson(QJsonDocument::Compact)) + "\n");
    else
        PrintOut(QString::fromStdString(HexFrameText(signal.frame)) + "\n");
    return 0;
}

}  // namespace corvane::cli
