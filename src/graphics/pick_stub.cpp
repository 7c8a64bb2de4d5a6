// STUB: mouse picking arrives with the window layer (menu mode). Until then a
// pick says so in one line and picks nothing.
#include "control/messages.hpp"
#include "graphics/pick.hpp"

namespace kavren {

namespace {

void not_yet() {
    ffldou(0, MSG_LIST, " ** MOUSE PICKING IS NOT AVAILABLE YET");
}

}  // namespace

// STUB: an empty selection.
void vinq01(PickList& list) {
    not_yet();
    list.fill(0);
}

// STUB: no element.
void vinq02(int& nel) {
    not_yet();
    nel = 0;
}

// STUB: no order and an empty selection.
void vinq03(PickList& list, int& ichoice) {
    not_yet();
    list.fill(0);
    ichoice = 0;
}

}  // namespace kavren
