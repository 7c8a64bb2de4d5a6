// What the EXECUTE driver's plots share in reading their records and placing
// their elements: the option fields, the ZOO box, and the rectangle of an
// element in the picture by refinement level.
#pragma once

#include <string_view>

#include "plot/sample.hpp"

namespace kavren {

// The field after word in the current record (its value), 0 when the record
// does not hold word.
int option_field(std::string_view word);
// v := the number in field k; false when field k holds no number.
bool number_field(int k, double& v);

// The subdivision of the field plots before any DIVISION: finer on meshes
// of few elements.
int default_division();
// DIVISION=n: nsubel := n when 0 <= n <= most, else fallback; left alone
// when the record holds no number for it.
void read_division(int& nsubel, int most, int fallback);

// ZOO=x1,x2,y1,y2: the box of the elements drawn on this call.
struct ZooBox {
    bool on = false;
    double x1 = -1e10, x2 = 1e10, y1 = -1e10, y2 = 1e10;
};
// Reads ZOO from the current record, writing "ZOOMING WITH: " and the box on
// the terminal.
void read_zoo(ZooBox& z);
// True when the box keeps the element of points p: vertex 1 at or above the
// lower ends and vertices 2 (x) and 3 (y) at or below the upper ends, within
// tolerance e (the mesh drawing's; the surface picture passes its own).
bool zoo_keeps(const ZooBox& z, const NodePoints& p, double e = 1.000000013351432e-10);

// YMULT, TG, ART, NOART and ZOO of the EXECUTE driver's pictures: into the
// picture's kept settings k (its MULT, FACT, TG and IART) and its ZOO box.
template <class Kept>
void read_driver_picture(Kept& k, ZooBox& z) {
    double v = 0.0;
    if (number_field(option_field("YMULT"), v)) {
        k.MULT = 1;
        k.FACT = v;
    }
    if (number_field(option_field("TG"), v)) k.TG = v;
    if (option_field("ART") != 0) k.IART = 1;
    if (option_field("NOART") != 0) k.IART = 0;
    read_zoo(z);
}

// YMULT and TG: stretch (x, y) by fact across the direction of slope tg.
void stretch_across(double tg, double fact, double& x, double& y);

// The points of the n-th listed element of the picture by level: its corners
// as vertices 1..4, the mid-side points and the centre.
void art_points(int n, NodePoints& p);

}  // namespace kavren
