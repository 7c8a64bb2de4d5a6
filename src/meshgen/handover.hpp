// The hand-over of the generated mesh to the hp database, the reader of a
// ready initial mesh (FILE=) and the grid file.
//
// Both hand-overs refuse a mesh the database cannot hold: an element that
// names itself as a neighbour, two elements on the same four nodes, a side of
// more than two elements, neighbours that do not name each other across a
// common side, and neighbours whose vertices no numbering can give the same
// local axes. Otherwise each element's vertices are renumbered (a cyclic
// shift, so they stay counter-clockwise) until every common side is side k of
// one element and side (k+1) mod 4 + 1 of the other, as the database takes it.
#pragma once

namespace kavren {

// Results of transit.
constexpr int HANDED_OVER = 0;
constexpr int NOTHING_TO_HAND_OVER = 1;  // no element generated: the current mesh stays
constexpr int NOT_HANDED_OVER = 2;       // open sides, or a mesh the database cannot hold

// Hands the generated mesh over to the hp database.
int transit();
// Reads the initial-mesh file named by field 2 of the current record into the
// hp database. 0 when it was read and handed over; otherwise nothing changed.
int logrid();
// Writes the grid file (named by GRID= on the current record, else "output").
void writf(int nblock);

}  // namespace kavren
