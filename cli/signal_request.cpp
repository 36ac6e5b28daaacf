// SPDX-License-Identifier: MIT
#include "signal_request.h"

#include "signal/frame.h"

namespace corvane::cli {

std::string ProblemText(RequestProblem problem)
{
    switch (problem) {
    case RequestProblem::EmptyNumber:
        return Tr("Please enter a number.");
    case RequestProblem::NumberTooLong:
        return Format(Tr("The number can have at most %1 digits."), {Number(kMaxNumberDigits)});
    case RequestProblem::UnknownReason:
        return Tr("The reason is one of P, O, C and S.");
    default:
        return Tr("The amplitude must be one of 10, 20, ..., 100 percent.");
    }
}

std::optional<Failure> ReadRequest(const std::string& number, bool bNumber, const std::string& reason, bool bReason,
                                   NotificationRequest& request)
{
    if (bNumber == bReason)
        return Failure{kExitUsage, Tr("Give either --number or --reason.")};
    const RequestProblem problem = bNumber ? MakeNumberRequest(number, request)
                                           : MakeReasonRequest(reason.size() == 1 ? reason[0] : '\0', request);
    if (problem != RequestProblem::None)
        return Failure{kExitUsage, ProblemText(problem)};
    return std::nullopt;
}

std::optional<Failure> Compose(const NotificationRequest& request, const SignalOptions& options, StressSignal& signal)
{
    const std::optional<SignalFrame> frame = BuildStressFrame(request, options);
    if (!frame)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    const bool bByteNeeded = options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate;
    const int highest = options.corruption == Corruption::Truncate ? frame->bSendCnt - 1 : frame->bSendCnt;
    if (bByteNeeded && options.corruptByte > highest)
        return Failure{kExitUsage, Format(Tr("--corrupt names byte %1, but the frame has %2 bytes."),
                                          {Number(options.corruptByte), Number(frame->bSendCnt)})};
    std::optional<StressSignal> composed = ComposeStressSignal(request, options);
    if (!composed)
        return Failure{kExitUsage, Tr("The frame would be longer than 255 bytes.")};
    signal = std::move(*composed);
    return std::nullopt;
}

std::optional<Failure> ReadSignal(const ParsedOptions& parser, const SignalOptionSet& set, RequestedSignal& requested)
{
    if (auto failure = ReadRequest(parser.Value(set.number), parser.IsSet(set.number), parser.Value(set.reason),
                                   parser.IsSet(set.reason), requested.request))
        return failure;
    if (auto failure = ReadSignalOptions(parser, set, requested.options))
        return failure;
    return Compose(requested.request, requested.options, requested.signal);
}

std::optional<int> ParseSignalCommand(CommandLine& line, const std::vector<std::string>& arguments,
                                      const SignalOptionSet& set, ParsedOptions& parsed, RequestedSignal& requested)
{
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return status;
    if (auto failure = ReadSignal(parsed, set, requested))
        return Finish(failure);
    return std::nullopt;
}

}  // namespace corvane::cli
