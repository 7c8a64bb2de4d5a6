// The zoom window.
#include "graphics/zoom.hpp"

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"

namespace kavren {

void getzoom(double& xmin, double& ymin, double& xmax, double& ymax, int& iflag) {
    int nocc = 0, ipos = 0;
    findop("ZOOM", nocc, ipos);
    double v[4] = {};
    bool ok = nocc > 0 && ipos >= 1;
    for (int i = 0; ok && i < 4; ++i) {
        const int k = ipos + i;
        ok = k <= iodati.NFIELD && iodati.ITYPE(k) == FT_NUMBER;
        if (ok) v[i] = iodata.FVALUE(k);
    }
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
