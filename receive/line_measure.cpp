// SPDX-License-Identifier: MIT
#include "line_measure.h"

#include "cell_tones.h"
#include "line_noise.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

// A sample below this share of the marks' RMS is quiet: the tones never stay below it for a
// period, silence and a sound card's hiss never reach it.
constexpr double kQuietShare = 0.5;
// The quiet is told from the noise only where the noise's peaks (this many standard deviations)
// stay below it, over the seconds before the signal.
constexpr double kNoisePeaks = 5;
constexpr double kQuietCheck = 0.01;
// Cells of each mark run before and after the characters that the tones are measured over.
constexpr int kRunCellsTaken = 16;
// How many cells beyond the receiver's mark run the signal's start is sought.
constexpr int kSearchCells = 20;
// Marks before the first start bit whose level sets the quiet.
constexpr int kReferenceCells = 7;
constexpr int kCharacterCells = 10;

double Decibels(double power)
{
    return 10 * std::log10(std::max(power, 1e-20));
}

// Where each character's start bit lies on one clock: the first's start and a cell's length, in
// samples, and each character's distance from the first in cells.
struct CellGrid {
    double first = 0;
    double cell = 0;
    std::vector<int> cells;
    bool bMeasured = false;  // whether two characters told the cell's length

    double Start(std::size_t character) const { return first + cells[character] * cell; }
};

CellGrid FitGrid(const std::vector<double>& starts, double nominalCell)
{
    CellGrid grid{starts.front(), nominalCell, std::vector<int>(starts.size(), 0), false};
    if (starts.size() < 2)
        return grid;
    // First from characters that follow each other closely, whose cells cannot be miscounted.
    double time = 0;
    int count = 0;
    for (std::size_t i = 1; i < starts.size(); ++i) {
        const double cells = (starts[i] - starts[i - 1]) / nominalCell;
        const long whole = std::lround(cells);
        if (whole >= kCharacterCells && whole < 2 * kCharacterCells && std::abs(cells - whole) < 0.3) {
            time += starts[i] - starts[i - 1];
            count += static_cast<int>(whole);
        }
    }
    if (count > 0)
        grid.cell = time / count;
    // Then every character, by least squares over all of them.
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 1; i < starts.size(); ++i)
            grid.cells[i] =
                grid.cells[i - 1] +
                std::max(kCharacterCells, static_cast<int>(std::lround((starts[i] - starts[i - 1]) / grid.cell)));
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        const auto n = static_cast<double>(starts.size());
        for (std::size_t i = 0; i < starts.size(); ++i) {
            sx += grid.cells[i];
            sy += starts[i];
            sxx += static_cast<double>(grid.cells[i]) * grid.cells[i];
            sxy += grid.cells[i] * starts[i];
        }
        const double spread = n * sxx - sx * sx;
        if (spread <= 0)
            return grid;
        grid.cell = (n * sxy - sx * sy) / spread;
        grid.first = (sy - grid.cell * sx) / n;
    }
    grid.bMeasured = true;
    return grid;
}

double MeanSquare(const HeldSamples& held, long long from, long long to)
{
    from = std::max(from, held.first);
    to = std::min(to, held.End());
    double sum = 0;
    for (long long n = from; n < to; ++n)
        sum += static_cast<double>(held.At(n)) * held.At(n);
    return to > from ? sum / static_cast<double>(to - from) : 0;
}

// The noise on the marks from begin to end (sample positions): two cells after the run began, where
// the line's filters have settled, to one before it ends, where the next tone may reach back.
std::optional<RunNoise> MarkRunNoise(const HeldSamples& held, double begin, double end, double cell, double baud,
                                     double markHz)
{
    const auto from = static_cast<long long>(std::ceil(begin + 2 * cell));
    const auto to = static_cast<long long>(std::floor(end - cell));
    if (from < held.first || to > held.End() || to <= from)
        return std::nullopt;
    return WhiteNoisePower(
        held.samples.subspan(static_cast<std::size_t>(from - held.first), static_cast<std::size_t>(to - from)),
        held.rate, baud, markHz);
}

}  // namespace

std::optional<long long> SignalEnd(const HeldSamples& held, long long from, long long to, double quietBelow,
                                   int quietSamples)
{
    long long lastLoud = from - 1;
    to = std::min(to, held.End());
    for (long long n = std::max(from, held.first); n < to; ++n) {
        if (std::abs(held.At(n)) >= quietBelow)
            lastLoud = n;
        else if (n - lastLoud >= quietSamples)
            return lastLoud + 1;
    }
    return std::nullopt;
}

