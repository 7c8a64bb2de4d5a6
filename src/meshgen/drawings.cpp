// The generator's drawings: its elements filled by kind (4-node in colour 1,
// 9-node in colour 2) with node marks, numbers or grid labels and the marks of
// the boundary lines; and its node grid with grid labels. Both read only the
// generator's tables and draw through the m-calls and the plot toolkit.
#include "meshgen/drawings.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "control/reader.hpp"
#include "graphics/draw.hpp"
#include "graphics/screen.hpp"
#include "graphics/zoom.hpp"
#include "meshgen/tables.hpp"
#include "plot/band.hpp"
#include "plot/sample.hpp"
#include "plot/scales.hpp"
#include "records/control.hpp"
#include "records/geometry.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "records/window.hpp"
#include "support/format.hpp"

namespace kavren {

namespace {

constexpr int MESH_MARK = 15;  // mark size of the mesh drawing, pixels
constexpr int GRID_MARK = 10;  // mark size of the node grid

// The field after word, 0 when the record does not hold it.
int option(std::string_view word) {
    int nocc = 0, ipos = 0;
    findop(word, nocc, ipos);
    return nocc > 0 ? std::max(ipos, 1) : 0;
}

bool valid_node(int n) {
    return n >= 1 && n <= ccon.NNODG;
}

// The first slot that carries a node, and its region index.
struct FirstSlot {
    int slot = 0;
    int region = 0;
};

// The first slot of each node 1..NNODG, found as fnref finds it: regions in
// order, each list from its head.
std::vector<FirstSlot> first_slots() {
    std::vector<FirstSlot> first(static_cast<std::size_t>(ccon.NNODG) + 1);
    for (int r = 1; r <= MAXREG; ++r)
        for (int s = cnodet.IHEAD(r), k = 0; s != 0 && k < MAXGNOD; s = cnodet.NEXTG(s), ++k) {
            const int n = cnodet.NODG(s);
            if (valid_node(n) && first[static_cast<std::size_t>(n)].slot == 0)
                first[static_cast<std::size_t>(n)] = {s, r};
        }
    return first;
}

// Grid labels at every node whose first slot has an odd I or J: (I, J) in
// mode 1, the region index in mode 2.
void grid_labels(int mode) {
    if (mode != 1 && mode != 2) return;
    mfont(1);
    mtcolor(0, 1);
    const std::vector<FirstSlot> first = first_slots();
    for (int n = 1; n <= ccon.NNODG; ++n) {
        const FirstSlot f = first[static_cast<std::size_t>(n)];
        if (f.slot == 0) continue;
        const std::string label = grid_label(cnodet.IG(f.slot), cnodet.JG(f.slot));
        if (label.empty()) continue;
        mmovet(cnodet.XGEN(n), cnodet.YGEN(n));
        if (mode == 1)
            mtext(label, static_cast<int>(label.size()));
        else
            mnum(f.region);
    }
}

// The window: the zoom window while one is in force, else the bounding box
// of the nodes each element's number lists up to its first 0 (all nodes
// when no list is given); then the plot extents about it.
struct Window {
    double xmin = 1e10, ymin = 1e10, xmax = -1e10, ymax = -1e10;
    void take(int n) {
        xmin = std::min(xmin, cnodet.XGEN(n));
        xmax = std::max(xmax, cnodet.XGEN(n));
        ymin = std::min(ymin, cnodet.YGEN(n));
        ymax = std::max(ymax, cnodet.YGEN(n));
    }
};

// ZOOM after a first drawing and RESET, from the current record.
void zoom_options(GenDrawKept& k) {
    if (k.IDRAWN != 100) k.IZOOM = 0;
    if (option("ZOOM") != 0 && k.IDRAWN == 100) {
        // A window that getzoom refuses leaves the one in force.
        int iflag = 0;
        double x1 = k.XMIN, y1 = k.YMIN, x2 = k.XMAX, y2 = k.YMAX;
        getzoom(x1, y1, x2, y2, iflag);
        if (iflag == 1) {
            k.XMIN = x1, k.YMIN = y1, k.XMAX = x2, k.YMAX = y2;
            k.IZOOM = 1;
        }
    }
    if (option("RESET") != 0) k.IZOOM = 0;
}

// The plot extents from the window in force; the drawing has drawn.
void set_extents(GenDrawKept& k, const Window& box) {
    if (k.IZOOM == 0) {
        k.XMIN = box.xmin, k.YMIN = box.ymin, k.XMAX = box.xmax, k.YMAX = box.ymax;
    }
    drawing_extent(k.XMIN, k.XMAX, cxmin.XMIN, cxmin.XMAX);
    drawing_extent(k.YMIN, k.YMAX, cxmin.YMIN, cxmin.YMAX);
    k.IDRAWN = 100;
}

int mark_colour() {
    return machine.ICOLOR == 1 ? 8 : 0;
}

//// the element mesh ////

// The 9 node points of generated element e, (0, 0) for an absent node.
void element_points(int e, NodePoints& p) {
    for (int l = 1; l <= 9; ++l) {
        const int n = celem.NICK(l, e);
        p(1, l) = valid_node(n) ? cnodet.XGEN(n) : 0.0;
        p(2, l) = valid_node(n) ? cnodet.YGEN(n) : 0.0;
    }
}

// The filled element and its outline: corners for a 4-node element, the
// side points through the 9-node map for a 9-node one.
void draw_element(const NodePoints& p, const Arr1<int, 9>& nord) {
    const bool four = nord(5) == 0;
    double out[2 * 34], side[2 * 10];
    out[0] = p(1, 1);
    out[1] = p(2, 1);
    int nout = 2;  // next free point of the outline
    for (int r = 1; r <= 4; ++r) {
        if (four) {
            const int next = r % 4 + 1;
            out[2 * (nout - 1)] = p(1, next);
            out[2 * (nout - 1) + 1] = p(2, next);
            ++nout;
        } else {
            int npt = 0;
            quaint(r, p, npt, nout, 1.0, side, out);
        }
    }
    const int n = nout - 1;  // the closed outline, back at corner 1
    mfill(n - 1, out, four ? 1 : 2);
    int icol = 0;
    mpline(n, out, icol);
}

// Element numbers, or node numbers at the marked nodes, of the elements drawn.
void element_numbers(const std::vector<int>& drawn, bool nodes, bool elements) {
    mfont(1);
    mtcolor(0, 1);
    for (int e : drawn) {
        NodePoints p;
        element_points(e, p);
        Arr1<int, 9> nord;
        decodn(p, nord);
        if (elements) {
            if (nord(5) == 0)
                mmovet((p(1, 1) + p(1, 3)) / 2.0, (p(2, 1) + p(2, 3)) / 2.0);
            else
                mmovet(p(1, 9), p(2, 9));
            mnum(e);
        }
        if (nodes)
            for (int l = 1; l <= 9; ++l)
                if (nord(l) > 0 && valid_node(celem.NICK(l, e))) {
                    mmovet(p(1, l), p(2, l));
                    mnum(celem.NICK(l, e));
                }
    }
}

// A mark in colour 0 at every node of every boundary line; a position of the
// line that holds no node gets none.
void boundary_marks() {
    for (int l = 1; l <= cbcons.NBLIN; ++l) {
        const bool i_constant = cbcons.IMINB(l) == cbcons.IMAXB(l);
        const int lo = i_constant ? cbcons.JMINB(l) : cbcons.IMINB(l);
        const int hi = i_constant ? cbcons.JMAXB(l) : cbcons.IMAXB(l);
        for (int t = lo; t <= hi; ++t) {
            int node = 0;
            fref(i_constant ? cbcons.IMINB(l) : t, i_constant ? t : cbcons.JMINB(l),
                 cbcons.IREGB(l), node, 1);
            if (valid_node(node)) mmark(cnodet.XGEN(node), cnodet.YGEN(node), MESH_MARK, 0);
        }
    }
}

void mesh_drawing(int mode) {
    GenDrawKept& k = cgendr.MESH;
    const bool nodes = option("NODE") != 0, elements = option("ELEMENT") != 0;
    int label = mode;
    if (option("IJ") != 0) label = 1;
    if (option("REGION") != 0) label = 2;
    csetf.ISCUR = 1;
    if (const int ipos = option("ELSET"); ipos != 0) {
        int m = LOOKUP_SELECT;
        fset(ipos, m);
    }
    zoom_options(k);

    std::vector<int> drawn;
    Window box;
    for (int e = 1; e <= ccon.NELG; ++e) {
        if (csetf.ISCUR != 1 && !set_holds(csetf.ISCUR, e)) continue;
        drawn.push_back(e);
        for (int l = 1; l <= 9 && celem.NICK(l, e) != 0; ++l)
            if (valid_node(celem.NICK(l, e))) box.take(celem.NICK(l, e));
    }
    if (drawn.empty()) {
        nothing_to_draw();
        return;
    }
    set_extents(k, box);

    cscale.LAYOUT = 0;
    start1();
    colormap(1);
    claser.NGRAY = 8;
    ctitle.CTITLE = Line80("MESH");
    mdrtit();
    gdrsca();
    clipon();
    for (int e : drawn) {
        NodePoints p;
        element_points(e, p);
        Arr1<int, 9> nord;
        decodn(p, nord);
        draw_element(p, nord);
    }
    for (int e : drawn) {
        NodePoints p;
        element_points(e, p);
        Arr1<int, 9> nord;
        decodn(p, nord);
        for (int l = 1; l <= 9; ++l)
            if (nord(l) > 0) mmark(p(1, l), p(2, l), MESH_MARK, mark_colour());
    }
    if (nodes || elements)
        element_numbers(drawn, nodes, elements);
    else
        grid_labels(label);
    boundary_marks();
    clipoff();
    mesh_legend_lines();
    legend();
    endpl();
}

}  // namespace

//// what the drawings share ////

std::string grid_label(int i, int j) {
    if (i % 2 == 0 && j % 2 == 0) return "";
    const int wi = i >= 100 ? 3 : 2;
    const int wj = j >= 100 ? 3 : (j >= 10 ? 2 : 1);
    return fmt::line("(I" + std::to_string(wi) + ",A1,I" + std::to_string(wj) + ")", {i, ",", j});
}

void drawing_extent(double lo, double hi, double& fmin, double& fmax) {
    constexpr double kFrame = 1.149999976158142;
    if (hi == lo) {
        widen_frame(lo, hi, fmin, fmax);
        return;
    }
    const double c = (lo + hi) / 2.0, h = (hi - lo) / 2.0;
    fmin = c - kFrame * h;
    fmax = c + kFrame * h;
}

void mesh_legend_lines() {
    set_legend_line();
    const int b = cbcons2.LASTBC;
    if (b < 1 || b > MAX_BOUNDARY) return;
    if (cbcons1.BNAME(b).blank())
        flegen("BOUNDARY=", b);
    else
        flegen("BOUNDARY=" + cbcons1.BNAME(b).trimmed(), NO_LEGEND_VALUE);
}

//// entries ////

void graphm(int mode) {
    // Redraws follow what is typed; a deck, an include file or a replay
    // draws nothing.
    if (mode != 0 && cinout.LUIN != cinout.LUKBD) return;
    if (mode != 0) {
        mesh_drawing(mode);
        return;
    }
    iodati.INDENT += 3;
    int ierr = 0;
    ffldin(cinout.LUIN, cinout.LUOUT, 61, ierr);
    // The end of input brings an empty record: nothing was asked for.
    if (ierr != 1) mesh_drawing(0);
    iodati.INDENT -= 3;
}

void graphn(int mode) {
    GenDrawKept& k = cgendr.NODES;
    if (k.IDRAWN != 100) k.LABEL = mode;
    if (option("IJ") != 0) k.LABEL = 1;
    if (option("REGION") != 0) k.LABEL = 2;
    zoom_options(k);
    if (ccon.NNODG < 1) {
        nothing_to_draw();
        return;
    }
    Window box;
    for (int n = 1; n <= ccon.NNODG; ++n) box.take(n);
    set_extents(k, box);

    cscale.LAYOUT = 0;
    start1();
    colormap(1);
    ctitle.CTITLE = Line80("NODES");
    mdrtit();
    clipon();
    for (int n = 1; n <= ccon.NNODG; ++n)
        mmark(cnodet.XGEN(n), cnodet.YGEN(n), GRID_MARK, mark_colour());
    grid_labels(k.LABEL);
    clipoff();
    endpl();
}

}  // namespace kavren
