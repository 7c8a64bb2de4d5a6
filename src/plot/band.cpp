// Element search and band geometry.
#include "plot/band.hpp"

#include <algorithm>
#include <cmath>

#include "control/messages.hpp"
#include "graphics/draw.hpp"
#include "hpmesh/tree.hpp"
#include "records/mesh.hpp"
#include "records/plot.hpp"
#include "support/format.hpp"

namespace kavren {

//// search1 ////

namespace {

constexpr int kSearchStack = 1000;
constexpr int kSearchLevels = 20;

int search_failed(int code, std::initializer_list<const char*> lines) {
    for (const char* l : lines) write_terminal(fmt::list({l}));
    runtime_pause();
    return code;
}

}  // namespace

int search1(int nel, int iside, int iflag, int npts, int& nmax, int kmax, int* list, int* nplist,
            double* xieta) {
    const int capacity = nmax;
    nmax = 0;
    if (nel < 1 || nel > cdata.NRELIN)
        return search_failed(SEARCH_BAD_INPUT, {"WRONG ELEMENT NUMBER ON INPUT TO SEARCH1"});
    if (iside < 1 || iside > 4)
        return search_failed(SEARCH_BAD_INPUT, {"WRONG SIDE NUMBER ON INPUT TO SEARCH1"});
    if (iflag != 1 && iflag != 2)
        return search_failed(SEARCH_BAD_INPUT, {"WRONG FLAG NUMBER ON INPUT TO SEARCH1"});
    if (npts <= 1) return search_failed(SEARCH_BAD_INPUT, {"WRONG INPUT TO SEARCH1"});

    int npl[kSearchLevels + 1];
    npl[1] = npts;
    for (int k = 2; k <= kSearchLevels; ++k) npl[k] = std::max((npl[k - 1] - 1) / 2 + 1, 2);

    int stack[kSearchStack + 1];
    int top = 0, j = 0, k = 0;
    stack[++top] = nel;
    const bool along_xi = iside == 1 || iside == 3;
    int code = SEARCH_DONE;
    while (top > 0) {
        const int e = stack[top];
        int f = 0;
        findfs(e, f);
        if (f != 0) {
            if (top > kSearchStack - 1) {
                code = search_failed(SEARCH_STACK_FULL,
                                     {"TOO SHORT LOCAL LIST OF ELEMENTS IN SEARCH1"});
                break;
            }
            const int dir = ctree.TREE(4, family_of(f));
            // Direction 1 parts eta: son f along side 1, son f+1 along side 3;
            // direction 2 parts xi: son f along side 4, son f+1 along side 2.
            // Where both lie along the side, son f holds the lower t.
            const bool both = (dir == 1 && !along_xi) || (dir == 2 && along_xi);
            if (!both) {
                int son = f;
                if ((dir == 1 && iside == 3) || (dir == 2 && iside == 2)) son = f + 1;
                stack[top] = son;
            } else {
                // The son met first goes on top.
                stack[top] = iflag == 1 ? f + 1 : f;
                stack[++top] = iflag == 1 ? f : f + 1;
            }
            continue;
        }
        ++j;
        if (j > capacity) {
            --j;
            code =
                search_failed(SEARCH_LIST_FULL, {"TOO SHORT LIST OF OUTPUT ELEMENTS IN SEARCH1"});
            break;
        }
        list[j - 1] = e;
        int levx = 0, levy = 0, org = 0;
        findlvxy(e, levx, levy, org);
        const int lev = along_xi ? levx : levy;
        if (lev > kSearchLevels - 1) {
            --j;
            code =
                search_failed(SEARCH_TOO_DEEP, {"ARE YOU NOT EXEGGARATING WITH THOSE REFINEMENTS?",
                                                "LOCAL LIST IN SEARCH1 MUST BE INCREASED"});
            break;
        }
        const int n = npl[lev + 1];
        nplist[j - 1] = n;
        const double h = static_cast<double>(2.0f / static_cast<float>(n - 1));
        for (int l = 1; l <= n; ++l) {
            double t = (l - 1) * h - 1.0;
            if (iflag == 2) t = -t;
            if (++k > kmax) {
                code = search_failed(SEARCH_POINTS_FULL, {"WRONG INPUT IN SEARCH1"});
                break;
            }
            double& xi = xieta[2 * (k - 1)];
            double& eta = xieta[2 * (k - 1) + 1];
            switch (iside) {
                case 1:
                    xi = t, eta = -1.0;
                    break;
                case 2:
                    xi = 1.0, eta = t;
                    break;
                case 3:
                    xi = t, eta = 1.0;
                    break;
                default:
                    xi = -1.0, eta = t;
                    break;
            }
        }
        if (code != SEARCH_DONE) break;
        --top;
    }
    nmax = j;
    return code;
}

//// quadr1 ////

void quadr1(const double* x, const double* y, double* f, double flo, double fhi, int& np,
            double* pxy, int& nseg, double* seg) {
    nseg = 0;
    np = 0;
    if (std::all_of(f, f + 4, [&](double v) { return v < flo; }) ||
        std::all_of(f, f + 4, [&](double v) { return v > fhi; }))
        return;
    const double lift = 0.0010000000474974513 * (fhi - flo);
    for (int i = 0; i < 4; ++i)
        if (f[i] == flo || f[i] == fhi) f[i] += lift;

    int nopen = 0, nclose = 0, open_base = 0;
    auto append = [&](double px, double py) {
        pxy[2 * np] = px;
        pxy[2 * np + 1] = py;
        ++np;
    };
    auto cross = [&](int i, int j, double c, double& cx, double& cy) {
        const double s = (c - f[i]) / (f[j] - f[i]);
        cx = x[i] + s * (x[j] - x[i]);
        cy = y[i] + s * (y[j] - y[i]);
        append(cx, cy);
    };
    auto open_piece = [&](double cx, double cy) {
        const int slot = open_base + nopen++;
        seg[4 * slot] = cx;
        seg[4 * slot + 1] = cy;
    };
    auto close_piece = [&](double cx, double cy) {
        // A piece that closes at the polygon's first point opened at its end.
        if (np == 1 && nclose == 0 && nopen == 0) open_base = 1;
        seg[4 * nclose + 2] = cx;
        seg[4 * nclose + 3] = cy;
        ++nclose;
    };
    bool inside = flo <= f[0] && f[0] < fhi;
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        double cx = 0.0, cy = 0.0;
        if (inside) {
            append(x[i], y[i]);
            if (f[j] >= fhi) {
                cross(i, j, fhi, cx, cy);
                inside = false;
            } else if (f[j] < flo) {
                cross(i, j, flo, cx, cy);
                inside = false;
                open_piece(cx, cy);
            }
        } else if (f[i] >= fhi) {
            if (f[j] >= fhi) continue;
            cross(i, j, fhi, cx, cy);
            if (f[j] < flo) {
                cross(i, j, flo, cx, cy);
                open_piece(cx, cy);
            } else {
                inside = true;
            }
        } else {
            if (f[j] < flo) continue;
            cross(i, j, flo, cx, cy);
            close_piece(cx, cy);
            if (f[j] >= fhi)
                cross(i, j, fhi, cx, cy);
            else
                inside = true;
        }
    }
    if (open_base + nopen > nclose && nopen > 0) {
        const int last = open_base + nopen - 1;
        seg[0] = seg[4 * last];
        seg[1] = seg[4 * last + 1];
    }
    nseg = nclose;
}

