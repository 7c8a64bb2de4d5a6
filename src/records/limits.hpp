// Capacities of the global records. Every fixed table of the system is sized
// here, never by a literal elsewhere.
#pragma once

namespace kavren {

constexpr int NFMAX_FIELDS = 30;   // fields of one command record
constexpr int NFIELD_SLOTS = 128;  // field slots of the parsed record (only 1..30 are used)
constexpr int MAX_LINES = 10;      // lines of one (continued) command record
constexpr int LINE_FIELDS = 40;    // field positions the splitter keeps for one line
constexpr int MAX_OCCUR = 10;      // occurrences of one keyword that findop lists
constexpr int MAX_EXPR = 100;      // expression slots of the evaluator
constexpr int MAX_CUSTOM = 10;     // customised problems of config.sys
constexpr int MAX_EQNS = 4;        // equations (solution components) of a problem
constexpr int MENU_POOL = 1000;    // entries and menus of the menu table
constexpr int MENU_LIST = 15;      // words of the menu scratch list (title and 14 buttons)
constexpr int MENU_DEPTH = 8;      // levels of the menu path
constexpr int RING_LINES = 100;    // lines of the text ring
constexpr int HISTORY_RECLEN = 256;  // bytes of a history record (80 used)

// Element computations.
constexpr int MAX_ORDER = 8;        // polynomial order of an edge or interior node
constexpr int NQUAD_RULES = 10;     // columns of the quadrature tables (rules of 1..10 points)
constexpr int MAX_ELFUN = 81;       // shape functions of one component on one element (order 8)
constexpr int MAX_ELVAR = MAX_EQNS * MAX_ELFUN;  // unknowns of one element, all components
constexpr int CHPINT_WORDS = 10200;  // integral tables and work area of the start-up tables

}  // namespace kavren
