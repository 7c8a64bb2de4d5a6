// The key of the polynomial orders 1..8: where its boxes stand in the window,
// shared by the drawing of the key and the pick of an order from it.
#pragma once

namespace kavren {

// Percent corners of the key's background for the layout flag ilayf (0 the
// key below a wide picture, 1 beside a tall one).
void order_key_frame(int ilayf, int& ix1, int& iy1, int& ix2, int& iy2);
// Percent corners of the box of order p (1..8).
void order_key_box(int ilayf, int p, int& ix1, int& iy1, int& ix2, int& iy2);
// Percent point where the digit of order p is written.
void order_key_digit(int ilayf, int p, int& ix, int& iy);

}  // namespace kavren
