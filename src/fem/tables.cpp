#include "fem/tables.hpp"

#include <cmath>
#include <string>

#include "control/messages.hpp"
#include "fem/dense.hpp"
#include "fem/solvers.hpp"
#include "records/fem.hpp"
#include "support/array.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

//// rule constants ////

// Positive halves of the rules, centre outwards: points, then weights.
struct HalfRule {
    int n;
    double x[5];
    double w[5];
};

// Gauss-Legendre rules of 1..10 points, rounded to 15 decimal places.
constexpr HalfRule LEGENDRE[10] = {
    {1, {0.0}, {2.0}},
    {2, {0.577350269189626}, {1.0}},
    {3, {0.0, 0.774596669241483}, {0.888888888888889, 0.555555555555556}},
    {4, {0.339981043584856, 0.861136311594053}, {0.652145154862546, 0.347854845137454}},
    {5,
     {0.0, 0.538469310105683, 0.906179845938664},
     {0.568888888888889, 0.478628670499366, 0.236926885056189}},
    {6,
     {0.238619186083197, 0.661209386466265, 0.932469514203152},
     {0.467913934572691, 0.360761573048139, 0.171324492379170}},
    {7,
     {0.0, 0.405845151377397, 0.741531185599394, 0.949107912342759},
     {0.417959183673469, 0.381830050505119, 0.279705391489277, 0.129484966168870}},
    {8,
     {0.183434642495650, 0.525532409916329, 0.796666477413627, 0.960289856497536},
     {0.362683783378362, 0.313706645877887, 0.222381034453374, 0.101228536290376}},
    {9,
     {0.0, 0.324253423403809, 0.613371432700590, 0.836031107326636, 0.968160239507626},
     {0.330239355001260, 0.312347077040003, 0.260610696402935, 0.180648160694857,
      0.081274388361574}},
    {10,
     {0.148874338981631, 0.433395394129247, 0.679409568299024, 0.865063366688985,
      0.973906528517172},
     {0.295524224714753, 0.269266719309996, 0.219086362515982, 0.149451349150581,
      0.066671344308688}},
};

// Gauss-Lobatto rules of 2..10 points: single-precision values widened to
// double. The 7- and 8-point end weights are those of 0.04761904 and 0.03571428.
constexpr HalfRule LOBATTO[9] = {
    {2, {1.0}, {1.0}},
    {3, {0.0, 1.0}, {1.3333333730697632, 0.3333333432674408}},
    {4, {0.4472135901451111, 1.0}, {0.8333333134651184, 0.1666666716337204}},
    {5,
     {0.0, 0.6546536684036255, 1.0},
     {0.7111111283302307, 0.5444444417953491, 0.10000000149011612}},
    {6,
     {0.2852315306663513, 0.7650552988052368, 1.0},
     {0.554858386516571, 0.3784749507904053, 0.06666667014360428}},
    {7,
     {0.0, 0.4688487946987152, 0.8302239179611206, 1.0},
     {0.4876190423965454, 0.43174538016319275, 0.27682605385780334, 0.0476190410554409}},
    {8,
     {0.2092992216348648, 0.5917001962661743, 0.8717401623725891, 1.0},
     {0.4124588072299957, 0.34112268686294556, 0.21070422232151031, 0.0357142798602581}},
    {9,
     {0.0, 0.3631174564361572, 0.6771862506866455, 0.899757981300354, 1.0},
     {0.3715192675590515, 0.3464285135269165, 0.27453872561454773, 0.165495365858078,
      0.02777777798473835}},
    {10,
     {0.16527895629405975, 0.4779249429702759, 0.7387738823890686, 0.919533908367157, 1.0},
     {0.3275397717952728, 0.29204267263412476, 0.22488933801651, 0.13330599665641785,
      0.02222222276031971}},
};

// Stores rule r into column r.n of x and w, ascending: the negative points
// mirror the positive ones and the weights are copied.
template <typename Table>
void store_rule(const HalfRule& r, Table& x, Table& w) {
    const int n = r.n;
    const int half = n / 2;
    const int centre = n % 2 != 0 ? half + 1 : 0;  // index of the centre point of an odd rule
    for (int j = 0; j < (n + 1) / 2; ++j) {
        // j-th point outwards from the centre: positions above and below it.
        int up = n % 2 != 0 ? centre + j : half + 1 + j;
        int down = n + 1 - up;
        x(up, n) = r.x[j];
        w(up, n) = r.w[j];
        x(down, n) = -r.x[j];
        w(down, n) = r.w[j];
    }
    if (centre != 0) x(centre, n) = 0.0;  // exactly 0, not -0
}

