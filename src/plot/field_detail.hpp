// What the field plots share: words of the current record, the element set
// of one call, the extents of node points, and the debug station.
#pragma once

#include <algorithm>
#include <string_view>

#include "plot/sample.hpp"

namespace kavren::field {

// The word in field k is w.
bool word_at(int k, std::string_view w);
// Set 1 (the whole mesh) current, then the set named by ELSET.
void select_set();
// The sampling grid entry (i, j) of an array with leading dimension SAMPLE_LD.
inline double& at(double* a, int i, int j) {
    return a[(i - 1) + (j - 1) * SAMPLE_LD];
}
// The bounds box takes in the 9 points p.
struct Box {
    double xmin = 1e10, xmax = -1e10, ymin = 1e10, ymax = -1e10;
    void take(const NodePoints& p) {
        for (int k = 1; k <= 9; ++k) {
            xmin = std::min(xmin, p(1, k));
            xmax = std::max(xmax, p(1, k));
            ymin = std::min(ymin, p(2, k));
            ymax = std::max(ymax, p(2, k));
        }
    }
};
// The message "MIN= ... MAX= ..." of a plot, kind 5 under topic ihelp.
void range_message(int ihelp, double fmin, double fmax);
// The legend of a field plot: "MIN=", "MAX=", the set line; then legend.
void range_legend(double fmin, double fmax);
// The refinement generation of active element nel: its larger directional level.
int generation(int nel);
// The intervals a side of an element of generation g at sampling level nsubel,
// at most cap.
int intervals(int nsubel, int g, int cap);
// The debug station of a routine: its text, then ICOMP under "IFCASE" with
// the breakpoint dialog, when the routine's switch is set.
void station(int idbg, std::string_view routine, std::string_view text, int icomp);

}  // namespace kavren::field
