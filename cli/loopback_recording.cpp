// SPDX-License-Identifier: MIT
#include "loopback_recording.h"

#include "audio/capture.h"

#include <thread>

namespace corvane::cli {

std::optional<Failure> PlayAndRecord(SignalPlayer& player, const stress::StressSignal& signal, double seconds,
                                     const std::string& device, std::vector<std::int16_t>& samples)
{
    Status recorded;
    std::thread recorder([&] { recorded = CaptureSamples(seconds, signal.rate, samples, device); });
    const std::optional<Failure> played = player.Play(signal);
    recorder.join();
    if (played)
        return played;
    if (!recorded.IsOk())
        return Failure{kExitFailed, Format(Tr("Cannot record: %1"), {StatusText(recorded)})};
    return std::nullopt;
}

}  // namespace corvane::cli
