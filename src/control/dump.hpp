// The STORAGE level: saving and recovering the data in the save file.
#pragma once

namespace kavren {

// Entered from the problem module by STORAGE; returns on its END.
void dump();

}  // namespace kavren
