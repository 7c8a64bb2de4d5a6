// What the node generators of the NODES level share: the local coordinate
// systems CS and PS, the point scanner of point records, placing a node at a
// grid point, the capacity check, and the lines every generator shows.
#pragma once

#include <string>

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

// The local Cartesian system CS and polar system PS of one visit of a level.
struct LocalSystems {
    double x0 = 0.0, y0 = 0.0, a0 = 0.0;  // CS origin and rotation (radians)
    double px = 0.0, py = 0.0, s = 1.0;   // PS pole and sense (+1 counter-clockwise)
};

// How the numbers of a point record are read.
enum class PointMode { none, cartesian, polar, ij };

struct Point {
    double x = 0.0, y = 0.0;
};

// (x, y) in CS, and (r, t degrees) about the PS pole.
Point cartesian_point(const LocalSystems& ls, double x, double y);
Point polar_point(const LocalSystems& ls, double r, double t_degrees);

// Field k of the current record is a number.
bool field_is_number(int k);
// CS=X0,Y0{,A0} and PS=X0,Y0 with CW or CCW anywhere in the record. mode
// becomes the point mode each sets (PS last, so it wins).
void read_local_systems(LocalSystems& ls, PointMode& mode);

// How scan_points reads a record.
struct ScanRules {
    PointMode start = PointMode::none;  // the mode of numbers before any keyword
    bool ij = false;                    // IJ pairs name existing nodes
    bool curv = false;                  // CURV makes the Cartesian pairs after it centres
    bool keep_mode_on_words = false;    // other words are passed over (else they end the pairs)
    int ij_help = 0;                    // help topic of a missing IJ node
    Arr1<double, 16>* xy = nullptr;     // points 1..4 go to k + offset (x), k + offset + 8 (y)
    int offset = 0;
    PointMode* last_mode = nullptr;  // follows the keywords met
};

// What the point scanner of a record found.
struct Scan {
    int count = 0;            // points counted
    Point points[MAXSPLPT];   // the first MAXSPLPT of them
    bool bad_centre = false;  // a CURV centre at the midpoint of its side
};

// Reads the points of the current record's fields in the order given. The
// words XY, RT and (with ij) IJ start Cartesian, polar and node-look-up pairs.
// An IJ pair whose grid point holds no node gives an error and is not counted.
Scan scan_points(const LocalSystems& ls, const ScanRules& rules);

// The node at (i, j) of the current region, a new number when there is none
// (created + 1); registered there (another slot for an existing node).
int place_node(int i, int j, int& created);
// False, after the table-full error, when the slots or new node numbers of a
// command would not fit the node table.
bool nodes_fit(long long slots, long long new_nodes);

// "TOTAL NUMBER OF NODES = " and "NUMBER OF NODES GENERATED :" lines.
void total_nodes_line();
void generated_line(int n);
// An error and the level's syntax line.
void refuse(int help, const std::string& text, const char* syntax);

// The word occurs in the record.
bool record_has(const char* word);
// A grid index of a region.
bool on_grid(int i);
inline const char* const kOffGrid = "*** I,J OUTSIDE THE GRID 1..100 ***";
// The n fields from ipos are numbers: v := their integer parts.
bool read_bounds(int ipos, int n, int* v);
// GEOPROG=q: true with the ratio q of a geometric progression. A value that
// is not a number, or not above 0, gives an error and uniform spacing.
bool geoprog_option(double& q);
// The fraction of the way at step m of n steps, uniform or geometric.
double progression(int m, int n, bool geo, double q);
// REGION= on a record defines a new current region; false when refused.
bool region_option();

}  // namespace kavren
