// Places where a problem-specific or window-specific routine is to be
// supplied. Each announces itself on the terminal and holds the run until a
// line is answered; none changes anything.
#pragma once

#include <string_view>

namespace kavren {

void setparam1();
void setparam2();
void setbcs1();
void setbcs2();
void adapt();
void userdout();
void userdin();
// The user point function of the plots, for the component codes it names
// (komp = |code| mod 100). One argument list serves its three calls: the probe
// of a plot (no element, point or values), a point of the sampling grid
// (element, local point, physical point, values), and a Gauss point of an
// element (the same). u, dudx, dudy hold the components 1..NREQNS.
constexpr int USERFN_PROBE = 0;
constexpr int USERFN_GRID = 1;
constexpr int USERFN_GAUSS = 2;
double userfn(int mode, int nel, double xi, double eta, double x, double y, const double* u,
              const double* dudx, const double* dudy, int komp);
void pickest(double* est, int n);
// The factor that turns the estimate of element nel into its refinement
// indicator (estimate / factor); this one gives 1.
void pfactor(int nel, double& factor);
void xgsave(int iy1, int iy2, int iy3);
void xgrest(int iy1, int iy2, int iy3);
void xghelp(std::string_view topic, int len);
void errest();
// The boundary-side part of the estimator's functional of two solutions
// (err1): ord the element's orders, xnod its nodes, u2e its values of the
// second solution; err is left as it is.
void err2(const int* ord, const double* xnod, const double* u2e, double& err);

}  // namespace kavren