// Non-zero coefficients of the 1-D functions 3..9: (function, power, value).
struct Coef {
    int i;
    int power;
    double value;
};
constexpr Coef CLAGR_COEFS[23] = {
    {3, 0, -0.5},     {3, 2, 0.5},      {4, 1, -0.5},      {4, 3, 0.5},       {5, 0, 0.125},
    {5, 2, -0.75},    {5, 4, 0.625},    {6, 1, 0.375},     {6, 3, -1.25},     {6, 5, 0.875},
    {7, 0, -0.0625},  {7, 2, 0.9375},   {7, 4, -2.1875},   {7, 6, 1.3125},    {8, 1, -0.3125},
    {8, 3, 2.1875},   {8, 5, -3.9375},  {8, 7, 2.0625},    {9, 0, 0.0390625}, {9, 2, -1.09375},
    {9, 4, 4.921875}, {9, 6, -7.21875}, {9, 8, 3.3515625},
};

const char* const BANNER[6] = {
    "***********************************************",
    "***                                         ***",
    "***   NEW  SHAPE  FUNCTIONS  ARE  SET:      ***",
    "***   PRIMITIVES OF LEGENDRE POLYNOMIALS    ***",
    "***                                         ***",
    "***********************************************",
};

// Coefficients of x^0..x^9 of the ten 1-D functions of chpint: (1-x)/2,
// (1+x)/2 and the monomial bubbles of degree 2..9.
void chpint_function(int i, double* c) {
    for (int k = 0; k < 10; ++k) c[k] = 0.0;
    if (i == 1) {
        c[0] = 0.5;
        c[1] = -0.5;
    } else if (i == 2) {
        c[0] = 0.5;
        c[1] = 0.5;
    } else {
        const int m = i - 1;  // degree of the bubble
        c[m] = 1.0;
        if (m % 2 == 0)
            c[0] = -1.0;
        else
            c[1] = -1.0;
    }
}

// Integral over [-1, 1] of the product of two polynomials given by their
// coefficients of x^0..x^(n-1).
double integral_of_product(const double* a, const double* b, int n) {
    double s = 0.0;
    for (int p = 0; p < n; ++p)
        for (int q = 0; q < n; ++q)
            if ((p + q) % 2 == 0) s += a[p] * b[q] * 2.0 / (p + q + 1);
    return s;
}

}  // namespace

//// cnst ////

void cnst() {
    cfact.FACT(1) = 1.0;
    for (int k = 2; k <= 10; ++k) cfact.FACT(k) = cfact.FACT(k - 1) / k;
    setshape();

    cint = Cint();
    cint1 = Cint1();
    for (const HalfRule& r : LEGENDRE) store_rule(r, cint.XG, cint1.WG);
    for (int n = 1; n <= NQUAD_RULES; ++n)
        for (int j = 1; j <= n; ++j)
            for (int i = 1; i <= n; ++i) cint.W2(i, j, n) = cint1.WG(i, n) * cint1.WG(j, n);

    cint1l = Cint1l();
    for (const HalfRule& r : LOBATTO) store_rule(r, cint1l.XL, cint1l.WL);
}

