// What the EXECUTE driver's plots share in reading their records and placing
// their elements.
#include "plot/options.hpp"

#include <algorithm>
#include <cmath>

#include "control/messages.hpp"
#include "control/reader.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

int option_field(std::string_view word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0 ? std::max(ipos, 1) : 0;
}

bool number_field(int k, double& v) {
    if (k < 1 || k > iodati.NFIELD || iodati.ITYPE(k) != FT_NUMBER) return false;
    v = iodata.FVALUE(k);
    return true;
}

int default_division() {
    return cdata.NRELEM <= 20 ? 3 : (cdata.NRELEM <= 50 ? 2 : 1);
}

void read_division(int& nsubel, int most, int fallback) {
    double v = 0.0;
    if (!number_field(option_field("DIVISION"), v)) return;
    const int n = ifix(v);
    nsubel = n >= 0 && n <= most ? n : fallback;
}

void read_zoo(ZooBox& z) {
    const int ipos = option_field("ZOO");
    if (ipos == 0) return;
    z.on = true;
    number_field(ipos, z.x1);
    number_field(ipos + 1, z.x2);
    number_field(ipos + 2, z.y1);
    number_field(ipos + 3, z.y2);
    write_terminal(fmt::list({"ZOOMING WITH: ", z.x1, z.x2, z.y1, z.y2}));
}

bool zoo_keeps(const ZooBox& z, const NodePoints& p, double e) {
    if (!z.on) return true;
    return p(1, 1) >= z.x1 - e && p(1, 2) <= z.x2 + e && p(2, 1) >= z.y1 - e && p(2, 3) <= z.y2 + e;
}

void stretch_across(double tg, double fact, double& x, double& y) {
    const double c = 1.0 / std::sqrt(1.0 + tg * tg), s = tg * c;
    const double a = x * c + y * s, b = fact * (y * c - x * s);
    x = a * c - b * s;
    y = b * c + a * s;
}

void art_points(int n, NodePoints& p) {
    static constexpr int kI[4] = {1, 2, 2, 1}, kJ[4] = {1, 1, 2, 2};
    for (int k = 1; k <= 4; ++k)
        for (int d = 1; d <= 2; ++d) p(d, k) = cartco.elxy(d, kI[k - 1], kJ[k - 1], n);
    for (int d = 1; d <= 2; ++d) {
        for (int k = 5; k <= 8; ++k) p(d, k) = (p(d, k - 4) + p(d, k % 4 + 1)) / 2.0;
        p(d, 9) = (p(d, 1) + p(d, 2) + p(d, 3) + p(d, 4)) / 4.0;
    }
}

}  // namespace kavren
