// A fixture that runs the generator levels on a scratch deck through the real
// reader, with the generator and database records cleared before each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "meshgen/geometry.hpp"
#include "records/geometry.hpp"
#include "records/mesh.hpp"
#include "records/meshgen.hpp"
#include "records/window.hpp"

namespace kavren::testing {

class GeneratorTest : public ReaderTest {
  protected:
    void SetUp() override {
        ReaderTest::SetUp();
        // A deck that ends too early falls back to the keyboard: make that the
        // end of input, so a faulty test stops instead of waiting.
        std::freopen("/dev/null", "r", stdin);
        reset_keyboard_end();
        clear_records();
        ceqsys.NREQNS = 1;
        ceqsys.MXEQNS = 2;
        csymet.ISYMET = 2;
    }

    static void clear_records() {
        static const Cnodet cnodet0{};
        static const Ccon2 ccon20{};
        static const Idfc idfc0{};
        static const Elemij elemij0{};
        static const Cregio cregio0{};
        static const Csetf csetf0{};
        static const Cprofi cprofi0{};
        static const Cbcons cbcons0{};
        static const Cbcons1 cbcons10{};
        static const Celem0 celem00{};
        static const Cgeomtyp cgeomtyp0{};
        static const Celem celem0_{};
        static const Ctree ctree0{};
        static const Cneig cneig0{};
        static const Cnode cnode0{};
        static const Cnu cnu0{};
        static const Cuold cuold0{};
        static const Cunew cunew0{};
        static const Locals locals0{};
        cnodet = cnodet0;
        ccon = Ccon();
        ccon2 = ccon20;
        idfc = idfc0;
        elemij = elemij0;
        cregio = cregio0;
        csetf = csetf0;
        cprofi = cprofi0;
        cbcons = cbcons0;
        cbcons1 = cbcons10;
        cbcons2 = Cbcons2();
        celem0 = celem00;
        cgeomtyp = cgeomtyp0;
        cdata = Cdata();
        cpoint = Cpoint();
        celem = celem0_;
        ctree = ctree0;
        cneig = cneig0;
        cnode = cnode0;
        cnu = cnu0;
        icolu = Icolu();
        cuold = cuold0;
        cunew = cunew0;
        ceqsys = Ceqsys();
        csymet = Csymet();
        cflags = Cflags();
        cdec = Cdec();
        cgeost = Cgeost();
        cmshst = Cmshst();
        locals = locals0;
        cbuftext = Cbuftext();
    }

    // Runs the GEOMETRY level on text, which starts with the GEOMETRY record.
    void geometry(const std::string& text, int ifirst = 0) {
        deck(text);
        ASSERT_EQ(read(), 0);
        int f = ifirst;
        setgeom(f);
        EXPECT_EQ(f, 1);
    }
    // Makes text the deck and reads its first record (for the look-ups).
    void record(const std::string& text) {
        deck(text + "\n");
        ASSERT_EQ(read(), 0);
    }

    std::string errors() { return file("decks/t.err"); }
    std::vector<std::string> lines_of(const std::string& rel) {
        std::vector<std::string> out;
        std::istringstream in(file(rel));
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }
    bool has_line(const std::string& rel, const std::string& line) {
        for (const auto& l : lines_of(rel))
            if (l == line) return true;
        return false;
    }
    int count_lines(const std::string& rel, const std::string& line) {
        int n = 0;
        for (const auto& l : lines_of(rel)) n += l == line;
        return n;
    }
};

// The nodes of a unit square of 2 x 2 LINEAR elements on region 1 (grid 1..3),
// with boundary numbers 1 (bottom), 2 (right), 3 (top), 4 (left).
inline const char* const kSquareNodes =
    "NODES\n"
    "GRID\n"
    "POINT=4,IJ=1,1,3,3\n"
    "XY,0,0,XY,1,0,XY,1,1,XY,0,1\n"
    "END\n"
    "END\n";
inline const char* const kSquareElements =
    "ELEMENT\n"
    "ILOOP=2\n"
    "JLOOP=2\n"
    "LINEAR,1,1\n"
    "ENDLOOPS\n"
    "END\n";
inline const char* const kSquareBoundary =
    "BOUNDARY\n"
    "BOUNDARY=1,IJ=1,1,3,1\n"
    "BOUNDARY=2,IJ=3,1,3,3\n"
    "BOUNDARY=3,IJ=1,3,3,3\n"
    "BOUNDARY=4,IJ=1,1,1,3\n"
    "END\n";

}  // namespace kavren::testing
