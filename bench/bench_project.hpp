// What the benchmarks that run the program's own start-up share: a scratch
// working directory with the project folders, config.sys and the deck
// decks/bench.com, left and removed again at the end; and the start-up of
// the project BENCH with one equation, the listing going to listing.txt.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "control/reader.hpp"
#include "meshgen/geometry.hpp"
#include "records/control.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/window.hpp"
#include "session/startup.hpp"
#include "support/units.hpp"

namespace kavren {

struct BenchScratch {
    std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::path dir;
    BenchScratch(const std::string& name, const char* config, const std::string& deck) {
        dir = std::filesystem::temp_directory_path() /
              ("kavren-" + name + "-bench-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        for (const char* d : {"decks", "data", "print", "DECKS"})
            std::filesystem::create_directories(dir / d);
        std::ofstream(dir / "config.sys") << config;
        std::ofstream(dir / "decks/bench.com") << deck;
        std::filesystem::current_path(dir);
    }
    ~BenchScratch() {
        units::close_all();
        std::filesystem::current_path(old_cwd);
        std::filesystem::remove_all(dir);
    }
};

// Start-up and the project BENCH, its deck the current input, one equation.
inline void bench_project() {
    cmenu = Cmenu();
    units::open_text(units::STDOUT_UNIT, "listing.txt", units::Open::create);
    inithp();
    iodati.NFIELD = 1;
    iodati.ITYPE(1) = FT_WORD;
    iodatc.FWORD(1) = "BENCH";
    ctitle.LTITLE = 0;
    opfil();
    ceqsys.NREQNS = 1;
    ceqsys.MXEQNS = 2;
}

// The GEOMETRY records of the unit square in 4 x 4 bilinear elements, every
// side on boundary 1: the start of a bench deck.
inline const std::string kUnitSquareGeometry =
    "GEOMETRY\nNODES\nGRID\nPOINT=4,IJ=1,1,5,5\nXY,0,0,XY,1,0,XY,1,1,XY,0,1\nEND\nEND\n"
    "ELEMENT\nILOOP=4\nJLOOP=4\nLINEAR,1,1\nENDLOOPS\nEND\n"
    "BOUNDARY\nBOUNDARY=1,IJ=1,1,5,1\nIJ=5,1,5,5\nIJ=1,5,5,5\nIJ=1,1,1,5\nEND\nEND\n";

// Reads the deck's GEOMETRY record and builds its mesh.
inline void bench_geometry() {
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 21, ierr);  // the GEOMETRY record
    int first = 0;
    setgeom(first);
}

}  // namespace kavren
