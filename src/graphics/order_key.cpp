// The key of the polynomial orders.
#include "graphics/order_key.hpp"

namespace kavren {

void order_key_frame(int ilayf, int& ix1, int& iy1, int& ix2, int& iy2) {
    ix1 = 0;
    iy1 = 18;
    ix2 = ilayf == 0 ? 100 : 12;
    iy2 = ilayf == 0 ? 25 : 93;
}

void order_key_box(int ilayf, int p, int& ix1, int& iy1, int& ix2, int& iy2) {
    if (ilayf == 0) {
        ix1 = 10 * p + 3;
        iy1 = 22;
        ix2 = 10 * p + 13;
        iy2 = 25;
    } else {
        ix1 = 9;
        iy1 = 5 * p + 20;
        ix2 = 12;
        iy2 = 5 * p + 25;
    }
}

void order_key_digit(int ilayf, int p, int& ix, int& iy) {
    ix = ilayf == 0 ? 10 * p + 7 : 5;
    iy = ilayf == 0 ? 19 : 5 * p + 22;
}

}  // namespace kavren
