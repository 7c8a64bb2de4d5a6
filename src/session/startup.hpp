// Start-up, configuration, project files and the main menu.
#pragma once

namespace kavren {

// The whole program: start-up, project, main menu. Does not return.
[[noreturn]] void kavren_main();
// The start-up sequence.
void inithp();
void unitno();
// Installs the user stamp and the set look-up that the plots call.
void install_plot_seams();
// Reads config.sys.
void mode();
// Asks for a project name and opens the project.
void datab();
// Builds the project's file names from the last record and opens the files.
void opfil();
// The main menu's option list (command mode).
void main_menu_options();

}  // namespace kavren
