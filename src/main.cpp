// kavren: interactive hp-adaptive finite elements on quadrilateral meshes.
#include "session/startup.hpp"

int main() {
    kavren::kavren_main();
}
