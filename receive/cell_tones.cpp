// SPDX-License-Identifier: MIT
#include "cell_tones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace corvane {

namespace {

constexpr double kToneRange = 0.15;
// A half period counts when it keeps this share of a cell from the cell's ends.
constexpr double kCrossingMargin = 0.05;
// Of each cell's ends, this share is left out of its level: a filter on the line smears the change
// between the tones across them.
constexpr double kLevelMargin = 0.2;
constexpr double kMostShift = 0.3;
constexpr double kEnoughInner = 16;
constexpr std::size_t kEnoughCells = 40;
// Where the cubic passes this share of a step from zero at the straight line's crossing.
constexpr double kStraight = 1e-3;
// A half period is of neither tone when it is this much above the lower and below the higher.
constexpr double kBetween = 0.1;
constexpr double kCoarseShift = 0.05;
constexpr double kFineShift = 0.01;
constexpr int kFineSteps = 4;

// Half periods counted and summed (in samples).
struct HalfSums {
    double count = 0;
    double span = 0;

    void Add(double half)
    {
        count += 1;
        span += half;
    }
    std::optional<double> Frequency(double rate) const
    {
        return count > 0 ? std::optional<double>(rate * count / (2 * span)) : std::nullopt;
    }
};

struct HalfPeriods {
    HalfSums mark;
    HalfSums space;
    HalfSums innerMark;  // those in cells between two of the same tone
    HalfSums innerSpace;
};

// The cell (counted from the lattice's first) that holds the half period from begin to end, away
// from its edges, if one does.
// The whole number at or below x (|x| below 2^62): std::floor is a library call on the baseline
// x86-64 this is built for, and this runs for every zero crossing.
inline long long Floor(double x)
{
    const auto truncated = static_cast<long long>(x);
    return truncated - (x < static_cast<double>(truncated) ? 1 : 0);
}

std::optional<std::size_t> HoldingCell(double begin, double end, const CellLattice& lattice, double origin)
{
    const long long k = Floor((begin - origin) * (1 / lattice.cell));
    const double cellBegin = origin + static_cast<double>(k) * lattice.cell;
    const auto index = k - lattice.first;
    if (index < 0 || index >= static_cast<long long>(lattice.marks.size()) ||
        begin < cellBegin + kCrossingMargin * lattice.cell || end > cellBegin + (1 - kCrossingMargin) * lattice.cell)
        return std::nullopt;
    return static_cast<std::size_t>(index);
}

// How many of the half periods of neither tone (each a begin and an end) lie within a cell when
// the lattice is moved by shift.
int Between(const std::vector<std::pair<double, double>>& neither, const CellLattice& lattice, double shift)
{
    int count = 0;
    for (const auto& [begin, end] : neither)
        count += HoldingCell(begin, end, lattice, lattice.origin + shift).has_value() ? 1 : 0;
    return count;
}

HalfPeriods WithinCells(const std::vector<double>& crossings, const CellLattice& lattice, double shift,
                        const FskTones& tones, double rate)
{
    HalfPeriods halves;
    // Each tone's half period, in samples, and how far from it one may be: kToneRange of the tone.
    const double markHalf = rate / (2 * tones.markHz);
    const double spaceHalf = rate / (2 * tones.spaceHz);
    for (std::size_t i = 1; i < crossings.size(); ++i) {
        const std::optional<std::size_t> at =
            HoldingCell(crossings[i - 1], crossings[i], lattice, lattice.origin + shift);
        if (!at)
            continue;
        const bool bMark = lattice.marks[*at];
        const double half = crossings[i] - crossings[i - 1];
        const double expected = bMark ? markHalf : spaceHalf;
        if (half < expected / (1 + kToneRange) || half > expected / (1 - kToneRange))
            continue;
        (bMark ? halves.mark : halves.space).Add(half);
        if (*at > 0 && *at + 1 < lattice.marks.size() && lattice.marks[*at - 1] == bMark &&
            lattice.marks[*at + 1] == bMark)
            (bMark ? halves.innerMark : halves.innerSpace).Add(half);
    }
    return halves;
}

// Where between samples n and n + 1 (which differ in sign) the wave crosses zero, as the cubic
// through the four samples around them has it: a straight line would misplace the crossings of a
// square's band-limited edges.
double Crossing(const HeldSamples& held, long long n)
{
    const double a = held.At(n);
    const double b = held.At(n + 1);
    double t = a / (a - b);
    if (n - 1 < held.first || n + 2 >= held.End())
        return t;
    const double p0 = held.At(n - 1), p3 = held.At(n + 2);
    // Lagrange's cubic through (-1, p0), (0, a), (1, b), (2, p3) as c0 + c1 t + c2 t^2 + c3 t^3.
    const double c1 = -p0 / 3 - a / 2 + b - p3 / 6;
    const double c2 = (p0 + b) / 2 - a;
    const double c3 = (p3 - p0) / 6 + (a - b) / 2;
    // One step of Newton's from the straight line's crossing, where the cubic strays from it: near
    // a sine's crossing it hardly does.
    const double value = a + t * (c1 + t * (c2 + t * c3));
    const double slope = c1 + t * (2 * c2 + t * 3 * c3);
    if (std::abs(value) > kStraight * std::abs(b - a) && slope != 0)
        t = std::clamp(t - value / slope, 0.0, 1.0);
    return t;
}

}  // namespace

