// What the local-problem assembly and the error functionals share: the
// coefficients of one point and the functions of the element at a point.
#pragma once

#include "adapt/increment.hpp"
#include "records/estimator.hpp"
#include "records/limits.hpp"

namespace kavren::estimator_detail {

constexpr int LDC = MAX_EQNS;  // leading dimension of the coefficient arrays

// Domain coefficients and loads at one point, entry (c, e) at [(c-1) + (e-1) LDC].
struct Coefficients {
    double a11[LDC * LDC], a12[LDC * LDC], a21[LDC * LDC], a22[LDC * LDC];
    double b1[LDC * LDC], b2[LDC * LDC], d1[LDC * LDC], d2[LDC * LDC], c[LDC * LDC];
    double rh[LDC], rhx[LDC], rhy[LDC];
};
// Boundary coefficients and loads at one side point.
struct SideCoefficients {
    double att[LDC * LDC], bt[LDC * LDC], pt[LDC * LDC], c[LDC * LDC];
    double gt[LDC], g[LDC];
};
inline int at(int c, int e) {
    return (c - 1) + (e - 1) * LDC;
}

// problem_mcoeff at (x, y).
void domain_coefficients(double x, double y, Coefficients& k);

// The master point (xi, eta) of the element xnod: the physical point and the
// Jacobian, the map derivatives into celsize1 and the inverse-map ones into
// celsize2.
void map_point(const double* xnod, double xi, double eta, double& x, double& y, double& detj);

// The element functions (1..ndofe) at (xi, eta) with their x- and
// y-derivatives from celsize2 (map_point first).
void element_functions(const int* ord, double xi, double eta, int ndofe, double* phi,
                       double* phix, double* phiy);
// The increment functions (1..nb) with their x- and y-derivatives.
void increment_functions(const int* ord, double xi, double eta, int nb, double* psi,
                         double* psix, double* psiy);
// Makes (i, j, xi, eta) and the element functions phi (1..n) with their
// derivatives the current point of the problem routines (cmelem).
void current_point(int i, int j, double xi, double eta, int n, const double* phi,
                   const double* phix, const double* phiy);
// Sum of f(k) ue(k), k = 1..n.
double dot(const double* f, const double* ue, int n);

}  // namespace kavren::estimator_detail
