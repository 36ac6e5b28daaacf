// SPDX-License-Identifier: MIT
#include "line_report.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace corvane::cli {

namespace {

std::optional<double> Whole(const std::optional<int>& value)
{
    return value ? std::optional<double>(*value) : std::nullopt;
}

constexpr MeasureField kFields[] = {
    {"markHz", TrNoop("mark"), "Hz", 1, false, [](const LineMeasures& m) { return m.markHz; }},
    {"spaceHz", TrNoop("space"), "Hz", 1, false, [](const LineMeasures& m) { return m.spaceHz; }},
    {"baud", TrNoop("bit rate"), "baud", 2, false, [](const LineMeasures& m) { return m.baud; }},
    {"markDbfs", TrNoop("mark level"), "dBFS", 2, false, [](const LineMeasures& m) { return m.markDbfs; }},
    {"spaceDbfs", TrNoop("space level"), "dBFS", 2, false, [](const LineMeasures& m) { return m.spaceDbfs; }},
    {"markDbm", TrNoop("mark level"), "dBm", 2, true, [](const LineMeasures& m) { return m.markDbfs; }},
    {"spaceDbm", TrNoop("space level"), "dBm", 2, true, [](const LineMeasures& m) { return m.spaceDbfs; }},
    {"twistDb", TrNoop("twist"), "dB", 2, false, [](const LineMeasures& m) { return m.twistDb; }},
    {"snrDb", TrNoop("signal to noise"), "dB", 1, false, [](const LineMeasures& m) { return m.snrDb; }},
    {"leadMarkBits", TrNoop("lead marks"), "", 0, false, [](const LineMeasures& m) { return Whole(m.leadMarkBits); }},
    {"trailMarkBits", TrNoop("trailing marks"), "", 0, false,
     [](const LineMeasures& m) { return Whole(m.trailMarkBits); }},
    {"stopBitsMin", TrNoop("fewest stop bits"), "", 0, false,
     [](const LineMeasures& m) { return Whole(m.stopBitsMin); }},
    {"stopBitsMax", TrNoop("most stop bits"), "", 0, false, [](const LineMeasures& m) { return Whole(m.stopBitsMax); }},
    {"silenceBeforeMs", TrNoop("silence before"), "ms", 1, false,
     [](const LineMeasures& m) { return m.silenceBeforeMs; }},
    {"silenceAfterMs", TrNoop("silence after"), "ms", 1, false, [](const LineMeasures& m) { return m.silenceAfterMs; }},
    {"startSeconds", TrNoop("start"), "s", 4, false,
     [](const LineMeasures& m) { return std::optional<double>(m.startSeconds); }},
};

const MeasureField& Field(std::string_view name)
{
    return *std::find_if(std::begin(kFields), std::end(kFields),
                         [name](const MeasureField& field) { return field.name == name; });
}

std::string Shown(const LineMeasures& measures, const std::optional<double>& calDbm, std::string_view name)
{
    const MeasureField& field = Field(name);
    const std::optional<double> value = MeasureValue(field, measures, calDbm);
    return value ? ValueText(field, *value) : Tr("not measured");
}

}  // namespace

std::span<const MeasureField> MeasureFields()
{
    return kFields;
}

std::optional<double> MeasureValue(const MeasureField& field, const LineMeasures& measures,
                                   const std::optional<double>& calDbm)
{
    const std::optional<double> value = field.read(measures);
    if (!field.bNeedsCalibration)
        return value;
    return value && calDbm ? std::optional<double>(*value + *calDbm) : std::nullopt;
}

double Rounded(double value, int digits)
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

std::string ValueText(const MeasureField& field, double value)
{
    const std::string number = Fixed(Rounded(value, field.digits), field.digits);
    return *field.unit == '\0' ? number : number + " " + field.unit;
}

