// SPDX-License-Identifier: MIT
// A frame's signal measurements as the decode command gives them (text, JSON fields, CSV
// columns), and the user's limits on them.
#pragma once

#include "cli_common.h"
#include "receive/line_measure.h"

#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace corvane::cli {

// One measurement as it is named in JSON, CSV and a limits file, and how it reads in words.
struct MeasureField {
    const char* name;        // "markHz"
    const char* label;       // "mark", for Tr
    const char* unit;        // "Hz"; empty for a count
    int digits;              // decimals shown
    bool bNeedsCalibration;  // dBm, which only a calibration gives: the dBFS read plus it
    std::optional<double> (*read)(const LineMeasures& measures);  // the measurement, in dBFS for dBm
};

// Every measurement, in the order of the CSV's columns.
std::span<const MeasureField> MeasureFields();

// field's value in measures, dBm from calDbm (the input's level in dBm for a full-scale sine).
std::optional<double> MeasureValue(const MeasureField& field, const LineMeasures& measures,
                                   const std::optional<double>& calDbm);

// Each field's bounds: [min, max], either open.
using LineLimits = std::map<std::string, std::pair<std::optional<double>, std::optional<double>>>;

// Reads a limits file: a JSON object of field names (MeasureFields) to [min, max], either null.
// A failure (exit 2) for a file that cannot be read or does not parse, an unknown field, a value
// that is no such pair, min above max, or a dBm limit without a calibration.
std::variant<LineLimits, Failure> ReadLimits(const std::string& path, bool bCalibrated);

// Each measurement outside its limits, in words ("mark 1365.2 Hz outside 1280 to 1320"). One
// that was not measured is outside none.
std::vector<std::string> OutsideLimits(const LineMeasures& measures, const std::optional<double>& calDbm,
                                       const LineLimits& limits);

// field outside its limits, in those words; nullopt when it is within them, has none or was not
// measured.
std::optional<std::string> OutsideText(const MeasureField& field, const LineMeasures& measures,
                                       const std::optional<double>& calDbm, const LineLimits& limits);

// measures as lines under a frame in the text output, each indented by two spaces.
std::string MeasuresText(const LineMeasures& measures, const std::optional<double>& calDbm);

// A value rounded to digits decimals, as JSON and CSV give it.
double Rounded(double value, int digits);

// A measurement with its unit in words ("1333.3 Hz").
std::string ValueText(const MeasureField& field, double value);

}  // namespace corvane::cli
