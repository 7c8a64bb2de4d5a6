// What window tests need: an X server of their own, the tools that send it
// events and take screenshots, and a reader of those screenshots.
//
// Every test that needs X starts its own server (ctest runs tests as parallel
// processes, and pointer and focus belong to a server):
//
//     kavren::testing::XServer server;
//     KAVREN_START_X(server);  // skips the test, or fails it under KAVREN_REQUIRE_X=1
//     ... DISPLAY=server.display() ...
//
// The server is `Xvfb -displayfd <fd> -screen 0 1024x768x24 -nolisten tcp
// -noreset` (the program from KAVREN_XVFB, default Xvfb); it is ended by its
// pid when the XServer goes. Events go through XTEST with xdotool, never with
// --window (which sends synthetic events); screenshots come from xwd.
// Nothing here uses kavren's own code, so the end-to-end tests link it too.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace kavren::testing {

class XServer {
  public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer() { stop(); }

    // Starts the server and reads its display number (time limit 10 s).
    // False, with the reason, when none can start. The screen is 24 bits
    // deep unless a test asks for another ("1024x768x8": 256 colour cells).
    bool start(std::string& reason, const std::string& screen = "1024x768x24");
    // ":N" once started.
    const std::string& display() const { return display_; }
    // Ends the server by its pid and waits for it (also done when it goes).
    void stop();

  private:
    pid_t pid_ = -1;
    std::string display_;
};

// True when KAVREN_REQUIRE_X=1: a window test without a server then fails.
bool x_required();

// Starts server (on a screen of that size and depth); when it cannot, skips
// the current test with "no X server: <reason>", or fails it when
// x_required(). For test bodies and SetUp.
#define KAVREN_START_X_SCREEN(server, screen)                   \
    do {                                                        \
        std::string kavren_why_;                                \
        if (!(server).start(kavren_why_, screen)) {             \
            if (::kavren::testing::x_required())                \
                FAIL() << "no X server: " << kavren_why_;       \
            else                                                \
                GTEST_SKIP() << "no X server: " << kavren_why_; \
        }                                                       \
    } while (0)
#define KAVREN_START_X(server) KAVREN_START_X_SCREEN(server, "1024x768x24")

// A tool run on a display: its status (-1 when it could not run), whether it
// was killed after its time limit, and its output streams.
struct ToolRun {
    int status = -1;
    bool timed_out = false;
    std::string out;
    std::string err;
};
ToolRun run_tool(const std::vector<std::string>& argv, const std::string& display,
                 int timeout_seconds = 20);

// The ids of the windows named name (xdotool search --name), as decimal texts.
std::vector<std::string> find_windows(const std::string& display, const std::string& name);

// Waits, polling with a time limit, until exactly one window of that name is
// there; its id, or empty.
std::string wait_for_window(const std::string& display, const std::string& name,
                            int timeout_seconds = 20);

//// screenshots ////

struct Colour {
    int r = -1, g = -1, b = -1;
    friend bool operator==(const Colour&, const Colour&) = default;
};

// A screenshot of a window, row 0 at the top.
struct XwdImage {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;  // width * height, by rows

    Colour at(int x, int y) const;
    // The colour found most often in the box of pixels x0..x1, y0..y1 (inclusive).
    Colour most_frequent(int x0, int y0, int x1, int y1) const;
    // True when some pixel within distance d (in x and y) of (x, y) has colour c.
    bool near(int x, int y, int d, const Colour& c) const;
};

// Reads an XWD file of a TrueColor window (32 bits a pixel, as `xwd` writes it
// on a 24-bit server). False, with the reason, when it is not one.
bool read_xwd(const std::string& bytes, XwdImage& image, std::string& problem);

// `xwd -silent -nobdrs -id <id>` of the window, read. False with the reason.
bool screenshot(const std::string& display, const std::string& window_id, XwdImage& image,
                std::string& problem);

}  // namespace kavren::testing
