// Curved boundaries reach the element geometry: the area of a quarter ring,
// integrated through the element map over the active elements, converges to
// 3*pi/4 under global refinement when its arcs are curves, and does not when
// the same nodes are refined straight.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fem/shape.hpp"
#include "geometry_fixture.hpp"
#include "hpmesh/geometry.hpp"
#include "hpmesh/tree.hpp"

namespace kavren::testing {
namespace {

constexpr double AREA = 3.0 * 3.14159265358979323846 / 4.0;

// The quarter ring 1 <= r <= 2 in the first quadrant, 4 x 2 elements of the
// given kind (LINEAR or QUADR), its arcs made by ELLIPSE (or, straight, by
// GRID lines through the same nodes).
std::string ring(const char* kind, bool curved) {
    const int step = std::string(kind) == "QUADR" ? 2 : 1;
    const int imax = 1 + 4 * step, jmax = 1 + 2 * step;
    auto ij = [](int i1, int j1, int i2, int j2) {
        return std::to_string(i1) + "," + std::to_string(j1) + "," + std::to_string(i2) + "," +
               std::to_string(j2);
    };
    std::string nodes = "NODES\nELLIPSE\nIJ=" + ij(1, 1, imax, 1) +
                        ",ANGLE=90,0,RADII=1,1\nIJ=" + ij(1, jmax, imax, jmax) +
                        ",ANGLE=90,0,RADII=2,2\nEND\nCONNECT\nIJ=" + ij(1, 1, 1, jmax) +
                        ",NLINE=" + std::to_string(imax) + "\nEND\nEND\n";
    std::string s = std::to_string(step);
    std::string elements = "ELEMENT\nJLOOP=2\nILOOP=4\n" + std::string(kind) + ",1,1,STEP=" + s +
                           "," + s + "\nENDLOOPS\nEND\n";
    // A straight ring: its boundary lines are given one element side at a
    // time, which no curve tags.
    std::string boundary = "BOUNDARY\n";
    if (curved) {
        boundary += "BOUNDARY=1,IJ=" + ij(1, 1, imax, 1) +
                    "\nBOUNDARY=3,IJ=" + ij(1, jmax, imax, jmax) + "\n";
    } else {
        for (int i = 1; i < imax; i += step) {
            boundary += "BOUNDARY=1,IJ=" + ij(i, 1, i + step, 1) + "\n";
            boundary += "BOUNDARY=3,IJ=" + ij(i, jmax, i + step, jmax) + "\n";
        }
    }
    boundary += "BOUNDARY=2,IJ=" + ij(imax, 1, imax, jmax) +
                "\nBOUNDARY=4,IJ=" + ij(1, 1, 1, jmax) + "\nEND\n";
    return "GEOMETRY\n" + nodes + elements + boundary;
}

// The area of the active elements through their element maps (4 x 4 Gauss
// points: the nine-node map's Jacobian is cubic in each direction).
double mesh_area() {
    const double g[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                         0.8611363115940526};
    const double w[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                         0.3478548451374538};
    double area = 0.0;
    int nel = 0;
    for (int e = 1; e <= cdata.NRELEM; ++e) {
        nel = nelcon(nel);
        Arr2<double, 2, 9> x;
        nodcor(nel, x);
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b) {
                double px = 0, py = 0, d1 = 0, d2 = 0, d3 = 0, d4 = 0, detj = 0;
                jcbian(x.data(), g[a], g[b], px, py, d1, d2, d3, d4, detj);
                area += w[a] * w[b] * detj;
            }
    }
    return area;
}

class CurvedArea : public GeneratorTest {
  public:
    // A fresh run of the generator on text.
    void run(const std::string& text) {
        TearDown();
        SetUp();
        geometry(text);
        ASSERT_EQ(errors(), "");
    }
};

// Area errors after 0..levels global refinements.
std::vector<double> area_errors(CurvedArea& t, const char* kind, bool curved, int levels) {
    std::vector<double> err;
    std::string mesh = "MESH\n";
    for (int l = 0; l <= levels; ++l) {
        t.run(ring(kind, curved) + mesh + "END\nEND\n");
        err.push_back(std::fabs(mesh_area() - AREA));
        mesh += "REFINE,GLOBAL\n";
    }
    return err;
}

TEST_F(CurvedArea, LinearElementsOnArcsConvergeAtSecondOrder) {
    const std::vector<double> err = area_errors(*this, "LINEAR", true, 3);
    for (std::size_t l = 1; l < err.size(); ++l) {
        const double rate = std::log2(err[l - 1] / err[l]);
        EXPECT_NEAR(rate, 2.0, 0.1) << "level " << l << ": " << err[l - 1] << " -> " << err[l];
    }
}

TEST_F(CurvedArea, QuadraticElementsOnArcsConvergeFaster) {
    const std::vector<double> err = area_errors(*this, "QUADR", true, 2);
    // Mid-side nodes on the arcs: the error of the first mesh (1.2e-4) is far
    // below that of the linear one (6e-2), and falls by the fourth power of
    // the size.
    EXPECT_LT(err[0], 2e-4);
    for (std::size_t l = 1; l < err.size(); ++l) {
        const double rate = std::log2(err[l - 1] / err[l]);
        EXPECT_GT(rate, 3.5) << "level " << l << ": " << err[l - 1] << " -> " << err[l];
    }
}

TEST_F(CurvedArea, StraightBoundariesKeepTheFirstPolygonsArea) {
    const std::vector<double> err = area_errors(*this, "LINEAR", false, 2);
    EXPECT_GT(err[0], 1e-2);
    for (double e : err) EXPECT_NEAR(e, err[0], 1e-12);
}

}  // namespace
}  // namespace kavren::testing