void setshape() {
    clagr = Clagr();
    for (const char* line : BANNER) write_terminal(fmt::list({line}));
    for (const Coef& c : CLAGR_COEFS) clagr.CLAGR(c.i, c.power + 1) = c.value;

    dlagr = Dlagr();
    for (int i = 3; i <= 9; ++i)
        for (int j = 1; j <= i - 1; ++j) dlagr.DLAGR(i, j) = j * clagr.CLAGR(i, j + 1);
    elag = Elag();
    for (int i = 3; i <= 9; ++i)
        for (int j = 1; j <= i - 2; ++j) elag.ELAG(i, j) = j * dlagr.DLAGR(i, j + 1);

    // Monomial coordinates of the bubbles: row i >= 2 the bubble of degree i
    // written in the monomial bubbles x^k - 1 (even k) and x^k - x (odd k).
    constexpr int LD = 9;
    Arr2<double, LD, 8> amon, lu, inv;
    amon(1, 1) = 1.0;
    for (int i = 2; i <= 8; ++i)
        for (int j = 2; j <= 8; ++j) amon(i, j) = clagr.CLAGR(i + 1, j + 1);
    lu = amon;
    Arr1<int, 8> ipvt;
    int info = 0;
    decomp(8, LD, lu.data(), ipvt.data(), info);
    if (info != 0) write_terminal(fmt::list({"FLAG=", info}));
    for (int i = 1; i <= 8; ++i) {
        Arr1<double, 8> e, x;
        e(i) = 1.0;
        gauss2(8, LD, lu.data(), ipvt.data(), e.data(), x.data());
        for (int r = 1; r <= 8; ++r) inv(r, i) = x(r);
    }

    // The half-edge table in the monomial basis. fact(k) = 1/k!, fact(0) = 1.
    double fact[11];
    fact[0] = 1.0;
    for (int k = 1; k <= 10; ++k) fact[k] = cfact.FACT(k);
    Arr3<double, 10, 10, 2> rmon;
    for (int h = 1; h <= 2; ++h) {
        rmon(1, 1, h) = 0.5;
        for (int k = 2; k <= 10; ++k) {
            rmon(k, 1, h) = k % 2 == 0 ? -1.0 : 0.0;
            for (int n = 2; n <= k; ++n) {
                double sign = (h == 1 && (k - n) % 2 != 0) ? -1.0 : 1.0;
                rmon(k, n, h) = (sign * std::ldexp(1.0, -k) * fact[k - n]) * fact[n] / fact[k];
            }
        }
    }

    crrr = Crrr();
    for (int h = 1; h <= 2; ++h)
        for (int i = 1; i <= 8; ++i)
            for (int j = 1; j <= 8; ++j) {
                double s = 0.0;
                for (int k = 1; k <= 8; ++k)
                    for (int l = 1; l <= 8; ++l) s += amon(i, k) * rmon(k, l, h) * inv(l, j);
                crrr.RRR(i, j, h) = s;
            }
}

//// cnsti, cnsti1d ////

void cnsti() {
    for (int w = 1; w <= 200; ++w) chpint.HPINT(w) = 0.0;
    double c[10][10], d[10][10];
    for (int i = 1; i <= 10; ++i) {
        chpint_function(i, c[i - 1]);
        for (int k = 0; k < 10; ++k) d[i - 1][k] = k + 1 < 10 ? (k + 1) * c[i - 1][k + 1] : 0.0;
    }
    // Upper triangles as single-precision values, then mirrored.
    for (int j = 1; j <= 10; ++j)
        for (int i = 1; i <= j; ++i) {
            chpint.MASS(i, j) = double(float(integral_of_product(c[i - 1], c[j - 1], 10)));
            chpint.STIFF(i, j) = double(float(integral_of_product(d[i - 1], d[j - 1], 10)));
        }
    for (int i = 2; i <= 10; ++i)
        for (int j = 1; j <= i; ++j) {
            chpint.MASS(i, j) = chpint.MASS(j, i);
            chpint.STIFF(i, j) = chpint.STIFF(j, i);
        }
}

void cnsti1d() {
    chpint1 = Chpint1();
    for (int w = 201; w <= CHPINT_WORDS; ++w) chpint.HPINT(w) = 0.0;
    // Work area: band matrix and factor (100 by at most 10 each), right-hand
    // side and solution.
    constexpr int LDB = 100;
    double* band = &chpint.HPINT(201);
    double* ul = &chpint.HPINT(1201);
    double* rhs = &chpint.HPINT(2201);
    double* sol = &chpint.HPINT(2301);
    auto B = [&](int i, int j) -> double& { return band[(i - 1) + (j - 1) * LDB]; };
    for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= i; ++j) {
            const int n = j;
            // Full n by n matrix in band storage of half bandwidth n-1:
            // entry (k, l), l <= k, at row k, band column n-k+l.
            for (int k = 1; k <= n; ++k)
                for (int l = 1; l <= k; ++l) B(k, n - k + l) = chpint.STIFF(k + 2, l + 2);
            for (int k = 1; k <= n; ++k) rhs[k - 1] = chpint.STIFF(i + 3, k + 2);
            double d1 = 0.0, d2 = 0.0;
            int ier = 0;
            ludapb(band, n, n - 1, LDB, ul, LDB, d1, d2, ier);
            luelpb(ul, rhs, n, n - 1, LDB, sol);
            for (int k = 1; k <= n; ++k) chpint1.HPINT1(i, j, k) = sol[k - 1];
        }
}

}  // namespace kavren