ToneMeasures MeasureTones(const HeldSamples& held, const CellLattice& lattice, const FskTones& tones,
                          bool bPhaseContinuous)
{
    ToneMeasures measures;
    const double cell = lattice.cell;
    // The cells from the first until each tone has had enough: more would tell the tones no better.
    std::size_t taken = 0;
    for (std::size_t nMarks = 0, nSpaces = 0;
         taken < lattice.marks.size() && (nMarks < kEnoughCells || nSpaces < kEnoughCells); ++taken)
        ++(lattice.marks[taken] ? nMarks : nSpaces);
    const double begin = lattice.origin + (static_cast<double>(lattice.first) - kMostShift) * cell;
    const double end =
        lattice.origin + (static_cast<double>(lattice.first + static_cast<long long>(taken)) + kMostShift) * cell;
    const long long from = std::max(held.first, static_cast<long long>(std::floor(begin)));
    const long long to = std::min(held.End() - 1, static_cast<long long>(std::ceil(end)));
    // Where the sign changes, gathered without a branch a sample: at 8 kHz a tone changes sign every
    // third sample or so, which no branch predictor follows.
    const float* const pFrom = held.samples.data() + (from - held.first);
    std::vector<std::int32_t> changes(static_cast<std::size_t>(std::max(0LL, to - from)) + 1);
    std::size_t nChanges = 0;
    for (long long i = 0; i < to - from; ++i) {
        changes[nChanges] = static_cast<std::int32_t>(i);
        nChanges += std::signbit(pFrom[i]) != std::signbit(pFrom[i + 1]) ? 1 : 0;
    }
    std::vector<double> crossings(nChanges);
    for (std::size_t k = 0; k < nChanges; ++k)
        crossings[k] = static_cast<double>(from + changes[k]) + Crossing(held, from + changes[k]);
    const double rate = held.rate;
    // The shift at which fewest half periods of neither tone (timed across a change of tone) lie
    // within a cell, the nearest to none where several do: sought in coarse steps, then fine ones.
    std::vector<std::pair<double, double>> neither;
    const double lower = std::min(tones.markHz, tones.spaceHz);
    const double upper = std::max(tones.markHz, tones.spaceHz);
    for (std::size_t i = 1; bPhaseContinuous && i < crossings.size(); ++i) {
        const double hz = rate / (2 * (crossings[i] - crossings[i - 1]));
        if (hz > lower * (1 + kBetween) && hz < upper * (1 - kBetween))
            neither.emplace_back(crossings[i - 1], crossings[i]);
    }
    double best = 0;
    // Cells that restart their wave are timed exactly by the receiver; only a phase-continuous
    // wave's changes of tone are found late or early.
    int fewest = bPhaseContinuous ? Between(neither, lattice, 0) : 0;
    for (const double step : {kCoarseShift, kFineShift}) {
        const double centre = best;
        const int steps = step == kCoarseShift ? static_cast<int>(kMostShift / kCoarseShift) : kFineSteps;
        for (int k = 1; k <= steps && fewest > 0; ++k) {
            for (const double shift : {centre - k * step * cell, centre + k * step * cell}) {
                const int found = Between(neither, lattice, shift);
                if (found < fewest) {
                    best = shift;
                    fewest = found;
                }
            }
        }
    }
    measures.shift = best;
    const HalfPeriods halves = WithinCells(crossings, lattice, best, tones, rate);
    const auto inner = [bPhaseContinuous](const HalfSums& all, const HalfSums& within) {
        return bPhaseContinuous && within.count >= kEnoughInner ? within : all;
    };
    measures.markHz = inner(halves.mark, halves.innerMark).Frequency(rate);
    measures.spaceHz = inner(halves.space, halves.innerSpace).Frequency(rate);

    for (std::size_t i = 0; i < taken; ++i) {
        const double cellBegin =
            lattice.origin + best + (static_cast<double>(lattice.first) + static_cast<double>(i)) * cell;
        const auto first = std::max(held.first, -Floor(-(cellBegin + kLevelMargin * cell)));
        const auto last = std::min(held.End() - 1, Floor(cellBegin + (1 - kLevelMargin) * cell));
        double power = 0;  // summed here, not through a reference the compiler must store each time
        const float* const pFirst = held.samples.data() + (first - held.first);
        for (long long k = 0; k <= last - first; ++k)
            power += static_cast<double>(pFirst[k]) * pFirst[k];
        (lattice.marks[i] ? measures.markPower : measures.spacePower) += power;
        (lattice.marks[i] ? measures.markSamples : measures.spaceSamples) +=
            static_cast<double>(std::max(0LL, last - first + 1));
    }
    if (measures.markSamples > 0)
        measures.markPower /= measures.markSamples;
    if (measures.spaceSamples > 0)
        measures.spacePower /= measures.spaceSamples;
    return measures;
}

}  // namespace corvane
