// SPDX-License-Identifier: MIT
#include "sweep_receivers.h"

#include "loopback_recording.h"
#include "frame_report.h"
#include "signal_output.h"
#include "system.h"

#include "receive/frame_reader.h"

#include <ctime>
#include <filesystem>

#include <unistd.h>

namespace corvane::cli {

namespace {

// Whether our decoder finds the frame of signal exactly.
bool DecodesExactly(const stress::StressSignal& signal)
{
    return CarriesFrame(FindFrames(Demodulate(FromSamples(signal.samples, signal.rate), {})), signal.frame);
}

// A judgement of pass or fail, given now.
Judgement Judged(bool bPassed)
{
    return {bPassed ? Verdict::kPass : Verdict::kFail, std::time(nullptr)};
}

class OurDecoder : public SweepReceiver {
public:
    std::optional<Failure> Receive(const stress::StressSignal& signal, const std::string&,
                                   Judgement& judgement) override
    {
        judgement = Judged(DecodesExactly(signal));
        return std::nullopt;
    }

    const char* Judge() const override { return "decoder"; }
};

// Whether command line exits with status 0 and prints expected.
bool CommandPrints(const std::string& line, const std::string& expected)
{
    std::string output;
    return RunCommandLine(line, output) == 0 && output.find(expected) != std::string::npos;
}

class UserCommand : public SweepReceiver {
public:
    UserCommand(std::string command, std::string expected, std::filesystem::path folder)
        : m_command(std::move(command)), m_expected(std::move(expected)), m_folder(std::move(folder)),
          m_wave((m_folder / "signal.wav").string())
    {
    }

    ~UserCommand() override
    {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::optional<Failure> Receive(const stress::StressSignal& signal, const std::string&,
                                   Judgement& judgement) override
    {
        if (auto failure = WriteOutput(m_wave, OutputBytes(signal, false)))
            return failure;
        std::string line;
        for (std::size_t at = 0; at < m_command.size(); ++at) {
            if (m_command.compare(at, 2, "{}") == 0) {
                line += ShellWord(m_wave);
                ++at;
            } else {
                line += m_command[at];
            }
        }
        judgement = Judged(CommandPrints(line, m_expected));
        return std::nullopt;
    }

    const char* Judge() const override { return "command"; }

private:
    std::string m_command;
    std::string m_expected;
    std::filesystem::path m_folder;
    std::string m_wave;
};

class ThroughCable : public SweepReceiver {
public:
    ThroughCable(SignalPlayer& player, std::string device) : m_player(player), m_device(std::move(device)) {}

    std::optional<Failure> Receive(const stress::StressSignal& signal, const std::string&,
                                   Judgement& judgement) override
    {
        std::vector<std::int16_t> samples;
        const double seconds = static_cast<double>(signal.samples.size()) / signal.rate;
        if (auto failure = PlayAndRecord(m_player, signal, seconds, m_device, samples))
            return failure;
        stress::StressSignal received = signal;
        received.samples = std::move(samples);
        judgement = Judged(DecodesExactly(received));
        return std::nullopt;
    }

    const char* Judge() const override { return "cable"; }

private:
    SignalPlayer& m_player;
    std::string m_device;
};

class Operator : public SweepReceiver {
public:
    Operator(OperatorJudge& judge, std::string expected) : m_judge(judge), m_expected(std::move(expected)) {}

    std::optional<Failure> Receive(const stress::StressSignal& signal, const std::string& about,
                                   Judgement& judgement) override
    {
        return m_judge.Judge(signal, m_expected, about, judgement);
    }

    const char* Judge() const override { return "operator"; }

private:
    OperatorJudge& m_judge;
    std::string m_expected;
};

}  // namespace

std::unique_ptr<SweepReceiver> DecoderReceiver()
{
    return std::make_unique<OurDecoder>();
}

std::unique_ptr<SweepReceiver> CommandReceiver(const std::string& command, const std::string& expected,
                                               std::optional<Failure>& failure)
{
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("corvane-sweep-" + std::to_string(getpid()));
    if (!std::filesystem::create_directories(folder, error)) {
        failure = Failure{kExitFailed, Format(Tr("Cannot make a folder for the signals: %1"), {error.message()})};
        return nullptr;
    }
    return std::make_unique<UserCommand>(command, expected, folder);
}

std::unique_ptr<SweepReceiver> CableReceiver(SignalPlayer& player, const std::string& device)
{
    return std::make_unique<ThroughCable>(player, device);
}

std::unique_ptr<SweepReceiver> OperatorReceiver(OperatorJudge& judge, const std::string& expected)
{
    return std::make_unique<Operator>(judge, expected);
}

}  // namespace corvane::cli
