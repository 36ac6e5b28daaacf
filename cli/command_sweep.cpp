// SPDX-License-Identifier: MIT
// corvane-cli sweep: a receiver's tolerance as the share of frames it decodes exactly, over one or
// two stress parameters, with several seeds at each point. In the decoding module, whose decoder is
// the receiver unless a command is given.
#include "commands.h"

#include "decode_input.h"
#include "frame_report.h"
#include "plot.h"
#include "receive/frame_reader.h"
#include "request/code_page_932.h"
#include "signal/synthesis.h"
#include "signal/wave_file.h"
#include "signal_json.h"
#include "signal_output.h"
#include "signal_request.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace corvane::cli {

namespace {

// Points on one axis at most, and trials in all: a sweep that would take hours is a typing error.
constexpr std::size_t kMaxPoints = 1000;
constexpr std::size_t kMaxTrials = 200000;

// A parameter varied over values, named as the command line names it.
struct Axis {
    std::string name;
    std::vector<double> values;
};

const char* const kParameters[] = {"level-dbfs", "snr", "tone-offset-pct", "baud-offset-pct", "stop-bits"};

// NAME=FROM:TO:STEP, FROM and TO included, STEP positive (the values go down when TO is below
// FROM).
std::optional<Failure> ReadAxis(const std::string& text, Axis& axis)
{
    const Failure bad{kExitUsage, Format(Tr("--vary is NAME=FROM:TO:STEP with NAME one of level-dbfs, snr, "
                                            "tone-offset-pct, baud-offset-pct and stop-bits, not \"%1\"."),
                                         {text})};
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        return bad;
    axis.name = text.substr(0, equals);
    if (std::find(std::begin(kParameters), std::end(kParameters), axis.name) == std::end(kParameters))
        return bad;
    std::vector<double> numbers;
    std::istringstream fields(text.substr(equals + 1));
    for (std::string field; std::getline(fields, field, ':');) {
        double number = 0;
        if (ParseNumber(field, -1000, 1000, "vary", number))
            return bad;
        numbers.push_back(number);
    }
    if (numbers.size() != 3 || numbers[2] <= 0)
        return bad;
    const double span = std::abs(numbers[1] - numbers[0]);
    const auto count = static_cast<std::size_t>(std::floor(span / numbers[2] + 1e-9)) + 1;
    if (count > kMaxPoints)
        return Failure{kExitUsage, Format(Tr("--vary %1 gives more than %2 points."), {text, Number(kMaxPoints)})};
    const double direction = numbers[1] < numbers[0] ? -1 : 1;
    for (std::size_t i = 0; i < count; ++i)
        axis.values.push_back(numbers[0] + direction * static_cast<double>(i) * numbers[2]);
    return std::nullopt;
}

// Sets the varied parameter in options, or says why its value cannot be.
std::optional<Failure> Apply(const std::string& name, double value, SignalOptions& options)
{
    const auto outside = [&name, value](double low, double high) -> std::optional<Failure> {
        if (value >= low && value <= high)
            return std::nullopt;
        return Failure{kExitUsage, Format(Tr("--vary %1 reaches %2, outside %3 to %4."),
                                          {name, Fixed(value, 2), Fixed(low, 0), Fixed(high, 0)})};
    };
    if (name == "level-dbfs") {
        options.levelDbfs = value;
        return outside(-90, 0);
    }
    if (name == "snr") {
        options.noiseSnrDb = value;
        return outside(-20, 100);
    }
    if (name == "tone-offset-pct") {
        options.markHz = kMarkHz * (1 + value / 100);
        options.spaceHz = kSpaceHz * (1 + value / 100);
        return outside(-10, 10);
    }
    if (name == "baud-offset-pct") {
        options.baud = 1200 * (1 + value / 100);
        return outside(-10, 10);
    }
    options.stopBits = static_cast<int>(std::lround(value));
    return outside(1, 10);
}

// A parameter's name on a plot's axis, with its unit.
std::string AxisName(const std::string& name)
{
    if (name == "level-dbfs")
        return Tr("level (dBFS, peak)");
    if (name == "snr")
        return Tr("signal-to-noise ratio (dB)");
    if (name == "tone-offset-pct")
        return Tr("both tones' offset (%)");
    if (name == "baud-offset-pct")
        return Tr("bit rate's offset (%)");
    return Tr("stop bits");
}

// Whether our decoder finds the frame of signal exactly.
bool DecodesExactly(const StressSignal& signal)
{
    return CarriesFrame(FindFrames(Demodulate(FromSamples(signal.samples, signal.rate), {})), signal.frame);
}

// Whether the frame of signal comes back exactly through the cable from the output to the input:
// played by player while the input is recorded for as long as the signal, whose silence at its end
// takes the cable's delay.
std::optional<Failure> ReceivesThroughLoopback(SignalPlayer& player, const StressSignal& signal,
                                               const std::string& device, bool& bPassed)
{
    std::vector<std::int16_t> samples;
    const double seconds = static_cast<double>(signal.samples.size()) / signal.rate;
    if (auto failure = PlayAndRecord(player, signal, seconds, device, samples))
        return failure;
    StressSignal received = signal;
    received.samples = std::move(samples);
    bPassed = DecodesExactly(received);
    return std::nullopt;
}

// Whether command, the WAVE file's path put for each {} (quoted for the shell), exits with status 0
// and prints expected.
bool ReceivesExternally(const std::string& command, const std::string& path, const std::string& expected)
{
    std::string line;
    for (std::size_t at = 0; at < command.size(); ++at) {
        if (command.compare(at, 2, "{}") == 0) {
            line += "'" + path + "'";
            ++at;
        } else {
            line += command[at];
        }
    }
    std::FILE* pPipe = popen((line + " 2>/dev/null").c_str(), "r");
    if (pPipe == nullptr)
        return false;
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pPipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pPipe);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && output.find(expected) != std::string::npos;
}

