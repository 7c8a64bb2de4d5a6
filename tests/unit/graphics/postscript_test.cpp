// The PostScript writer: the header, the path buffer with its four points a
// line and its stroke flag, gray levels, texts, clip lines, wide numbers, and
// the file refused or finished without ending the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "graphics_fixture.hpp"

namespace kavren::testing {
namespace {

using Lines = std::vector<std::string>;

class PostScriptTest : public GraphicsTest {};

TEST_F(PostScriptTest, HeaderNamesTheFileAndDefinesThePathOperators) {
    open_file("fig1");
    ps_finish();
    const Lines v = lines("print/fig1");
    const Lines want = {"%!tilvo   file: fig1",
                        "  0 setlinewidth /n {0 setgray stroke newpath",
                        " moveto} def",
                        " /c {lineto closepath } def",
                        " /arrow {1 0 rlineto -1 0.5 rlineto 0 -1 rlineto",
                        "  1 0.5 rlineto } def /a {  rotate dup",
                        "  scale arrow initmatrix } def",
                        " /s { setgray fill newpath } def",
                        " /m {moveto} def  /d {lineto} def  newpath",
                        " 50 50 translate newpath",
                        " stroke showpage"};
    EXPECT_EQ(v, want);
    EXPECT_EQ(claser.ILASER, 0);
    EXPECT_EQ(claser.IROT, 1);
}

TEST_F(PostScriptTest, FourPointsMakeOneLineWithTheirLetters) {
    open_file();
    outlsr(275.0, 412.5, 4);
    outlsr(280.0, 412.5, 1);
    outlsr(280.0, 420.0, 1);
    outlsr(275.0, 420.0, 3);
    ps_finish();
    EXPECT_EQ(body().front(), "275.0 412.5 n 280.0 412.5 d 280.0 420.0 d 275.0 420.0 c");
}

TEST_F(PostScriptTest, NinePointPolygonLeavesItsLastPointForTheNextFlush) {
    open_file();
    lscale.LPOINT = 1;
    double xy[18];
    for (int i = 0; i < 9; ++i) xy[2 * i] = xy[2 * i + 1] = 10.0 * (i + 1);
    wpoly(9, xy);
    EXPECT_EQ(body().size(), 2u);
    wflush();
    const Lines b = body();
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0], "10.0 10.0 n 20.0 20.0 d 30.0 30.0 d 40.0 40.0 d");
    EXPECT_EQ(b[1], "50.0 50.0 d 60.0 60.0 d 70.0 70.0 d 80.0 80.0 d");
    EXPECT_EQ(b[2], "90.0 90.0 c");
    EXPECT_EQ(b[3], "0 setgray stroke");
}

