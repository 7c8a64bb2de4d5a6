// Capacities of the global records. Every fixed table of the system is sized
// here, never by a literal elsewhere.
#pragma once

namespace kavren {

constexpr int NFMAX_FIELDS = 30;     // fields of one command record
constexpr int NFIELD_SLOTS = 128;    // field slots of the parsed record (only 1..30 are used)
constexpr int MAX_LINES = 10;        // lines of one (continued) command record
constexpr int LINE_FIELDS = 40;      // field positions the splitter keeps for one line
constexpr int MAX_OCCUR = 10;        // occurrences of one keyword that findop lists
constexpr int MAX_EXPR = 100;        // expression slots of the evaluator
constexpr int MAX_CUSTOM = 10;       // customised problems of config.sys
constexpr int MAX_EQNS = 4;          // equations (solution components) of a problem
constexpr int MENU_POOL = 1000;      // entries and menus of the menu table
constexpr int MENU_LIST = 15;        // words of the menu scratch list (title and 14 buttons)
constexpr int MENU_DEPTH = 8;        // levels of the menu path
constexpr int RING_LINES = 100;      // lines of the text ring
constexpr int HISTORY_RECLEN = 256;  // bytes of a history record (80 used)

// Expression evaluator (compiler tables, store and interpreter).
constexpr int NPREDF = 15;         // predefined point variables NEL, X, Y, U1..DU4DY
constexpr int EXPR_TEXT = 100;     // characters of an expression text
constexpr int SYM_NAME = 10;       // characters of a symbol name that are kept
constexpr int MAX_VARS = 1000;     // variables of the symbol table
constexpr int MAX_FUNREFS = 1000;  // function references (reference 1 is the unary minus)
constexpr int MAX_CONSTS = 1000;   // constants
constexpr int MAX_SYMBOLS = MAX_VARS + MAX_FUNREFS + MAX_CONSTS;  // name slots of all three
constexpr int MAX_RESULTS = 1000;                                 // result rows of one compilation
constexpr int MAX_FUNCODES = 30;                                  // function codes of the catalogue
constexpr int MAX_TOKENS = 80;   // tokens of one expression once commas are dropped
constexpr int RPN_ROWS = 100;    // rows of a compiled-form column of the store
constexpr int MAX_RPN = 80;      // codes of one compiled form
constexpr int EVAL_STACK = 100;  // value and index stacks of the interpreter

// Problem data.
constexpr int MAX_BOUNDARY = 50;  // boundary numbers 1..50, and boundary lines of the generator

}  // namespace kavren

namespace kavren {

// hp mesh database.
constexpr int MAXIEL = 500;         // initial elements
constexpr int MAXSLOT = 16000;      // element slots (active elements)
constexpr int MAXFAM = 30000;       // families of two sons
constexpr int MAXNOD = 70000;       // nodes
constexpr int MAXDOF = 40000;       // degrees of freedom
constexpr int ICOLU_ROWS = 128000;  // rows per component of the solution arrays
constexpr int MXEQNS_MAX = 4;       // solution components
constexpr int MAXP = 8;             // highest polynomial order of a node

// Mesh generator.
constexpr int MAXGNOD = 10000;   // generator nodes and slots
constexpr int MAXGRID = 100;     // grid indices 1..100 of a region
constexpr int MAXREG = 10;       // regions
constexpr int MAXSET = 20;       // element sets
constexpr int SET_POOL = 1000;   // pool entries of the element sets
constexpr int MAXPROF = 20;      // profiles
constexpr int PROF_POOL = 500;   // pool entries of the profiles
constexpr int MAXBLIN = 50;      // boundary lines
constexpr int MAXBLOCK = 50;     // element blocks
constexpr int MAXGEL = 7200;     // generator per-element tables
constexpr int MAXGEOM = 1000;    // entries of the curve pool
constexpr int MAXCURV = 50;      // curves
constexpr int MAXSPLPT = 100;    // points of a spline (the parameter block and the point columns)
constexpr int NOEUD_SIZE = 200;  // entries of the knot block: knots, then the interior copy at 106
// Points a spline takes: its interior-knot copy (N - 3 values from entry 106)
// must end by entry 200 of the knot block.
constexpr int MAXSPLUSE = 98;

}  // namespace kavren