int Sweep(const Arguments& arguments)
{
    CommandLine line("sweep", Tr("Measures a receiver's tolerance: the share of frames it decodes exactly over one or "
                                 "two stress parameters.\n\nExample: corvane-cli sweep --number 0312345678 --vary "
                                 "snr=-2:8:0.5 --seeds 40 --csv snr.csv"));
    const SignalOptionSet set;
    set.AddTo(line, true);
    const Option vary{"vary",
                      Tr("A parameter and its values, NAME=FROM:TO:STEP (once or twice): level-dbfs, snr, "
                         "tone-offset-pct, baud-offset-pct or stop-bits."),
                      "PARAM"};
    const Option seeds =
        Option{"seeds", Tr("Seeds of the noise at each point, 1 to 1000 (default 10)."), "N"}.TakesWhole(1, 1000);
    const Option csv{"csv", Tr("Also write the results as CSV to this file."), "FILE"};
    const Option json{"json", Tr("Also write the results as JSON to this file."), "FILE"};
    const Option receiver{"receiver",
                          Tr("A command that receives instead of our decoder; {} is the WAVE file. It passes when it "
                             "exits 0 and prints the number (or the reason)."),
                          "COMMAND"};
    const Option plot{"plot",
                      Tr("Also draw the pass rate against the first parameter, one curve for each value of the second, "
                         "into FILE.png or FILE.svg."),
                      "FILE"};
    const Option loopback{"loopback", Tr("Play each signal and record it back through a cable from the output to the "
                                         "input, and decode what comes back.")};
    const PlayerOptionSet playerSet;
    line.Add({vary, seeds, csv, json, plot, receiver, loopback, playerSet.volume, playerSet.device});
    ParsedOptions parsed;
    if (auto status = ParseOrExit(line, arguments, 0, parsed))
        return *status;
    RequestedSignal base;
    if (auto failure = ReadSignal(parsed, set, base))
        return Finish(failure);
    const std::vector<std::string> varied = parsed.Values(vary);
    if (varied.empty() || varied.size() > 2)
        return Finish(Failure{kExitUsage, Tr("Give --vary once or twice.")});
    std::vector<Axis> axes(varied.size());
    for (std::size_t i = 0; i < varied.size(); ++i) {
        if (auto failure = ReadAxis(varied[i], axes[i]))
            return Finish(failure);
    }
    if (axes.size() == 2 && axes[0].name == axes[1].name)
        return Finish(Failure{kExitUsage, Tr("--vary names two different parameters.")});
    long long nSeeds = 10;
    if (auto failure = ReadWhole(parsed, seeds, nSeeds))
        return Finish(failure);
    const std::vector<double> second = axes.size() == 2 ? axes[1].values : std::vector<double>{0};
    if (axes[0].values.size() * second.size() * static_cast<std::size_t>(nSeeds) > kMaxTrials)
        return Finish(
            Failure{kExitUsage, Format(Tr("The sweep would take more than %1 signals."), {Number(kMaxTrials)})});

    const bool bExternal = parsed.IsSet(receiver);
    const bool bLoopback = parsed.IsSet(loopback);
    if (bExternal && bLoopback)
        return Finish(Failure{kExitUsage, Tr("Give --receiver or --loopback, not both.")});
    std::unique_ptr<SignalPlayer> player;
    PlayerSettings settings;
    if (bLoopback) {
        if (auto failure = ReadPlayerSettings(parsed, playerSet, settings))
            return Finish(failure);
        if (auto failure = OpenPlayer(settings, player))
            return Finish(failure);
    }
    const std::string expected = FromCodePage932(base.request.text);
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path(error) / ("corvane-sweep-" + std::to_string(getpid()));
    if (bExternal && !std::filesystem::create_directories(folder, error))
        return Finish(Failure{kExitFailed, Format(Tr("Cannot make a folder for the signals: %1"), {error.message()})});
    const std::string wave = (folder / "signal.wav").string();

    Plot picture;
    // The receiver by its program's name: the rest of its command line says little on a picture.
    const std::string program = parsed.Value(receiver).substr(0, parsed.Value(receiver).find(' '));
    picture.title =
        Format(Tr("Frames decoded exactly by %1"),
               {bExternal ? std::filesystem::path(program).filename().string() : std::string("corvane-cli decode")});
    picture.xLabel = AxisName(axes[0].name);
    picture.yLabel = Tr("frames decoded exactly (%)");
    std::ostringstream table;  // CSV
    nlohmann::json points = nlohmann::json::array();
    table << axes[0].name << (axes.size() == 2 ? "," + axes[1].name : "") << ",passed,seeds,share\n";
    std::optional<Failure> failure;
    for (const double secondValue : second) {
        picture.series.push_back({axes.size() == 2 ? axes[1].name + " " + Fixed(secondValue, 2) : Tr("pass rate"), {}});
        for (const double firstValue : axes[0].values) {
            SignalOptions options = base.options;
            failure = Apply(axes[0].name, firstValue, options);
            if (!failure && axes.size() == 2)
                failure = Apply(axes[1].name, secondValue, options);
            if (failure)
                break;
            int nPassed = 0;
            for (long long seed = 1; seed <= nSeeds; ++seed) {
                options.seed = static_cast<std::uint32_t>(seed);
                StressSignal signal;
                if ((failure = Compose(base.request, options, signal)))
                    break;
                if (bLoopback) {
                    bool bPassed = false;
                    if ((failure = ReceivesThroughLoopback(*player, signal, settings.device, bPassed)))
                        break;
                    nPassed += bPassed ? 1 : 0;
                } else if (!bExternal) {
                    nPassed += DecodesExactly(signal) ? 1 : 0;
                } else {
                    if ((failure = WriteOutput(wave, OutputBytes(signal, false))))
                        break;
                    nPassed += ReceivesExternally(parsed.Value(receiver), wave, expected) ? 1 : 0;
                }
            }
            if (failure)
                break;
            const double share = static_cast<double>(nPassed) / static_cast<double>(nSeeds);
            std::string point = axes[0].name + "=" + Fixed(firstValue, 2);
            nlohmann::json entry{{axes[0].name, firstValue}, {"passed", nPassed}, {"seeds", nSeeds}};
            table << Fixed(firstValue, 2);
            if (axes.size() == 2) {
                point += " " + axes[1].name + "=" + Fixed(secondValue, 2);
                entry[axes[1].name] = secondValue;
                table << "," << Fixed(secondValue, 2);
            }
            table << "," << nPassed << "," << nSeeds << "," << Fixed(share, 4) << "\n";
            points.push_back(entry);
            picture.series.back().points.emplace_back(firstValue, 100 * share);
            PrintOut(Format(Tr("%1: %2 of %3 decoded (%4 %)\n"),
                            {point, Number(nPassed), Number(nSeeds), Fixed(100 * share, 1)}));
            std::fflush(stdout);
        }
        if (failure)
            break;
    }
    if (bExternal)
        std::filesystem::remove_all(folder, error);
    if (failure)
        return Finish(failure);
    if (parsed.IsSet(plot)) {
        if (auto drawn = DrawPlot(picture, parsed.Value(plot)))
            return Finish(drawn);
    }
    if (parsed.IsSet(csv)) {
        const std::string text = table.str();
        if (auto written = WriteOutput(parsed.Value(csv), {text.begin(), text.end()}))
            return Finish(written);
    }
    if (parsed.IsSet(json)) {
        nlohmann::json results{
            {"version", Version()},
            {"request",
             RequestJson(base.request)},
            {"receiver", bExternal   ? parsed.Value(receiver)
                         : bLoopback ? std::string("corvane-cli decode, through the loopback")
                                     : std::string("corvane-cli decode")},
            {"seeds", nSeeds},
            {"vary", varied},
            {"points", points}};
        const std::string text = results.dump() + "\n";
        if (auto written = WriteOutput(parsed.Value(json), {text.begin(), text.end()}))
            return Finish(written);
    }
    return Finish(std::nullopt);
}

}  // namespace

}  // namespace corvane::cli

extern "C" int CorvaneCliSweep(const corvane::cli::Arguments* pArguments)
{
    return corvane::cli::Sweep(*pArguments);
}
