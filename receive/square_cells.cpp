// SPDX-License-Identifier: MIT
#include "square_cells.h"

#include "signal/synthesis.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// How much each cell teaches the means of its place once the first have been taken whole; and how
// many cells there are before the dialog's may be recognised.
constexpr double kLearning = 0.1;
constexpr int kFirstCells = 16;
constexpr int kCellsWrap = 1 << 30;  // even
// How much of the cells' energy the exact cell must explain, against what the stronger tone's
// filter does, for the dialog's cells to be recognised and to stay so. The dialog's cells give 1.1
// to 1.3 (noise adds more to the filter's share than to the exact cell's), a sine's 0.86 at most
// (a whole period a cell), far less otherwise: their phase and frequency are not the exact cells'.
// Once recognised, cells blurred by a clock off the dialog's give less for a while.
constexpr double kShapeToRecognise = 1.0;
constexpr double kShapeToKeep = 0.7;
// How clear the places next to the cells' may be, against theirs: a cell of the dialog's read one
// sample off is 0.8 as clear, noise or not (noise makes every place less clear alike), while a sine
// reads as clear a sample off, or nearly. Once recognised, cells whose clock drifts from the
// dialog's are as clear at two places for a while.
constexpr double kPeakToRecognise = 0.85;
// The clarity, the mean correlation over what the cells' energy allows (1 for the dialog's cells
// without noise), from which cells are recognised and below which they no longer are. The dialog's
// are 0.7 clear in noise as strong as the tones, 0.58 in noise twice as strong. A sine's cells are
// mostly far less, their phase moving from cell to cell; those of a sine with a whole number of
// periods in a cell are not, and the tests above tell them apart.
constexpr double kRecognise = 0.5;
constexpr double kLose = 0.35;
// How much clearer a neighbouring place must be for the cells to be taken to end there now, as when
// a recording's clock drifts from the dialog's.
constexpr double kMove = 0.03;

}  // namespace

bool SquareCells::Applies(double rate, const FskTones& tones)
{
    return rate == kSampleRate && tones.markHz == kMarkHz && tones.spaceHz == kSpaceHz &&
           tones.baud * kCell == kSampleRate;
}

SquareCells::SquareCells()
{
    static_assert(kCell == kBitCellSamples);
    const ToneCell mark(kMarkHz, 1);
    const ToneCell space(kSpaceHz, 1);
    for (int i = 0; i < kCell; ++i) {
        m_mark[static_cast<std::size_t>(i)] = mark.samples[static_cast<std::size_t>(i)];
        m_space[static_cast<std::size_t>(i)] = space.samples[static_cast<std::size_t>(i)];
    }
}

std::optional<ReceivedBit> SquareCells::Judge(int place, double toneEnergy)
{
    // Sums of twenty products, float being exact enough, in four lanes that the compiler may add
    // side by side.
    constexpr std::size_t kLanes = 4;
    static_assert(kCell % kLanes == 0);
    std::array<float, kLanes> marks{};
    std::array<float, kLanes> spaces{};
    std::array<float, kLanes> energies{};
    const float* pWindow = &m_window[static_cast<std::size_t>(m_position)];  // oldest first
    for (std::size_t i = 0; i < kCell; i += kLanes) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            const float x = pWindow[i + lane];
            marks[lane] += x * m_mark[i + lane];
            spaces[lane] += x * m_space[i + lane];
            energies[lane] += x * x;
        }
    }
    const float mark = (marks[0] + marks[1]) + (marks[2] + marks[3]);
    const float space = (spaces[0] + spaces[1]) + (spaces[2] + spaces[3]);
    const float energy = (energies[0] + energies[1]) + (energies[2] + energies[3]);
    const auto at = static_cast<std::size_t>(place);
    const double better = std::abs(mark) >= std::abs(space) ? mark : space;
    m_bLearnt = true;
    m_match[at] += m_learning * (better - m_match[at]);
    m_cellEnergy[at] += m_learning * (energy - m_cellEnergy[at]);
    // The energy that the exact cell explains, and that the stronger tone's filter does, each over
    // what it explains of a cell of itself.
    m_shapeFit[at] += m_learning * (better * better / kCell - m_shapeFit[at]);
    m_toneFit[at] += m_learning * (toneEnergy / (kCell / 2.0) - m_toneFit[at]);
    if (!Recognised())
        return std::nullopt;
    // A cell a sample longer or shorter where the cells move to a neighbouring place.
    if (place != m_place || m_n - m_lastRead < kCell - 1)
        return std::nullopt;
    m_lastRead = m_n;
    const bool bMark = m_polarity * mark > m_polarity * space;
    const ReceivedBit bit{bMark, false, static_cast<double>(m_n - kCell) / kSampleRate};
    Recognise();
    return bit;
}

// At the end of a cell while none are recognised: the first cells' mean, then a mean that follows
// the recent cells; and after the first cells, the cells recognised if they are the dialog's.
void SquareCells::EndCell()
{
    // Past the first cells only the count's evenness matters (which places are judged): it is kept,
    // and the count cannot overflow over weeks of a tone that is not the dialog's.
    m_cells = m_cells + 1 < kCellsWrap ? m_cells + 1 : kCellsWrap / 2;
    m_learning = std::max(1.0 / (m_cells / 2 + 1), kLearning);  // each place learns every other cell
    if (m_cells >= kFirstCells)
        Recognise();
}

double SquareCells::Clarity(int place) const
{
    const auto at = static_cast<std::size_t>((place + kCell) % kCell);
    return m_cellEnergy[at] > 0 ? std::abs(m_match[at]) / std::sqrt(kCell * m_cellEnergy[at]) : 0;
}

// Whether the cells that end at place are clear enough, and their energy explained enough by the
// exact cells against the tones' filters, to be the dialog's.
bool SquareCells::Fits(int place, double clarity, double shape) const
{
    const auto at = static_cast<std::size_t>((place + kCell) % kCell);
    return Clarity(place) >= clarity && m_shapeFit[at] > shape * m_toneFit[at];
}

// Recognises the cells at the clearest place, or follows them to a neighbouring one, or loses them.
void SquareCells::Recognise()
{
    int best = m_place;
    if (!Recognised()) {
        best = 0;
        for (int place = 1; place < kCell; ++place)
            best = Clarity(place) > Clarity(best) ? place : best;
        const double nextClarity = std::max(Clarity(best - 1), Clarity(best + 1));
        if (!Fits(best, kRecognise, kShapeToRecognise) || nextClarity >= kPeakToRecognise * Clarity(best))
            return;
    } else {
        for (const int neighbour : {m_place - 1, m_place + 1})
            best = Clarity(neighbour) > Clarity(best) + kMove ? (neighbour + kCell) % kCell : best;
        if (!Fits(best, kLose, kShapeToKeep)) {
            Forget();
            return;
        }
    }
    m_place = best;
    m_polarity = m_match[static_cast<std::size_t>(best)] < 0 ? -1 : 1;
}

void SquareCells::Forget()
{
    m_bLearnt = false;
    m_place = -1;
    m_match.fill(0);
    m_cellEnergy.fill(0);
    m_shapeFit.fill(0);
    m_toneFit.fill(0);
    m_cells = 0;
    m_learning = 1;
}

}  // namespace corvane
