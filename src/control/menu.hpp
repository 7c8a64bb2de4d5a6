// The menu table built at start-up and the menu column of menu mode.
#pragma once

namespace kavren {

// Appends MLIST(1..n) to the menu table as the next menu.
void decrip(int n);
// Defines the pre-defined menus 1 to 64 and checks the table's limits.
void blkmen();
// Reports a menu table beyond its limits (three messages; the run goes on).
void check_menu_limits();
// Records the title of menu in the menu path and draws the column.
void drmenu(int menu);
// Number of entries of a menu, its title included.
int menu_entries(int menu);

}  // namespace kavren
