// SPDX-License-Identifier: MIT
#include "capture_input.h"

#include "audio/capture.h"

#include <atomic>
#include <csignal>
#include <cstdint>

namespace corvane::cli {

namespace {

// The default input, recorded and taken block by block.
std::atomic<bool> g_bInterrupted = false;

void OnInterrupt(int)
{
    g_bInterrupted = true;
}

class CapturedSource : public SampleSource {
public:
    CapturedSource(double seconds, int rate, const std::string& device) : m_stream(seconds, rate, device), m_nRate(rate)
    {
    }
    int Rate() const override { return m_nRate; }
    bool Next(std::vector<float>& samples) override
    {
        samples.clear();
        if (g_bInterrupted || !m_stream.Next(m_block))
            return false;
        for (const std::int16_t sample : m_block)
            samples.push_back(static_cast<float>(sample) / 32768.0f);
        return true;
    }
    std::optional<Failure> Problem() const override
    {
        const Status result = m_stream.Result();
        if (result.IsOk())
            return std::nullopt;
        return Failure{kExitFailed, Format(Tr("Cannot record: %1"), {StatusText(result)})};
    }

private:
    CaptureStream m_stream;
    int m_nRate;
    std::vector<std::int16_t> m_block;
};

}  // namespace

void EndCaptureOnInterrupt()
{
#ifdef SIGBREAK
    // Windows has no sigaction; its console's Ctrl-Break comes as a signal of its own.
    for (const int signal : {SIGINT, SIGBREAK})
        std::signal(signal, OnInterrupt);
#else
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
#endif
}

std::unique_ptr<SampleSource> CaptureSource(double seconds, int rate, const std::string& device)
{
    return std::make_unique<CapturedSource>(seconds, rate, device);
}

}  // namespace corvane::cli
