// The records of the field plots: the settings each contour map, surface
// picture and vector plot keeps from one call to the next, and the facet
// store of the surface pictures.
#pragma once

#include "records/limits.hpp"
#include "support/array.hpp"

namespace kavren {

constexpr int MAX_FACETS = 5000;  // facets of one surface picture (elements times 4**NSUBEL)

// What one contour map keeps between calls; every value 0 before the first.
struct ContourKept {
    int IROUT = 0;                    // 100 once the map has run
    int IDBG = 0;                     // its index in the breakpoint list
    int IFCOL = 0;                    // 1 bands filled, 0 contour lines
    int NSUBEL = 0;                   // sampling level 0..5
    double FMINL = 0.0, FMAXL = 0.0;  // limits of the scale
    double FMIN = 0.0, FMAX = 0.0;    // value range of the last range pass
    int IMESH = 0;                    // 1 every element outlined
    int IRESET = 0;                   // 1 the limits follow the data at each range pass
    double SCALE = 0.0;               // deformation scale (displaced map only)
    int IRED = 0;                     // Gauss-count reduction from the last probe
};

// What one surface picture keeps between calls; every value 0 before the first.
struct SurfaceKept {
    int IROUT = 0;                        // 100 once the picture has run
    int IDBG = 0, IDBG4 = 0;              // breakpoint indices (the EXECUTE driver's picture)
    int NSUBEL = 0;                       // sampling level 0..5
    int NFILL = 0;                        // 1 facets filled before they are outlined
    double XD = 0.0, YD = 0.0, ZD = 0.0;  // direction towards the viewer
    double FMINL = 0.0, FMAXL = 0.0;      // value axis of the box
    int IRESET = 0;                       // 1 the value axis follows the data at each call
    // The EXECUTE driver's picture only.
    int MULT = 0;       // 1 the stretch is on
    double FACT = 0.0;  // stretch factor
    double TG = 0.0;    // slope of the stretch direction
    int IART = 0;       // 1 the picture by refinement level
};

// What the vector plot keeps between calls; every value 0 before the first.
struct VectorKept {
    int IROUT = 0;                                          // 100 once the plot has run
    int IZOOM = 0;                                          // 1 zoomed to the box below
    double XMIN = 0.0, XMAX = 0.0, YMIN = 0.0, YMAX = 0.0;  // last extents or zoom box
    int NSUBEL = 0;                                         // sampling level 0..5
    int IMESH = 0;                                          // 1 every element outlined
    double SCALE = 0.0;                                     // drawn length per unit of the field
    int IARROW = 0;                                         // 1 arrows, 0 segments
    int INORM = 0;                                          // 1 every vector of length SCALE
    double VMIN = 0.0, VMAX = 0.0;                          // vector lengths of the last range pass
};

struct Cfield {
    ContourKept MAPCNC;    // the contour map
    ContourKept MAPCSD;    // the contour map on the displaced mesh
    SurfaceKept MAPC3D;    // the surface picture
    SurfaceKept MAPC3DWR;  // the EXECUTE driver's surface picture
    VectorKept MAPVEC;     // the vector plot
};

// The facet store of a surface picture, filled and read within one call.
struct Cworksp {
    // Facet m: x of its four corners (1..4), y (5..8), sampled values (9..12).
    Arr2<double, 12, MAX_FACETS> FACET;
    // Record m: minus the depth key of a facet, and the facet's number.
    Arr2<double, 2, MAX_FACETS> SORT;
};

extern Cfield cfield;
extern Cworksp cworksp;

}  // namespace kavren
