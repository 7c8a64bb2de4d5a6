// The hand-over of the generated mesh to the hp database, the reader of a
// ready initial mesh (FILE=), the grid file, and the guard of the commands that
// need a usable mesh.
#pragma once

namespace kavren {

// Results of transit.
constexpr int HANDED_OVER = 0;
constexpr int NOTHING_TO_HAND_OVER = 1;  // no element generated: the current mesh stays
constexpr int NOT_HANDED_OVER = 2;       // a side without neighbour or boundary number

// Hands the generated mesh over to the hp database.
int transit();
// Reads the initial-mesh file named by field 2 of the current record into the
// hp database. 0 when it was read and handed over; otherwise nothing changed.
int logrid();
// Writes the grid file (named by GRID= on the current record, else "output").
void writf(int nblock);
// 0 when the database holds a usable mesh; otherwise writes why not and gives 1.
// SOLVE and the MESH level call it before they work on the mesh.

}  // namespace kavren
