// SPDX-License-Identifier: MIT
// The two tones' frequencies and levels over a frame's cells, whose tones are known.
#pragma once

#include "line_measure.h"

#include <optional>
#include <vector>

namespace corvane {

// A frame's cells on one clock: cell k begins at origin + k × cell (sample positions, not whole
// numbers in general), for k from first on; marks[k - first] tells its tone.
struct CellLattice {
    double origin = 0;
    double cell = 1;
    long long first = 0;
    std::vector<bool> marks;
};

struct ToneMeasures {
    std::optional<double> markHz;
    std::optional<double> spaceHz;
    double markPower = 0;  // mean square over the middles of the mark cells, noise included
    double spacePower = 0;
    double markSamples = 0;  // how many samples those means took
    double spaceSamples = 0;
    double shift = 0;  // samples by which the cells were found to lie later than lattice says
};

// Each tone's frequency, over the cells from the first until each tone has had 48, from the half
// periods that lie within one cell of it, timed between zero
// crossings (exact for a sine, and for a square that restarts its wave each cell), and its power
// over the cells' middles. The receiver times the cells to a tenth of one or so, and a half
// period timed across a change of tone is neither tone's: for a phase-continuous wave the lattice
// is first moved by up to 0.3 cell to where fewest half periods lie between the tones. Tones are sought within 15 % of
// tones. With bPhaseContinuous (a wave that does not restart each cell), a filter on the line
// lets each change of tone reach into the cells beside it, and the cells between two of their own
// tone are taken alone where there are enough of them.
ToneMeasures MeasureTones(const HeldSamples& held, const CellLattice& lattice, const FskTones& tones,
                          bool bPhaseContinuous);

}  // namespace corvane