//// quaint, inwind, view, arrow ////

void quaint(int iside, const NodePoints& xnodl, int& npt, int& nlin, double sign, double* pts,
            double* lin) {
    static constexpr int kEnds[4][3] = {{1, 2, 5}, {2, 3, 6}, {3, 4, 7}, {4, 1, 8}};
    const int a = kEnds[iside - 1][0], b = kEnds[iside - 1][1], m = kEnds[iside - 1][2];
    bool straight = false;
    if (cgraph.ISTRT == 1) {
        const double c = (xnodl(2, b) - xnodl(2, a)) * (xnodl(1, a) - xnodl(1, m)) -
                         (xnodl(1, b) - xnodl(1, a)) * (xnodl(2, a) - xnodl(2, m));
        straight = std::abs(c) < 0.0001;
    }
    const int count = straight ? 2 : 9;
    const double step = straight ? 2.0 : 0.25;
    for (int i = 1; i <= count; ++i) {
        const double t = sign * ((i - 1) * step - 1.0);
        double xi = 0.0, eta = 0.0;
        switch (iside) {
            case 1:
                xi = t, eta = -1.0;
                break;
            case 2:
                xi = 1.0, eta = t;
                break;
            case 3:
                xi = -t, eta = 1.0;
                break;
            default:
                xi = -1.0, eta = -t;
                break;
        }
        double px = 0.0, py = 0.0;
        cordin(xnodl, xi, eta, px, py);
        ++npt;
        pts[2 * (npt - 1)] = px;
        pts[2 * (npt - 1) + 1] = py;
        if (sign == 1.0 && npt != 1) {
            lin[2 * (nlin - 1)] = px;
            lin[2 * (nlin - 1) + 1] = py;
            ++nlin;
        }
    }
}