namespace {

// Whether block b of held may hold a sample at or above level (a NaN makes it seem to).
bool MayBeLoud(const HeldSamples& held, std::size_t block, float level)
{
    return held.peaks[block] >= std::bit_cast<std::uint32_t>(level);
}

}  // namespace

std::optional<long long> QuietEnd(const HeldSamples& held, long long from, double quietBelow)
{
    const auto level = static_cast<float>(quietBelow);
    const auto size = static_cast<long long>(held.samples.size());
    constexpr auto kBlock = static_cast<long long>(HeldSamples::kPeakBlock);
    for (long long i = std::max<long long>(0, from - held.first); i < size; ++i) {
        // Whole blocks the peaks say are quiet are passed at once.
        if (i % kBlock == 0 && static_cast<std::size_t>(i / kBlock) < held.peaks.size() &&
            !MayBeLoud(held, static_cast<std::size_t>(i / kBlock), level)) {
            i += kBlock - 1;
            continue;
        }
        if (std::abs(held.samples[static_cast<std::size_t>(i)]) >= level)
            return held.first + i;
    }
    return std::nullopt;
}

std::optional<long long> QuietStart(const HeldSamples& held, long long to, double quietBelow)
{
    const auto level = static_cast<float>(quietBelow);
    constexpr auto kBlock = static_cast<long long>(HeldSamples::kPeakBlock);
    for (long long i = std::clamp<long long>(to - held.first, 0, static_cast<long long>(held.samples.size())); i > 0;
         --i) {
        if (i % kBlock == 0 && static_cast<std::size_t>(i / kBlock) <= held.peaks.size() &&
            !MayBeLoud(held, static_cast<std::size_t>(i / kBlock) - 1, level)) {
            i -= kBlock - 1;
            continue;
        }
        if (std::abs(held.samples[static_cast<std::size_t>(i - 1)]) >= level)
            return held.first + i;
    }
    return std::nullopt;
}

