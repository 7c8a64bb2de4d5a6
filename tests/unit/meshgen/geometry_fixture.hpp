// A fixture that runs the generator levels on a scratch deck through the real
// reader, with the state of the run reset before each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "../control/reader_fixture.hpp"
#include "meshgen/geometry.hpp"
#include "meshgen/tables.hpp"
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
        ceqsys.NREQNS = 1;
        ceqsys.MXEQNS = 2;
        csymet.ISYMET = 2;
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

// The GEOMETRY and NODES records around body, and their ENDs.
inline std::string in_nodes(const std::string& body) {
    return "GEOMETRY\nNODES\n" + body + "END\nEND\n";
}

// The node at grid point (i, j) of region index r, 0 for none.
inline int node_at(int i, int j, int r = 1) {
    int node = 0;
    fref(i, j, r, node, 1);
    return node;
}

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