TEST_F(PostScriptTest, FillLevelsAreGrayOfNgrayAndAFlushAfterAFillStillStrokes) {
    open_file();
    claser.NGRAY = 8;
    lscale.LPOINT = 1;
    const double sq[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    for (int level : {1, 4, 8}) {
        wpoly(4, sq);
        outlsr(0.0, 0.0, -level);
    }
    wflush();
    const Lines b = body();
    EXPECT_EQ(b[1], "1.000 s");
    EXPECT_EQ(b[3], "0.571 s");
    EXPECT_EQ(b[5], "0.000 s");
    EXPECT_EQ(b[6], "0 setgray stroke");
    // A flush to a point other than (0, 0) writes no stroke; nor does a second flush.
    outlsr(5.0, 5.0, 0);
    outlsr(1.0, 1.0, 9);
    wflush();
    EXPECT_EQ(body().back(), "5.0 5.0 m");
}

TEST_F(PostScriptTest, TooFewGrayLevelsGiveNoNaN) {
    open_file();
    for (int ngray : {0, 1}) {
        claser.NGRAY = ngray;
        outlsr(0.0, 0.0, -1);
        outlsr(0.0, 0.0, -5);
    }
    const Lines b = body();
    EXPECT_EQ(b, (Lines{"1.000 s", "0.000 s", "1.000 s", "0.000 s"}));
}

TEST_F(PostScriptTest, TheFiveHundredAndFirstCallAfterANewPathMovesWithN) {
    open_file();
    outlsr(1.0, 1.0, 4);
    for (int i = 0; i < 500; ++i) outlsr(2.0, 2.0, 1);
    outlsr(3.0, 3.0, 0);  // the 501st call: a move that starts a new path
    outlsr(4.0, 4.0, 0);  // the count began again: a plain move
    wflush();
    const Lines b = body();
    ASSERT_GE(b.size(), 2u);
    EXPECT_EQ(b[b.size() - 2], "2.0 2.0 d 3.0 3.0 n 4.0 4.0 m");
    EXPECT_EQ(wplotinf.NPATH, 2);
}

TEST_F(PostScriptTest, TextsAreEscapedAndPaddedToTheirLength) {
    open_file();
    wtext("A(B)\\", 5);
    wtext("AB", 4);
    wtext("", 0);
    const Lines b = body();
    EXPECT_EQ(b[0], "  90 rotate (A\\(B\\)\\\\) show stroke -90 rotate");
    EXPECT_EQ(b[1], "  90 rotate (AB  ) show stroke -90 rotate");
    EXPECT_EQ(b[2], "  90 rotate () show stroke -90 rotate");
}

TEST_F(PostScriptTest, NumbersTooWideForTheirFieldsAreWrittenWhole) {
    std::string s;
    int len = 0;
    ftoa(123456789.0, s, len, "(f10.1)");
    EXPECT_EQ(s, "123456789.0");
    EXPECT_EQ(len, 11);
    ftoa(-5.0, s, len, "(f10.1)");
    EXPECT_EQ(s, "-5.0");
    open_file();
    outlsr(123456789.0, -1234567890.5, 0);
    ps_direct(1234.5, -100.4, 'm');
    ps_direct(55.0, 110.0, 'd');
    wflush();
    const Lines b = body();
    EXPECT_EQ(b[0], "  1234.5 -100.4 m");
    EXPECT_EQ(b[1], "   55.0 110.0 d");
    EXPECT_EQ(b[2], "123456789.0 -1234567890.5 m");
    for (const std::string& l : b) EXPECT_EQ(l.find('*'), std::string::npos) << l;
}

TEST_F(PostScriptTest, ClipLinesFrameTheViewportAndTheWholeWindowIsWhite) {
    wsize.WSIZE = 450.0;
    open_file();
    wclipon(4, 117, 445, 414);
    wclipoff();
    wclipon(0, 0, 599, 450);
    const Lines b = body();
    EXPECT_EQ(b[0], " 0 setgray 1 setlinewidth");
    EXPECT_EQ(b[1], "407.0 4.9 n 44.0 4.9 d 44.0 543.9 d 407.0 543.9 d");
    EXPECT_EQ(b[2], "407.0 4.9 d");  // the fifth point, without a stroke line
    EXPECT_EQ(b[3], "  1 setgray closepath gsave");
    EXPECT_EQ(b[4], " clip 0 setlinewidth");
    EXPECT_EQ(b[5], " grestore stroke 0 setgray 0 setlinewidth");
    EXPECT_EQ(b[6], " 1 setgray");
}

TEST_F(PostScriptTest, MovesOffThePageAreReportedWithTheirWorldPoint) {
    open_file();
    lscale.XSCALE = lscale.YSCALE = 1.0;
    wmovea(-2.5, 0.0);
    EXPECT_EQ(file("term.txt"), " -2.5 0.\n");
    wmovea(1.0, 1.0);  // page (549, 1): no report
    EXPECT_EQ(file("term.txt"), " -2.5 0.\n");
}

TEST_F(PostScriptTest, LaserWordOnTheRecordNamesTheFileInLowerCase) {
    struct Case {
        const char* record;
        int ilaser;
    };
    const Case cases[] = {
        {"PLOT,LASER=FIG1\n", 1}, {"PLOT,LASER=5\n", 0}, {"PLOT,LASER\n", 0}, {"PLOT\n", 0}};
    for (const Case& c : cases) {
        deck(c.record);
        read();
        claser.ILASER = 7;
        inqlsr();
        EXPECT_EQ(claser.ILASER, c.ilaser) << c.record;
        if (c.ilaser == 1) {
            EXPECT_EQ(claser.PSNAME.str(), "fig1      ");
        }
    }
}

TEST_F(PostScriptTest, UnopenableFilesAreRefusedAndThePlotGoesOn) {
    struct Case {
        const char* name;
        bool remove_print;
    };
    const Case cases[] = {{"fig1", true}, {"..", false}, {".hidden", false}, {"a/b", false}};
    for (const Case& c : cases) {
        if (c.remove_print) std::filesystem::remove_all("print");
        claser.PSNAME = Chars<10>(c.name);
        claser.ILASER = 1;
        winitlsr();
        EXPECT_EQ(claser.ILASER, 0) << c.name;
        EXPECT_FALSE(ps_writing());
        EXPECT_NE(file("decks/t.err")
                      .find(std::string(" UNABLE TO OPEN POSTSCRIPT FILE: print/") + c.name + "\n"),
                  std::string::npos)
            << c.name;
        std::filesystem::create_directories("print");
    }
    EXPECT_FALSE(std::filesystem::exists("print/.hidden"));
}

TEST_F(PostScriptTest, AFileLeftOpenIsFinishedBeforeTheNextOpens) {
    open_file("one");
    outlsr(1.0, 2.0, 4);
    open_file("two");
    ps_finish();
    const Lines one = body("one");
    EXPECT_EQ(one, (Lines{"1.0 2.0 n", "0 setgray stroke", " stroke showpage"}));
    EXPECT_EQ(body("two"), (Lines{" stroke showpage"}));
}

}  // namespace
}  // namespace kavren::testing