FrameExtent MeasureFrame(const HeldSamples& held, const DecodedFrame& frame, const FskTones& tones, long long lowest,
                         long long highest, bool bEndsByHighest)
{
    FrameExtent extent;
    LineMeasures& measures = extent.measures;
    measures.startSeconds = frame.seconds;
    if (frame.byteSeconds.empty())
        return extent;
    const double rate = held.rate;
    std::vector<double> starts;
    for (const double seconds : frame.byteSeconds)
        starts.push_back(seconds * rate);
    const CellGrid grid = FitGrid(starts, rate / tones.baud);
    const double cell = grid.cell;
    if (grid.bMeasured)
        measures.baud = rate / cell;
    const std::size_t nCharacters = starts.size();
    std::optional<int> fewestBetween;
    for (std::size_t i = 1; i < nCharacters; ++i) {
        const int between = grid.cells[i] - grid.cells[i - 1] - (kCharacterCells - 1);
        fewestBetween = std::min(fewestBetween.value_or(between), between);
        measures.stopBitsMax = std::max(measures.stopBitsMax.value_or(between), between);
    }
    measures.stopBitsMin = fewestBetween;

    // The quiet, from the marks just before the first start bit, if the noise leaves one.
    const double markRms =
        std::sqrt(MeanSquare(held, std::lround(grid.first - kReferenceCells * cell), std::lround(grid.first - cell)));
    const double leadEnd = grid.first;
    const double lastDataEnd = grid.Start(nCharacters - 1) + (kCharacterCells - 1) * cell;
    extent.quietSamples = static_cast<int>(std::ceil(1.25 * rate / std::min(tones.markHz, tones.spaceHz))) + 1;
    if (markRms > 0) {
        extent.quietBelow = kQuietShare * markRms;
        // Back from the first start bit to a quiet, a little further than the receiver's mark run: the
        // signal's start, or the bound it cannot begin before.
        const long long bound = std::max(lowest, held.first);
        const long long bottom =
            std::max<long long>(bound, std::lround(leadEnd - (frame.markRun + kSearchCells) * cell));
        long long lastLoud = std::lround(leadEnd);
        bool bFound = false;
        for (long long n = lastLoud - 1; n >= bottom && !bFound; --n) {
            if (std::abs(held.At(n)) >= extent.quietBelow)
                lastLoud = n;
            else
                bFound = lastLoud - n >= extent.quietSamples;
        }
        if (bFound || bottom == lowest)
            extent.onset = lastLoud;
        // Noise that reaches the quiet's level leaves no quiet to measure. The tone's first rise,
        // below the quiet's level, is not counted.
        const long long quietEnd = lastLoud - extent.quietSamples / 2;
        const long long before = std::max(bound, static_cast<long long>(lastLoud - kQuietCheck * rate));
        if (before < quietEnd && kNoisePeaks * std::sqrt(MeanSquare(held, before, quietEnd)) >= extent.quietBelow) {
            extent.onset.reset();
            extent.quietBelow = 0;
        }
    }
    if (extent.quietBelow > 0) {
        extent.trailFrom = std::lround(lastDataEnd);
        extent.offset = SignalEnd(held, *extent.trailFrom, highest, extent.quietBelow, extent.quietSamples);
        if (!extent.offset && bEndsByHighest)  // the signal ran on to highest, or fell quiet just before it
            extent.offset = std::max(*extent.trailFrom, QuietStart(held, highest, extent.quietBelow).value_or(highest));
        if (!extent.offset)  // measured once its end has come
            return extent;
    }
    std::optional<RunNoise> noise =
        MarkRunNoise(held, leadEnd - std::max(frame.markRun - 1, 0) * cell, leadEnd, cell, rate / cell, tones.markHz);

    // Every cell whose tone is known, on one clock: the lead marks, the characters' cells, the
    // marks after them.
    const int leadCells = extent.onset
                              ? static_cast<int>(std::lround((leadEnd - static_cast<double>(*extent.onset)) / cell))
                              : frame.markRun;
    const int after =
        extent.offset && extent.trailFrom
            ? static_cast<int>(std::lround(static_cast<double>(*extent.offset - *extent.trailFrom) / cell))
            : 1;
    // Of long mark runs, the cells nearest the characters: more would tell the tones no better.
    const int leadTaken = std::min(leadCells, kRunCellsTaken);
    CellLattice lattice{leadEnd, cell, -leadTaken, std::vector<bool>(static_cast<std::size_t>(leadTaken), true)};
    for (std::size_t i = 0; i < nCharacters; ++i) {
        lattice.marks.push_back(false);
        for (int bit = 0; bit < 8; ++bit)
            lattice.marks.push_back(((frame.bytes[i] >> bit) & 1u) != 0);
        const int marks = i + 1 < nCharacters ? grid.cells[i + 1] - grid.cells[i] - (kCharacterCells - 1)
                                              : std::min(after, kRunCellsTaken);
        lattice.marks.insert(lattice.marks.end(), static_cast<std::size_t>(std::max(marks, 0)), true);
    }
    const ToneMeasures tonesFound = MeasureTones(held, lattice, tones, !noise || !noise->bRepeatsEachCell);
    // The receiver's clock, corrected by the cells' own edges.
    measures.startSeconds = (leadEnd + tonesFound.shift) / rate;
    measures.leadMarkBits =
        extent.onset
            ? static_cast<int>(std::lround((leadEnd + tonesFound.shift - static_cast<double>(*extent.onset)) / cell))
            : frame.markRun;
    if (extent.offset && extent.trailFrom) {
        const double trailBegin = lastDataEnd + tonesFound.shift;
        const int trail = static_cast<int>(std::lround((static_cast<double>(*extent.offset) - trailBegin) / cell));
        measures.trailMarkBits = std::max(0, trail - fewestBetween.value_or(1));
        if (!noise)
            noise = MarkRunNoise(held, trailBegin + fewestBetween.value_or(1) * cell,
                                 static_cast<double>(*extent.offset), cell, rate / cell, tones.markHz);
    }

    const double noisePower = noise ? noise->whitePower : 0;
    const auto level = [noisePower](double power, double samples) -> std::optional<double> {
        if (samples == 0)
            return std::nullopt;
        // A full-scale sine's power is 1/2.
        return Decibels(2 * std::max(power - noisePower, 0.0));
    };
    measures.markHz = tonesFound.markHz;
    measures.spaceHz = tonesFound.spaceHz;
    measures.markDbfs = level(tonesFound.markPower, tonesFound.markSamples);
    measures.spaceDbfs = level(tonesFound.spacePower, tonesFound.spaceSamples);
    if (measures.markDbfs && measures.spaceDbfs)
        measures.twistDb = *measures.markDbfs - *measures.spaceDbfs;
    const double samples = tonesFound.markSamples + tonesFound.spaceSamples;
    if (noise && samples > 0) {
        const double tonesPower =
            (tonesFound.markPower * tonesFound.markSamples + tonesFound.spacePower * tonesFound.spaceSamples) /
                samples -
            noisePower;
        measures.snrDb = Decibels(std::max(tonesPower, 0.0)) - Decibels(TelephoneBandPower(noisePower, held.rate));
    }
    return extent;
}

}  // namespace corvane