bool inwind(double xmin, double xmax, double ymin, double ymax, const NodePoints& xy) {
    double bx0 = xy(1, 1), bx1 = xy(1, 1), by0 = xy(2, 1), by1 = xy(2, 1);
    for (int k = 1; k <= 9; ++k) {
        const double x = xy(1, k), y = xy(2, k);
        if (xmin < x && x < xmax && ymin < y && y < ymax) return true;
        bx0 = std::min(bx0, x);
        bx1 = std::max(bx1, x);
        by0 = std::min(by0, y);
        by1 = std::max(by1, y);
    }
    return bx0 < xmax && bx1 > xmin && by0 < ymax && by1 > ymin;
}

void view(int isign, int n, const double* x, const double* y, const double* z, const double* xs,
          const double* ys, double vx, double vy, double vz) {
    static constexpr int kFace[6][5] = {{1, 2, 6, 5, 1}, {2, 3, 7, 6, 2}, {1, 5, 8, 4, 1},
                                        {4, 8, 7, 3, 4}, {4, 3, 2, 1, 4}, {5, 6, 7, 8, 5}};
    const int* c = kFace[n - 1];
    const int a = c[0] - 1, b = c[1] - 1, d = c[2] - 1;
    const double ux = x[b] - x[a], uy = y[b] - y[a], uz = z[b] - z[a];
    const double wx = x[d] - x[b], wy = y[d] - y[b], wz = z[d] - z[b];
    const double nx = uy * wz - uz * wy, ny = uz * wx - ux * wz, nz = ux * wy - uy * wx;
    if (isign * (nx * vx + ny * vy + nz * vz) <= 0.0) return;
    // The edges are drawn in the line colour of the picture, cell 0.
    for (int i = 0; i < 4; ++i) {
        int icol = 0;
        mline(xs[c[i] - 1], ys[c[i] - 1], xs[c[i + 1] - 1], ys[c[i + 1] - 1], icol);
    }
}

void arrow(double x1, double y1, double x2, double y2, int icol) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double ax = x1 - dy / 2.0, ay = y1 + dx / 2.0;
    const double bx = x1 + dy / 2.0, by = y1 - dx / 2.0;
    constexpr double kHead = 0.10000000149011612;
    int c = icol;
    mline(x2 - kHead * (x2 - ax), y2 - kHead * (y2 - ay), x2, y2, c);
    c = icol;
    mline(x2 - kHead * (x2 - bx), y2 - kHead * (y2 - by), x2, y2, c);
    c = icol;
    mline(x1, y1, x2, y2, c);
}

}  // namespace kavren
