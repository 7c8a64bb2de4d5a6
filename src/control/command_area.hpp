// The command area of menu mode as the command language keeps it: its four
// lines (1 the edit line, 2 the newest command or message) and the ring of the
// last 100 text lines. What it draws goes through a seam that the graphics
// layer fills at start-up (install_command_window); while the seam is empty,
// or no window is open, nothing is drawn.
#pragma once

#include <string_view>

namespace kavren {

struct CommandWindow {
    bool (*drawing)() = nullptr;                        // the window is open and the screen on
    void (*column)(int menu) = nullptr;                 // draws the menu column of menu
    void (*getcom)(int menu, int& ipick) = nullptr;     // the line editor
    void (*viewline)(int k, std::string_view text) = nullptr;  // text on command-area line k
    void (*area)() = nullptr;                           // the empty command area
    void (*flush)() = nullptr;                          // sends the drawing to the display
    void (*save)() = nullptr;                           // saves the command area (dsave)
};
extern CommandWindow command_window;

// True while the window is there to draw the command area in.
bool window_drawing();
// Draws command-area line k as cinput holds it, when the window is there.
void draw_command_line(int k);
// Lines 4 down to lowest + 1 each take the line above them (its text up to
// its length, blanks after), drawn when draw is set.
void shift_command_lines(int lowest, bool draw);
// Line 1 emptied to its prompt, marked '%' in calculator mode, else '>'.
void empty_edit_line();
// Stores a text line in the ring (wrapping after 100) and shows it lowest.
void ring_store(std::string_view text);
// The newest ring lines again on lines 2.. of the command area, NSHOW of them
// (fewer before the ring holds that many).
void show_newest_ring();

}  // namespace kavren
