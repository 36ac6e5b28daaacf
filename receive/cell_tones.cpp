// SPDX-License-Identifier: MIT
#include "cell_tones.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

constexpr double kToneRange = 0.15;
// A half period counts when it keeps this share of a cell from the cell's ends.
constexpr double kCrossingMargin = 0.05;
// Of each cell's ends, this share is left out of its level: a filter on the line smears the change
// between the tones across them.
constexpr double kLevelMargin = 0.2;
constexpr double kMostShift = 0.3;
constexpr std::size_t kEnoughInner = 16;
// A half period is of neither tone when it is this much above the lower and below the higher.
constexpr double kBetween = 0.1;
constexpr double kShiftStep = 0.02;

struct HalfPeriods {
    std::vector<double> mark;  // in samples
    std::vector<double> space;
    std::vector<double> innerMark;  // those in cells between two of the same tone
    std::vector<double> innerSpace;
    int between = 0;  // half periods of neither tone, nearer the other than their own cell's
};

HalfPeriods WithinCells(const std::vector<double>& crossings, const CellLattice& lattice, double shift,
                        const FskTones& tones, double rate)
{
    HalfPeriods halves;
    const double origin = lattice.origin + shift;
    const double lower = std::min(tones.markHz, tones.spaceHz);
    const double upper = std::max(tones.markHz, tones.spaceHz);
    for (std::size_t i = 1; i < crossings.size(); ++i) {
        const double k = std::floor((crossings[i - 1] - origin) / lattice.cell);
        const double begin = origin + k * lattice.cell;
        const auto index = static_cast<long long>(k) - lattice.first;
        if (index < 0 || index >= static_cast<long long>(lattice.marks.size()))
            continue;
        if (crossings[i - 1] < begin + kCrossingMargin * lattice.cell ||
            crossings[i] > begin + (1 - kCrossingMargin) * lattice.cell)
            continue;
        const bool bMark = lattice.marks[static_cast<std::size_t>(index)];
        const double half = crossings[i] - crossings[i - 1];
        const double hz = rate / (2 * half);
        if (std::abs(hz / (bMark ? tones.markHz : tones.spaceHz) - 1) <= kToneRange) {
            (bMark ? halves.mark : halves.space).push_back(half);
            const auto at = static_cast<std::size_t>(index);
            if (at > 0 && at + 1 < lattice.marks.size() && lattice.marks[at - 1] == bMark && lattice.marks[at + 1] == bMark)
                (bMark ? halves.innerMark : halves.innerSpace).push_back(half);
        }
        if (hz > lower * (1 + kBetween) && hz < upper * (1 - kBetween))
            ++halves.between;
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
    // Lagrange's cubic through (-1, p0), (0, a), (1, b), (2, p3), and its derivative.
    const auto value = [&](double x) {
        return -p0 * x * (x - 1) * (x - 2) / 6 + a * (x + 1) * (x - 1) * (x - 2) / 2 - b * (x + 1) * x * (x - 2) / 2 +
               p3 * (x + 1) * x * (x - 1) / 6;
    };
    for (int i = 0; i < 4; ++i) {
        const double slope = (value(t + 1e-4) - value(t - 1e-4)) / 2e-4;
        if (slope == 0)
            break;
        t = std::clamp(t - value(t) / slope, 0.0, 1.0);
    }
    return t;
}

std::optional<double> Frequency(const std::vector<double>& halves, double rate)
{
    if (halves.empty())
        return std::nullopt;
    double span = 0;
    for (const double half : halves)
        span += half;
    return rate * static_cast<double>(halves.size()) / (2 * span);
}

}  // namespace

ToneMeasures MeasureTones(const HeldSamples& held, const CellLattice& lattice, const FskTones& tones,
                          bool bPhaseContinuous)
{
    ToneMeasures measures;
    const double cell = lattice.cell;
    const double begin = lattice.origin + (static_cast<double>(lattice.first) - kMostShift) * cell;
    const double end = lattice.origin + (static_cast<double>(lattice.first + static_cast<long long>(lattice.marks.size())) + kMostShift) * cell;
    const long long from = std::max(held.first, static_cast<long long>(std::floor(begin)));
    const long long to = std::min(held.End() - 1, static_cast<long long>(std::ceil(end)));
    std::vector<double> crossings;
    for (long long n = from; n < to; ++n) {
        const float a = held.At(n);
        const float b = held.At(n + 1);
        if ((a < 0) != (b < 0))
            crossings.push_back(static_cast<double>(n) + Crossing(held, n));
    }
    const double rate = held.rate;
    // The shift at which fewest half periods are neither tone's (timed across a change of tone),
    // the nearest to none where several are.
    double best = 0;
    int fewest = 0;
    for (int step = 0; step <= 2 * static_cast<int>(kMostShift / kShiftStep); ++step) {
        const double shift = (step % 2 == 0 ? 1 : -1) * ((step + 1) / 2) * kShiftStep * cell;
        const int between = WithinCells(crossings, lattice, shift, tones, rate).between;
        if (step == 0 || between < fewest) {
            best = shift;
            fewest = between;
        }
    }
    measures.shift = best;
    const HalfPeriods halves = WithinCells(crossings, lattice, best, tones, rate);
    const auto inner = [bPhaseContinuous](const std::vector<double>& all,
                                          const std::vector<double>& within) -> const std::vector<double>& {
        return bPhaseContinuous && within.size() >= kEnoughInner ? within : all;
    };
    measures.markHz = Frequency(inner(halves.mark, halves.innerMark), rate);
    measures.spaceHz = Frequency(inner(halves.space, halves.innerSpace), rate);

    for (std::size_t i = 0; i < lattice.marks.size(); ++i) {
        const double cellBegin = lattice.origin + best + (static_cast<double>(lattice.first) + static_cast<double>(i)) * cell;
        const auto first = std::max(held.first, static_cast<long long>(std::ceil(cellBegin + kLevelMargin * cell)));
        const auto last = std::min(held.End() - 1, static_cast<long long>(std::floor(cellBegin + (1 - kLevelMargin) * cell)));
        double& power = lattice.marks[i] ? measures.markPower : measures.spacePower;
        double& samples = lattice.marks[i] ? measures.markSamples : measures.spaceSamples;
        for (long long n = first; n <= last; ++n) {
            power += static_cast<double>(held.At(n)) * held.At(n);
            samples += 1;
        }
    }
    if (measures.markSamples > 0)
        measures.markPower /= measures.markSamples;
    if (measures.spaceSamples > 0)
        measures.spacePower /= measures.spaceSamples;
    return measures;
}

}  // namespace corvane
