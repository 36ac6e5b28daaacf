// SPDX-License-Identifier: MIT
#include "sweep_axes.h"

#include "signal/synthesis.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace corvane::cli {

namespace {

const char* const kParameters[] = {"level-dbfs", "snr", "tone-offset-pct", "baud-offset-pct", "stop-bits"};

}  // namespace

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

std::optional<Failure> Apply(const std::string& name, double value, stress::SignalOptions& options)
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

}  // namespace corvane::cli
