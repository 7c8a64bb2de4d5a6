// kavren: interactive hp-adaptive finite elements on quadrilateral meshes.
#include "control/startup.hpp"

int main() { kavren::kavren_main(); }