std::variant<LineLimits, Failure> ReadLimits(const std::string& path, bool bCalibrated)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Failure{kExitUsage, Format(Tr("Cannot read the limits file %1."), {path})};
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return Failure{kExitUsage, Format(Tr("The limits file %1 is not a JSON object of measurements and their "
                                             "[min, max]."),
                                          {path})};
    LineLimits limits;
    for (const auto& [name, bounds] : json.items()) {
        const auto* pField = std::find_if(std::begin(kFields), std::end(kFields),
                                          [&name](const MeasureField& field) { return field.name == name; });
        if (pField == std::end(kFields))
            return Failure{kExitUsage,
                           Format(Tr("The limits file %1 names \"%2\", which is no measurement."), {path, name})};
        const auto bound = [](const nlohmann::json& value) { return value.is_null() || value.is_number(); };
        if (!bounds.is_array() || bounds.size() != 2 || !bound(bounds[0]) || !bound(bounds[1]))
            return Failure{kExitUsage, Format(Tr("The limits file %1 gives \"%2\" no [min, max] (each a number or "
                                                 "null)."),
                                              {path, name})};
        std::pair<std::optional<double>, std::optional<double>> range;
        if (bounds[0].is_number())
            range.first = bounds[0].get<double>();
        if (bounds[1].is_number())
            range.second = bounds[1].get<double>();
        if (range.first && range.second && *range.first > *range.second)
            return Failure{kExitUsage,
                           Format(Tr("The limits file %1 gives \"%2\" a min above its max."), {path, name})};
        if (pField->bNeedsCalibration && !bCalibrated)
            return Failure{kExitUsage, Format(Tr("The limits file %1 limits \"%2\", which needs --cal-dbm (or "
                                                 "CORVANE_CAL_DBM)."),
                                              {path, name})};
        limits[name] = range;
    }
    return limits;
}

std::optional<std::string> OutsideText(const MeasureField& field, const LineMeasures& measures,
                                       const std::optional<double>& calDbm, const LineLimits& limits)
{
    const auto found = limits.find(field.name);
    const std::optional<double> value = MeasureValue(field, measures, calDbm);
    if (found == limits.end() || !value)
        return std::nullopt;
    const auto& [low, high] = found->second;
    const double shown = Rounded(*value, field.digits);  // judged as it is shown
    if ((!low || shown >= *low) && (!high || shown <= *high))
        return std::nullopt;
    const std::string what = Tr(field.label) + " " + ValueText(field, *value);
    if (low && high)
        return Format(Tr("%1 outside %2 to %3"), {what, Number(*low), Number(*high)});
    if (low)
        return Format(Tr("%1 below %2"), {what, Number(*low)});
    return Format(Tr("%1 above %2"), {what, Number(*high)});
}

std::vector<std::string> OutsideLimits(const LineMeasures& measures, const std::optional<double>& calDbm,
                                       const LineLimits& limits)
{
    std::vector<std::string> outside;
    for (const MeasureField& field : kFields) {
        if (std::optional<std::string> text = OutsideText(field, measures, calDbm, limits))
            outside.push_back(std::move(*text));
    }
    return outside;
}

std::string MeasuresText(const LineMeasures& m, const std::optional<double>& calDbm)
{
    const auto shown = [&](std::string_view name) { return Shown(m, calDbm, name); };
    std::string text =
        "  " + Format(Tr("tones: mark %1, space %2, %3"), {shown("markHz"), shown("spaceHz"), shown("baud")}) + "\n";
    text += "  " +
            Format(Tr("levels: mark %1, space %2, twist %3, signal to noise %4"),
                   {shown(calDbm ? "markDbm" : "markDbfs"), shown(calDbm ? "spaceDbm" : "spaceDbfs"), shown("twistDb"),
                    shown("snrDb")}) +
            "\n";
    text += "  " +
            Format(Tr("mark bits: %1 before, %2 after, %3 to %4 between characters"),
                   {shown("leadMarkBits"), shown("trailMarkBits"), shown("stopBitsMin"), shown("stopBitsMax")}) +
            "\n";
    text +=
        "  " + Format(Tr("silence: %1 before, %2 after"), {shown("silenceBeforeMs"), shown("silenceAfterMs")}) + "\n";
    return text;
}

}  // namespace corvane::cli
