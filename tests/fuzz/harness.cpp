#include "harness.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "control/echo.hpp"
#include "control/history.hpp"
#include "control/menu.hpp"
#include "control/messages.hpp"
#include "control/reader.hpp"
#include "eval/evaluator.hpp"
#include "fem/tables.hpp"
#include "frontal/solve1.hpp"
#include "hpmesh/dbcheck.hpp"
#include "hpmesh/refine.hpp"
#include "mesh_builder.hpp"
#include "record_bytes.hpp"
#include "meshgen/handover.hpp"
#include "records/control.hpp"
#include "records/estimate.hpp"
#include "records/eval.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/problem.hpp"
#include "records/reset.hpp"
#include "records/savefile.hpp"
#include "session/cusmen.hpp"
#include "session/dump.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace kavren::fuzz {

namespace {

namespace fs = std::filesystem;

//// the scratch project ////

void write(const fs::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void write(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    write(path, std::string_view(reinterpret_cast<const char*>(data), size));
}

[[noreturn]] void throw_stop(int status, std::string_view routine) {
    throw Stopped{status, std::string(routine)};
}

// Before each input: every record as a run starts, every unit closed, the
// keyboard's end forgotten, the start-up tables that the reset clears built
// again, and the project's log, history and error file open.
void begin_input() {
    units::close_all();
    units::forget_failures();
    reset_run();
    reset_keyboard_end();
    unitno();
    cmode.IMENU = 0;
    initeval();
    blkmen();
    cusmen();
    cflnam.FLNAM(1) = "decks/fuzz.com";
    cflnam.FLNAM(2) = "decks/fuzz.err";
    cflnam.FLNAM(4) = "data/fuzz.sav";
    cflnam.FLNAM(5) = "decks/fuzz.out";
    units::open_text(cinout.LUECHO, cflnam.FLNAM(5), units::Open::create);
    units::open_direct(cinout.LUHIST, "for50", 256);
    units::open_text(cinout.LUERR, cflnam.FLNAM(2), units::Open::create);
    cflnam.IOPEN = 1;
}

testing::RecordBytes& before() {
    static testing::RecordBytes* r = new testing::RecordBytes;
    return *r;
}

std::string stop_finding(const Stopped& s) {
    return "the run stopped in " + s.routine + " with status " + std::to_string(s.status);
}

// SOLVE is left out above this many unknowns (dofs times components), so that
// one input stays well inside the fuzzer's time limit under the sanitizers on
// a busy machine: 64 elements of order 8 (about 4 200 unknowns) took 1 to 5 s
// there. An initial-mesh file (order 1, at most 64 elements refined once) is
// always solved.
constexpr int SOLVE_UNKNOWNS = 2000;

// After a file was taken: the database is sound, and with a small mesh (at
// most 64 elements) refining each initial element in turn and then SOLVE with
// the frontal solver keep it so and never stop the run. A solve the solver
// refuses is an answer, not a fault.
std::string accepted_mesh_verdict() {
    std::vector<std::string> faults = check_database();
    if (!faults.empty()) return "accepted, but the database is faulty: " + faults.front();
    if (cdata.NRELEM > 64) return "";
    const int initial = cdata.NRELIN;
    for (int e = 1; e <= initial; ++e) {
        if (ctree.NFSON(e) != 0) continue;
        refine(e, cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS);
    }
    faults = check_database();
    if (!faults.empty()) return "refined, and the database is faulty: " + faults.front();
    if (cdata.NRDOF * ceqsys.NREQNS > SOLVE_UNKNOWNS) return "";
    // SOLVE,FRONTAL.
    cdec.IDEC = 0;
    solve1();
    faults = check_database();
    if (!faults.empty()) return "solved, and the database is faulty: " + faults.front();
    return "";
}

// The problem a FILE= is read under in a session: HEAT, one component.
void choose_heat() {
    ceqsys.NREQNS = 1;
    ceqsys.MXEQNS = 2;
    csymet.ISYMET = 2;
    cmode.ICUSTM = 0;
    cmode.IPROB = 2;
    cmode.IPROBG = 2;
}

}  // namespace

void start() {
    static bool started = false;
    if (started) return;
    started = true;
    const fs::path dir = fs::temp_directory_path() / ("kavren-fuzz-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    for (const char* d : {"decks", "data", "print", "DECKS"}) fs::create_directories(dir / d);
    write(dir / "config.sys", "MODE=COMMAND\nDISPLAY=MONO\nCUSTOM=0\nEND\n");
    // A includes itself; B ends in calculator mode and then names A.
    write(dir / "DECKS/A.INC", "# first include\nREFINE,1\nINCLUDE,A\n");
    write(dir / "DECKS/B.INC", "STANDARD\nINCLUDE,A\n%\nZ = X + 1\n");
    write(dir / "decks/f.eva", "W = X * Y\nV = SIN(W) + 2\n");
    fs::current_path(dir);
    // The directory goes when the process ends normally (a replay); a fuzzer
    // that found something aborts and leaves it to look at.
    static const fs::path scratch = dir;
    std::atexit([] {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(scratch, ec);
    });
    // Standard input at its end: the pauses go on.
    if (std::freopen("/dev/null", "r", stdin) == nullptr) std::perror("/dev/null");
    set_stop_hook(throw_stop);
    cnst();
    cnsti();
    cnsti1d();
}

//// reader ////

std::string reader_target(const std::uint8_t* data, std::size_t size) {
    start();
    begin_input();
    write("decks/fuzz.com", data, size);
    units::open_text(LUDECK, "decks/fuzz.com", units::Open::existing);
    cinout.LUIN = LUDECK;
    cbinrec.NXTREC = 1;
    constexpr int MAIN_MENU = 18;
    try {
        // The main menu's way with records, until the reader stops the run
        // at the end of its input.
        for (;;) {
            iodati.INDENT = 1;
            cbinrec.NXTREC = cbinrec.IREPLY == 1 ? 1 : cbinrec.NXTREC;
            cbinrec.IREPLY = 0;
            int ierr = 0;
            ffldin(cinout.LUIN, cinout.LUOUT, MAIN_MENU, ierr);
            if (iodati.NFIELD < 0 || iodati.NFIELD > NFMAX_FIELDS)
                return "a record of " + std::to_string(iodati.NFIELD) + " fields";
            for (int k = 1; k <= iodati.NFIELD; ++k) {
                const int t = iodati.ITYPE(k);
                if (t != FT_NUMBER && t != FT_WORD && t != FT_DEFAULT)
                    return "field " + std::to_string(k) + " of type " + std::to_string(t);
            }
            if (ierr == 1) continue;
            if (chkfld("H", 1)) {
                history();
            } else if (!chkfld("?", 1) && !chkfld("END", 1)) {
                outcom(cinout.LUECHO);
            }
        }
    } catch (const Stopped& s) {
        if (s.routine == "END OF KAVREN" || s.routine == "FFLDIN") return "";
        return stop_finding(s);
    }
}

//// evaluator ////

std::string evaluator_target(const std::uint8_t* data, std::size_t size) {
    start();
    begin_input();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        while (!text.empty()) {
            const std::size_t nl = text.find('\n');
            std::string line(text.substr(0, nl));
            text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
            for (char& c : line)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            const B4 counts = b4;
            const int nexpr = clac1c.NEXPR;
            evpack(line);
            if (clac1c.NEXPR == nexpr &&
                (b4.NUMVAR != counts.NUMVAR || b4.NUMFUN != counts.NUMFUN ||
                 b4.NUMCNST != counts.NUMCNST))
                return "a refused line changed the symbol tables: " + line;
        }
        const double u[4] = {1.0, -2.0, 0.5, 3.0}, dx[4] = {0.1, 0.2, 0.3, 0.4},
                     dy[4] = {-0.1, 0.0, 2.0, 1.0};
        const double points[3][2] = {{0.0, 0.0}, {0.5, -1.5}, {1e3, 2.5}};
        for (const auto& p : points)
            for (int v = 1; v <= b4.NUMVAR; ++v) userf(1, p[0], p[1], u, dx, dy, v);
    } catch (const Stopped& s) {
        if (s.routine == "END OF KAVREN") return "";
        return stop_finding(s);
    }
    return "";
}

//// initial-mesh file ////

std::string mesh_file_target(const std::uint8_t* data, std::size_t size) {
    start();
    begin_input();
    testing::reset_database();
    choose_heat();
    write("data/fuzzmesh", data, size);
    iodati.NFIELD = 2;
    iodati.ITYPE(1) = FT_WORD;
    iodatc.FWORD(1) = Word8("FILE");
    iodati.ITYPE(2) = FT_WORD;
    iodatc.FWORD(2) = Word8("FUZZMESH");
    iodati.NLINE = 1;
    iodati.LINE(1) = Line80("FILE=FUZZMESH");
    before().take();
    try {
        if (logrid() != 0) {
            const std::string changed = before().changed();
            return changed.empty() ? "" : "refused, but changed:" + changed;
        }
        return accepted_mesh_verdict();
    } catch (const Stopped& s) {
        return stop_finding(s);
    }
}

//// save file ////

std::string save_file_target(const std::uint8_t* data, std::size_t size) {
    start();
    begin_input();
    if (size == 0) return "";
    testing::MeshBuilder b(2, 1);
    b.order(1, 2);
    if (!b.build().empty()) return "the known mesh could not be built";
    cdump.IUNFOR = data[0] & 1;
    write("data/fuzz.sav", data + 1, size - 1);
    before().take();
    try {
        if (dumpin(cuold.UOLD.data(), cunew.UNEW.data(), ICOLU_ROWS, "data/fuzz.sav") != 0) {
            const std::string changed = before().changed();
            return changed.empty() ? "" : "refused, but changed:" + changed;
        }
        return accepted_mesh_verdict();
    } catch (const Stopped& s) {
        return stop_finding(s);
    }
}

Target target_named(const std::string& name) {
    if (name == "reader") return reader_target;
    if (name == "evaluator") return evaluator_target;
    if (name == "mesh_file") return mesh_file_target;
    if (name == "save_file") return save_file_target;
    return nullptr;
}

}  // namespace kavren::fuzz
