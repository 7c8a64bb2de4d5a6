// Profile plots: one quantity of a solution along the current profile (a
// chain of element sides named in the generator), arc length across and the
// value up, one polyline piece per element crossed with a tick at its end,
// optionally smoothed, windowed along the length, or with the axes flipped.
#pragma once

#include <functional>

namespace kavren {

// Stores of one profile plot.
constexpr int PROFILE_POINTS = 1000;  // points of the whole profile
constexpr int PROFILE_PIECES = 3000;  // pieces (elements crossed)

// Draws component code icomp of the solution array u (icolu rows a
// component) along the current profile, with the options of the current
// record: FLIP-XY, NO-RESET, LEVELX, LEVELY, POINT, PROFILE, MIN, MAX, ZOO,
// SMOOTH, NOSCALE.
void drprof(double* u, int icolu, int icomp);

// The smoothed value at point kp of the np points xy(1..2, k) = (arc length,
// value), with the kernel of half-width h; the point's own value within 2h of
// either end of the list, or when h is not positive.
double average(double h, int kp, int np, const double* xy);
// The smoothing kernel: even, 13/12 (single precision) at 0, -1/24 at |t| = 1,
// 0 from |t| = 2 on; its integral is 1.
double smooth(double t);

// Walks the current profile: for every active element along every side of
// the profile, in profile order, visit(nel, npt, xieta) with the npt local
// points (xi, eta pairs) of the side in the direction of the walk, numpnt
// points on a whole side of an initial element. Returns 0, or the code of a
// failing search (after its message), which ends the walk.
using ProfileVisit = std::function<void(int nel, int npt, const double* xieta)>;
int profile_walk(int numpnt, const ProfileVisit& visit);

// Makes the profile named or numbered in field ipos current and returns the
// look-up's mode (0 done, 1 refused); installed at start-up by the
// generator's profile tables (none in bare tests: the profile stays).
using ProfileSelector = int (*)(int ipos);
extern ProfileSelector profile_select;

}  // namespace kavren