namespace kavren {

// Constrained approximation and the initial mesh.
constexpr int MAXLDOF = 81;       // local dofs of one element per component (orders 8)
constexpr int NEIGBR_DEPTH = 20;  // levels of one direction that neigbr's path records hold
constexpr int MAX_INITIAL_NODES =
    MAXDOF - 1;  // each initial node takes a dof; the list ends at MAXDOF

// Element computations.
constexpr int MAX_ORDER = 8;     // polynomial order of an edge or interior node
constexpr int NQUAD_RULES = 10;  // columns of the quadrature tables (rules of 1..10 points)
constexpr int MAX_ELFUN = 81;    // shape functions of one component on one element (order 8)
constexpr int MAX_ELVAR = MAX_EQNS * MAX_ELFUN;  // unknowns of one element, all components
constexpr int CHPINT_WORDS = 10200;  // integral tables and work area of the start-up tables
constexpr int EXPTS_SIZE = 1 << 15;  // points of the exact solution's table (a power of 2)

// Frontal solver.
constexpr int MA_PREFRONT = 288009;   // integer work of the prefront (ciwork IA)
constexpr int MA_SOLVE = 500000;      // double work array of the solution (cwrksp)
constexpr int MAX_DEST_ROWS = 17;     // destination codes kept per element (9 used)
constexpr int NTEMP_ASSEMBLY = 324;   // largest element the assembly takes: 4 components x 81
constexpr int CODE_LIMIT = 16777216;  // 2^24: destination codes pass through single precision

}  // namespace kavren

namespace kavren {

// Save file.
constexpr int SAVE_BLOCK = 256;  // values of one block (a direct-access record of 2048 bytes)
constexpr int SAVE_RECLEN = SAVE_BLOCK * 8;  // bytes of one direct-access record
constexpr int SAVE_LINES = SAVE_BLOCK / 4;   // lines of a formatted block, four values a line
constexpr int SAVE_HEADER = 10;              // capacities at the head of the stream
constexpr int SAVE_CARRIED_5 = 10000;   // header word 5: carried and compared, bounds nothing read
constexpr int SAVE_CARRIED_8 = 500000;  // header word 8: carried and compared, bounds nothing read
constexpr int MAX_CHAIN = (MAXP - 1) * (MAXP - 1);  // dofs of the longest chain (interior, order 8)
constexpr int STORE_ENTRIES = 1000;                 // entries of the ring-buffer store's table

// Error estimates.
constexpr int NEST_ELEMENT = 4;  // estimates kept per element
constexpr int NEST_GLOBAL = 5;   // global estimates

}  // namespace kavren

namespace kavren {

// Refinement and enrichment.
constexpr int REFINE_STACK = 9;          // elements waiting in a refinement, the asked one included
constexpr int MAX_SIDE_DOF = MAXP - 1;   // dofs of one edge node (order MAXP)
constexpr int MAX_UNIFORM_CODE = 11110;  // order codes up to this are a uniform order

// Plots.
constexpr int MAX_LEGEND = 20;     // legend lines of one plot
constexpr int SAMPLE_LD = 33;      // leading dimension of a sampling grid: 2**5 + 1 points a side
constexpr int MAX_NSUBEL = 5;      // finest sampling level (33 points a side)
constexpr int MAX_LEVELS = 259;    // level bands a plot may ask for
constexpr int LEVEL_TABLE = 301;   // level values: what opscal can make of 259 bands (at most 293)
constexpr int ART_ELEMENTS = 1500; // elements of a picture by refinement level
constexpr int ART_NODES = 1500;    // vertex nodes of a picture by refinement level

// The x-y plot.
constexpr int MAX_XY_CURVES = 5;     // curves of one plot
constexpr int MAX_XY_POINTS = 1000;  // points of one curve
constexpr int MAX_XY_FACTOR = 100;   // spline segments per point interval

}  // namespace kavren
