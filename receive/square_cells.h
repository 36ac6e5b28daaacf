// SPDX-License-Identifier: MIT
// The dialog's own square wave, recognised in a recording and read with its cells' exact shape.
#pragma once

#include "demodulator.h"

#include <array>
#include <optional>

namespace corvane {

// The dialog draws every mark cell alike and every space cell alike, each restarting its wave, 20
// samples a cell at 24000 samples per second. Where a recording carries those cells unchanged (a
// saved file, with noise added or not), each cell can be correlated with the two cells' exact
// samples, phase known, rather than with the tones in any phase: that survives about 3 dB more
// noise. The cells are recognised by their boundaries: correlated with those exact cells, only one
// of the 20 places a cell may begin in gives the same strong result cell after cell. While one
// does, the cells are read there; when none does, nothing is read, and the tone filters' bits
// stand.
class SquareCells {
public:
    // Whether recordings of rate samples per second, received with tones, may carry the dialog's
    // cells as it draws them: only at its own rate (resampled, they are not the same).
    static bool Applies(double rate, const FskTones& tones);

    SquareCells();

    // Takes the next sample (a full-scale fraction), bCarrier telling whether the tones are
    // present; returns the bit of the cell that ends at it if the cells are recognised.
    std::optional<ReceivedBit> Take(float sample, bool bCarrier, double toneEnergy)
    {
        // Called for every sample: what most samples need is here, inline.
        const auto position = static_cast<std::size_t>(m_position);
        m_window[position] = m_window[position + kCell] = sample;
        m_position = m_position + 1 == kCell ? 0 : m_position + 1;
        const int place = m_nextPlace;
        m_nextPlace = m_nextPlace + 1 == kCell ? 0 : m_nextPlace + 1;
        ++m_n;
        if (!bCarrier) {
            if (m_bLearnt)
                Forget();
            return std::nullopt;
        }
        if (!Recognised()) {
            // Each place every other cell: enough to recognise the cells in the mark run that
            // comes first, at half the work.
            if (((place + m_cells) & 1) == 0)
                Judge(place, toneEnergy);
            if (place == kCell - 1)
                EndCell();
            return std::nullopt;
        }
        // Once recognised, only the cells' own place and its neighbours are watched.
        const int distance = place > m_place ? place - m_place : m_place - place;
        if (distance > 1 && distance < kCell - 1)
            return std::nullopt;
        return Judge(place, toneEnergy);
    }
    // Whether the cells are recognised now, their bits read here.
    bool Recognised() const { return m_place >= 0; }

private:
    static constexpr int kCell = 20;

    std::optional<ReceivedBit> Judge(int place, double toneEnergy);
    void EndCell();
    double Clarity(int place) const;
    bool Fits(int place, double clarity, double shape) const;
    void Forget();
    void Recognise();

    std::array<float, kCell> m_mark{};        // the dialog's mark cell at unit amplitude
    std::array<float, kCell> m_space{};       // and its space cell
    std::array<float, 2 * kCell> m_window{};  // the last cell, twice over so it reads in one piece
    int m_position = 0;
    long long m_n = 0;    // samples taken
    int m_nextPlace = 0;  // of the next sample in its cell: m_n modulo a cell
    // For each place in the cell, the mean correlation of the cells ending there with the exact
    // cell they match better (sign kept), and the mean energy of those cells.
    std::array<double, kCell> m_match{};
    std::array<double, kCell> m_cellEnergy{};
    std::array<double, kCell> m_shapeFit{};
    std::array<double, kCell> m_toneFit{};
    int m_cells = 0;           // taken whole since the means began
    double m_learning = 1;     // how much the next cell teaches the means
    bool m_bLearnt = false;    // whether the means hold anything
    int m_place = -1;          // where the recognised cells end, modulo a cell; -1 when none are
    long long m_lastRead = 0;  // samples taken when the last cell was read
    double m_polarity = 1;     // -1 when the recording is inverted
};

}  // namespace corvane
