// The zoom window.
#include "graphics/zoom.hpp"

#include <algorithm>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "graphics/pick.hpp"
#include "records/control.hpp"
#include "records/io.hpp"

namespace kavren {

namespace {

// The four numbers after ZOOM on the current record; false when one is missing.
bool zoom_fields(double v[4]) {
    int nocc = 0, ipos = 0;
    findop("ZOOM", nocc, ipos);
    if (nocc <= 0 || ipos < 1) return false;
    for (int i = 0; i < 4; ++i) {
        const int k = ipos + i;
        if (k > iodati.NFIELD || iodati.ITYPE(k) != FT_NUMBER) return false;
        v[i] = iodata.FVALUE(k);
    }
    return true;
}

// Two clicks in the picture, as XMIN, YMIN, XMAX, YMAX; false without a window.
bool zoom_clicks(double v[4]) {
    Arr1<int, 2> a, b;
    char ch = 0;
    if (!wait_release(a, ch) || !wait_release(b, ch)) return false;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    pick_world(a, x1, y1);
    pick_world(b, x2, y2);
    v[0] = std::min(x1, x2);
    v[1] = std::min(y1, y2);
    v[2] = std::max(x1, x2);
    v[3] = std::max(y1, y2);
    return true;
}

}  // namespace

void getzoom(double& xmin, double& ymin, double& xmax, double& ymax, int& iflag) {
    double v[4] = {};
    // A deck read in menu mode keeps its numbers: its plots are not on the screen.
    const bool clicks = cmode.IMENU == 1 && cinout.LUIN == cinout.LUKBD;
    bool ok = clicks ? zoom_clicks(v) : zoom_fields(v);
    if (ok && !(v[0] < v[2] && v[1] < v[3])) ok = false;
    if (!ok) {
        ffldou(0, MSG_ERROR, "ZOOMING PARAMETERS UNREADABLE");
        return;
    }
    xmin = v[0];
    ymin = v[1];
    xmax = v[2];
    ymax = v[3];
    iflag = 1;
}

}  // namespace kavren
