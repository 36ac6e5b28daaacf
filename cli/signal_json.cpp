// SPDX-License-Identifier: MIT
#include "signal_json.h"

#include "named_parameters.h"

#include "request/code_page_932.h"
#include "signal/frame.h"

namespace corvane::cli {

nlohmann::json OptionsJson(const SignalOptions& options)
{
    static const char* const kCorruptions[] = {"none", "crc", "parity", "truncate"};
    nlohmann::json json{{"dialogSignal", options.IsDialogSignal()},
                        {"waveform", options.waveform == Waveform::Sine ? "sine" : "square"},
                        {"rate", options.rate},
                        {"leadMarks", options.leadMarks},
                        {"trailMarks", options.trailMarks},
                        {"silenceMs", options.silenceMs},
                        {"corrupt", kCorruptions[static_cast<int>(options.corruption)]}};
    if (options.levelDbfs)
        json["levelDbfs"] = *options.levelDbfs;
    else
        json["amplitudePercent"] = options.amplitudePercent;
    if (options.waveform == Waveform::Sine || options.MovesTheTones()) {
        json["markHz"] = options.markHz;
        json["spaceHz"] = options.spaceHz;
        json["baud"] = options.baud;
    }
    if (options.stopBits != 1 || options.charGapBits != 0) {
        json["stopBits"] = options.stopBits;
        json["charGapBits"] = options.charGapBits;
    }
    if (options.noiseSnrDb) {
        json["noiseSnrDb"] = *options.noiseSnrDb;
        json["seed"] = options.seed;
    }
    if (options.corruption == Corruption::Parity || options.corruption == Corruption::Truncate)
        json["corruptByte"] = options.corruptByte;
    nlohmann::json params = nlohmann::json::array();
    for (const FrameParameter& parameter : options.extraParameters)
        params.push_back(ParameterJson(parameter.type, parameter.text));
    json["params"] = params;
    return json;
}

nlohmann::json RequestJson(const NotificationRequest& request)
{
    return {{"kind", request.kind == InformationKind::CallerNumber ? "number" : "reason"},
            {"text", FromCodePage932(request.text)}};
}

nlohmann::json SignalJson(const NotificationRequest& request, const SignalOptions& options, const StressSignal& signal)
{
    const std::vector<int> bytes(signal.frame.data.begin(), signal.frame.data.begin() + signal.frame.bSendCnt);
    const int count = signal.frame.bSendCnt;
    const int check = count >= 2 ? signal.frame.data[static_cast<std::size_t>(count - 2)] |
                                       signal.frame.data[static_cast<std::size_t>(count - 1)] << 8
                                 : 0;
    return nlohmann::json{{"version", Version()},
                          {"request", RequestJson(request)},
                          {"frame", Trimmed(HexFrameText(signal.frame))},
                          {"frameBytes", bytes},
                          {"check", Hex(check, 4)},
                          {"sendCount", count},
                          {"samples", signal.samples.size()},
                          {"seconds", static_cast<double>(signal.samples.size()) / signal.rate},
                          {"peak", signal.peak},
                          {"options", OptionsJson(options)}};
}

}  // namespace corvane::cli
