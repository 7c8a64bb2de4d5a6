// The window of menu mode: the menu column at the right, the command area at
// the bottom with its line editor, the scrolling of the text ring, the
// drawing of the window at start-up and its closing step.
#pragma once

#include <string_view>

namespace kavren {

// One button of the menu column: column col (1 the fixed buttons, 2 the
// menu), row row, inset pad, button style and state, with its text.
void menubox(int pad, int col, int row, int istyle, std::string_view text, int istate);
// The column of menu: fixed buttons, OPTIONS, the path titles and the menu's
// entries (drmenu records the path and calls it from the keyboard).
void drmenu_column(int menu);
// Paints over the rows the previous menu used below the new one.
void clmenu(int menu);
// The line editor: keys and picks build line 1; Return or mouse button 1
// moves it up to line 2. ipick: the last entry picked (2..), a fixed button
// (-1 HELP, -2 HIST, -3 END) or 0. In command mode a wait for one event.
void getcom(int menu, int& ipick);
// Command-area line k (1..4) showing text.
void viewline(int k, std::string_view text);
// UP and DOWN: one older or newer ring line in the text area.
void scrollup();
void scrolldo();
// The window at start-up: background, command area, menu column, logo,
// prompts and mark.
void drwind();
void logo();
void tradmark();
// End of a run: in command mode with a picture on the screen, waits for one
// key or click and closes the window; otherwise nothing.
void closew();
// Fills the command language's seam with the drawing of this module.
void install_command_window();

}  // namespace kavren
