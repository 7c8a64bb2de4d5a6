// The deck of the drawing cases: the unit square in 2 x 2 nine-node elements
// (interior order 2), up to the end of the BOUNDARY level, so that it ends at
// the GEOMETRY level.
#pragma once

namespace kavren::e2e {

inline constexpr const char* kNineNodeSquare =
    "STANDARD\nHEAT\nGEOMETRY\n"
    "NODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=2\nJLOOP=2\nQUADR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nBOUNDARY=2,IJ=5,1,5,5\nBOUNDARY=3,IJ=1,5,5,5\n"
    "BOUNDARY=4,IJ=1,1,1,5\nEND\n";

}  // namespace kavren::e2e
