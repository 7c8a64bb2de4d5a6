// The complete solution: storage plan, forward elimination element by element,
// and the hand-over to the back substitution.
//
// The front is kept in "slots": each unknown of the front owns one row and
// column of the front area for as long as it stays in the front, and a table
// maps front positions (as the prefront numbered them) to slots. An
// elimination then frees its slot instead of moving the rest of the front down
// over the gap, and its rank-one update touches only the columns whose
// coupling with the pivot is non-zero. Everything the other routines see is in
// positions: the destination codes, the eliminated equations in the buffer,
// the front right-hand sides, the prints.
#include <algorithm>
#include <cmath>
#include <vector>

#include "frontal/frontal.hpp"
#include "frontal/frontal_internal.hpp"
#include "frontal/kernels.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "records/limits.hpp"

namespace kavren {

using namespace frontal;

namespace {

// A column with fewer non-zero factors than 1/SPARSE_RATIO of its length is
// updated through the list of non-zeros, otherwise along its whole length.
constexpr int SPARSE_RATIO = 4;
// Pivots of one chunk of symmetric eliminations.
constexpr int CHUNK = 32;

struct SlotFront {
    bool sym = true;
    double* f = nullptr;  // the front matrix area
    long ld = 0;          // leading dimension of the unsymmetric front (MFW)
    int mfw = 0;
    std::vector<int> p2s;         // p2s[position] = slot, positions and slots from 1
    std::vector<char> used;       // used[slot]
    int smax = 0;                 // highest slot in use
    std::vector<double> u, y;     // slot-indexed factors of one elimination, zero elsewhere
    std::vector<int> z;           // slots with a non-zero factor
    std::vector<int> cslot;       // unsymmetric: equations to update (slots)
    std::vector<double> cx;       // and their multipliers
    std::vector<double> xcol;     // unsymmetric: multipliers of the other equations, by position
    std::vector<int> gone;        // slots eliminated by the current element
    std::vector<double> scratch;  // the front laid out by positions (prints, IASSEM 0)
    // Symmetric eliminations of one element go in chunks: each pivot's
    // column is brought up to date with the chunk's earlier pivots when it is
    // eliminated, and the rest of the front gets the whole chunk at once,
    // every entry the chunk's updates in pivot order.
    int chunk_limit = 1;         // pivots of a chunk
    int kb = 0;                  // pivots in the current chunk
    long width = 0;              // words of a chunk row (mfw + 2)
    std::vector<double> cu, cy;  // chunk rows: factors u and couplings y of each pivot, by slot
    std::vector<char> inz;       // slot in the union of the chunk's non-zero couplings
    std::vector<int> zu;         // that union
    std::vector<const double*> urow;
    std::vector<double> yval;
    double madds = 0;

    // Entry (a, b) of the front by slots; symmetric: a <= b.
    double* col(int b) const {
        return sym ? f + static_cast<long>(b) * (b - 1) / 2 - 1 : f + (b - 1) * ld - 1;
    }
    double& at(int a, int b) const {
        if (sym && a > b) std::swap(a, b);
        return col(b)[a];
    }

    void start(bool symmetric, double* area, int mfw_) {
        sym = symmetric;
        f = area;
        mfw = mfw_;
        ld = mfw_;
        p2s.assign(static_cast<std::size_t>(mfw + 2), 0);
        used.assign(static_cast<std::size_t>(mfw + 2), 0);
        u.assign(static_cast<std::size_t>(mfw + 2), 0.0);
        y.assign(static_cast<std::size_t>(mfw + 2), 0.0);
        z.clear();
        z.reserve(static_cast<std::size_t>(mfw + 1));
        cslot.clear();
        cslot.reserve(static_cast<std::size_t>(mfw + 1));
        cx.clear();
        cx.reserve(static_cast<std::size_t>(mfw + 1));
        xcol.assign(static_cast<std::size_t>(mfw + 2), 0.0);
        width = mfw + 2;
        cu.assign(static_cast<std::size_t>(CHUNK * width), 0.0);
        cy.assign(static_cast<std::size_t>(CHUNK * width), 0.0);
        inz.assign(static_cast<std::size_t>(mfw + 2), 0);
        zu.clear();
        kb = 0;
        smax = 0;
        madds = 0;
    }

    // zeros / zerou: slots for the positions lfw+1..nfw that the element adds,
    // their rows and columns cleared.
    void grow(int lfw, int nfw) {
        int next = 1;
        for (int p = lfw + 1; p <= nfw; ++p) {
            while (used[static_cast<std::size_t>(next)]) ++next;
            used[static_cast<std::size_t>(next)] = 1;
            p2s[static_cast<std::size_t>(p)] = next;
            if (next > smax) smax = next;
        }
        for (int p = lfw + 1; p <= nfw; ++p) {
            const int s = p2s[static_cast<std::size_t>(p)];
            if (sym) {
                std::fill(col(s) + 1, col(s) + s + 1, 0.0);
                for (int b = s + 1; b <= smax; ++b) col(b)[s] = 0.0;
            } else {
                std::fill(col(s) + 1, col(s) + smax + 1, 0.0);
                for (int b = 1; b <= smax; ++b) col(b)[s] = 0.0;
            }
        }
    }

    // The position id leaves the front; its slot is free again.
    void remove(int id, int n) {
        const int s = p2s[static_cast<std::size_t>(id)];
        std::copy(p2s.begin() + id + 1, p2s.begin() + n + 1, p2s.begin() + id);
        used[static_cast<std::size_t>(s)] = 0;
        while (smax > 0 && !used[static_cast<std::size_t>(smax)]) --smax;
    }

    int slot(double position) const {
        return p2s[static_cast<std::size_t>(static_cast<int>(position))];
    }

    // symasm: adds the packed lower triangle elk (rows of the element) into the front.
    void symasm(const double* ddest, const double* elk, int ndofm) {
        for (int r = 1; r <= ndofm; ++r) {
            const int sr = slot(ddest[r - 1]);
            const double* row = elk + static_cast<long>(r) * (r - 1) / 2 - 1;
            for (int c = 1; c <= r; ++c) at(sr, slot(ddest[c - 1])) += row[c];
        }
    }

    // unsasm: adds the full element matrix, row r the equation of unknown r.
    void unsasm(const double* ddest, const double* elk, int ndofm) {
        for (int r = 1; r <= ndofm; ++r) {
            double* eq = col(slot(ddest[r - 1]));
            const double* row = elk + static_cast<long>(r - 1) * ndofm - 1;
            for (int c = 1; c <= ndofm; ++c) eq[slot(ddest[c - 1])] += row[c];
        }
    }

    // Puts the slots of z in increasing order: by a scan of the slots when
    // most of them are in z (v non-zero exactly on z), else by sorting.
    void order(const std::vector<double>& v) {
        if (8 * z.size() < static_cast<std::size_t>(smax)) {
            std::sort(z.begin(), z.end());
            return;
        }
        z.clear();
        for (int a = 1; a <= smax; ++a)
            if (v[static_cast<std::size_t>(a)] != 0.0) z.push_back(a);
    }

    // symelm: eliminates position id of a front of width n; rec(1..n) gets
    // the equation divided by the pivot, the pivot itself at id. Returns
    // false on a zero pivot.
    bool symelm(int id, int n, double* rec, double& pivot) {
        const int s = p2s[static_cast<std::size_t>(id)];
        pivot = at(s, s);
        if (!(std::fabs(pivot) > ZERO_PIVOT)) return false;
        const double* cs = col(s);
        // The couplings into y (by slot) and the record (by position), then
        // the record divided by the pivot in one pass.
        z.clear();
        for (int a = 1; a <= n; ++a) {
            const int sa = p2s[static_cast<std::size_t>(a)];
            const double yv = a == id ? 0.0 : sa < s ? cs[sa] : col(sa)[s];
            rec[a - 1] = yv;
            if (yv != 0.0) {
                y[static_cast<std::size_t>(sa)] = yv;
                z.push_back(sa);
            }
        }
        divide(rec, pivot, n);
        rec[id - 1] = pivot;
        for (int sa : z) u[static_cast<std::size_t>(sa)] = y[static_cast<std::size_t>(sa)] / pivot;
        order(y);
        const double c = static_cast<double>(z.size());
        madds += c * (c + 1) / 2;
        sym_rank1(f, z.data(), static_cast<int>(z.size()), u.data(), y.data(), SPARSE_RATIO);
        for (int sa : z) u[static_cast<std::size_t>(sa)] = y[static_cast<std::size_t>(sa)] = 0.0;
        gone.push_back(s);
        return true;
    }

    // The symmetric elimination of position id within a chunk: its column
    // brought up to date, the pivot tested, the record written (the equation
    // divided by the pivot, the pivot itself at id), its factors kept for the
    // chunk's update. False on a zero pivot.
    bool sym_pivot(int id, int n, double* rec, double& pivot) {
        const int s = p2s[static_cast<std::size_t>(id)];
        double* ym = cy.data() + kb * width;
        double* um = cu.data() + kb * width;
        const double* cs = col(s);
        pivot = cs[s];
        for (int a = 1; a < s; ++a) ym[a] = cs[a];
        for (int a = s + 1; a <= smax; ++a) ym[a] = col(a)[s];
        for (int j = 0; j < kb; ++j) {
            const double* uj = cu.data() + j * width;
            const double* yj = cy.data() + j * width;
            if (yj[s] != 0.0) {
                axpy_down(ym, uj, yj[s], s - 1);
                pivot -= uj[s] * yj[s];
            }
            if (uj[s] != 0.0) axpy_down(ym + s, yj + s, uj[s], smax - s);
        }
        ym[s] = 0.0;
        double c = 0;
        for (int a = 1; a <= smax; ++a) {
            if (!used[static_cast<std::size_t>(a)]) {
                ym[a] = 0.0;
            } else if (ym[a] != 0.0) {
                c += 1;
                if (!inz[static_cast<std::size_t>(a)]) {
                    inz[static_cast<std::size_t>(a)] = 1;
                    zu.push_back(a);
                }
            }
        }
        madds += c * (c + 1) / 2;
        if (!(std::fabs(pivot) > ZERO_PIVOT)) return false;
        for (int a = 1; a <= n; ++a) rec[a - 1] = ym[p2s[static_cast<std::size_t>(a)]];
        divide(rec, pivot, n);
        rec[id - 1] = pivot;
        std::copy(ym + 1, ym + smax + 1, um + 1);
        divide(um + 1, pivot, smax);
        ++kb;
        gone.push_back(s);
        return true;
    }

    // The chunk's update of the rest of the front: every column coupled with
    // a pivot gets, entry by entry, the pivots' terms in pivot order.
    void sym_trailing() {
        if (kb == 0) return;
        std::sort(zu.begin(), zu.end());
        std::size_t live = 0;
        for (int a : zu) {
            inz[static_cast<std::size_t>(a)] = 0;
            if (a <= smax && used[static_cast<std::size_t>(a)]) zu[live++] = a;
        }
        zu.resize(live);
        urow.resize(static_cast<std::size_t>(kb));
        yval.resize(static_cast<std::size_t>(kb));
        for (std::size_t k = 0; k < zu.size(); ++k) {
            const int b = zu[k];
            int nt = 0;
            for (int j = 0; j < kb; ++j) {
                const double yb = cy[static_cast<std::size_t>(j * width + b)];
                if (yb != 0.0) {
                    urow[static_cast<std::size_t>(nt)] = cu.data() + j * width;
                    yval[static_cast<std::size_t>(nt)] = yb;
                    ++nt;
                }
            }
            const int cnt = static_cast<int>(k) + 1;
            if (SPARSE_RATIO * cnt < b) {
                rankk_column(col(b), b, zu.data(), cnt, urow.data(), yval.data(), nt);
            } else {
                rankk_column(col(b), b, nullptr, 0, urow.data(), yval.data(), nt);
            }
        }
        zu.clear();
        kb = 0;
    }

    // unselm: eliminates position id; rec(1..n) gets equation id as it
    // stands, xcol(1..n-1) the multipliers of the other equations by position.
    bool unselm(int id, int n, double* rec, double& pivot, bool keep_multipliers) {
        const int s = p2s[static_cast<std::size_t>(id)];
        double* eqs = col(s);
        pivot = eqs[s];
        if (!(std::fabs(pivot) > ZERO_PIVOT)) return false;
        z.clear();
        for (int a = 1; a <= n; ++a) {
            const int sa = p2s[static_cast<std::size_t>(a)];
            const double v = eqs[sa];
            rec[a - 1] = v;
            if (a != id && v != 0.0) {
                u[static_cast<std::size_t>(sa)] = v;
                z.push_back(sa);
            }
        }
        order(u);
        cslot.clear();
        cx.clear();
        int k = 0;
        for (int b = 1; b <= n; ++b)
            if (b != id)
                xcol[static_cast<std::size_t>(++k)] = col(p2s[static_cast<std::size_t>(b)])[s];
        divide(xcol.data() + 1, pivot, n - 1);
        k = 0;
        for (int b = 1; b <= n; ++b) {
            if (b == id) continue;
            const double x = xcol[static_cast<std::size_t>(++k)];
            if (x != 0.0) {
                cslot.push_back(p2s[static_cast<std::size_t>(b)]);
                cx.push_back(x);
            }
        }
        const bool sparse = SPARSE_RATIO * static_cast<long>(z.size()) < smax;
        madds += static_cast<double>(z.size()) * static_cast<double>(cslot.size());
        uns_rank1(f, ld, cslot.data(), cx.data(), static_cast<int>(cslot.size()), z.data(),
                  static_cast<int>(z.size()), u.data(), smax, sparse);
        for (int sa : z) u[static_cast<std::size_t>(sa)] = 0.0;
        if (keep_multipliers) {
            k = 0;
            for (int b = 1; b <= n; ++b)
                if (b != id)
                    col(p2s[static_cast<std::size_t>(b)])[s] = xcol[static_cast<std::size_t>(++k)];
        }
        gone.push_back(s);
        return true;
    }

    // The front of width n laid out by positions as the prints show it:
    // symmetric, the packed upper triangle by columns; unsymmetric, n
    // equations with leading dimension k whose rows n+1..k hold the
    // multipliers of the current element's eliminations, latest first.
    const std::vector<double>& layout(int n, int k) {
        scratch.clear();
        if (sym) {
            for (int b = 1; b <= n; ++b)
                for (int a = 1; a <= b; ++a)
                    scratch.push_back(
                        at(p2s[static_cast<std::size_t>(a)], p2s[static_cast<std::size_t>(b)]));
            return scratch;
        }
        for (int b = 1; b <= n; ++b) {
            const double* cb = col(p2s[static_cast<std::size_t>(b)]);
            for (int a = 1; a <= n; ++a) scratch.push_back(cb[p2s[static_cast<std::size_t>(a)]]);
            for (int r = n + 1; r <= k; ++r) {
                const std::size_t g = static_cast<std::size_t>(k - r);  // elimination k-r+1
                scratch.push_back(g < gone.size() ? cb[gone[g]] : 0.0);
            }
        }
        return scratch;
    }

    // Puts a front laid out by positions (width n, leading dimension n) back.
    void unlayout(int n, const std::vector<double>& w) {
        std::size_t i = 0;
        for (int b = 1; b <= n; ++b) {
            const int sb = p2s[static_cast<std::size_t>(b)];
            const int top = sym ? b : n;
            for (int a = 1; a <= top; ++a) at(p2s[static_cast<std::size_t>(a)], sb) = w[i++];
        }
    }
};

SlotFront front_;

void print_buffers(const double* ubuf, int from_l, bool end) {
    const int mbuf = surfc2.MBUF;
    fs_words(end ? "(1x,'FRWCP: First 40 items in Buf: ',/, (10x,1p,10e12.5))"
                 : "(1x,'FRWCP: First 40 items in Buf:',/, (10x,1p,10e12.5))",
             ubuf, std::min(40, mbuf));
    if (surfc1.ISYM() == 3)
        fs_words(end ? "(1x,'FRWCP: First 40 items in Buf(il+1):', /,(10x,1p,10e12.5))"
                     : "(1x,'FRWCP: First 40 items in Buf(IL+1):',/, (10x,1p,10e12.5))",
                 ubuf + from_l, std::min(40, mbuf - from_l));
}

// frwcp: the forward pass over all elements.
void frwcp(double* elnfw, double* andest, double* ddest, double* edest, double* elem, double* front,
           double* ubuf) {
    Surfc2& s = surfc2;
    Surfc1& c = surfc1;
    const int isym = c.ISYM();
    const bool sym = isym == 1 || isym == 4;
    const int nrhs = c.NRHS();
    const int mfw = s.MFW;
    const int t = isym == 3 ? 1 : 0;
    s.IFU = 0;
    s.IFL = 0;
    s.NRHSF = nrhs;
    s.IU = 1;
    s.IL = s.MBUF;
    s.NFW = 0;
    s.LFW = 0;
    s.IUDUMP = 0;
    s.LASTU = 0;
    double* fr = front + s.MKF;
    double* U = ubuf - 1;  // U[k] is Ubuf(k)
    SlotFront& F = front_;
    F.start(sym, front, mfw);

    for (int iel = 1; iel <= c.NUMELM(); ++iel) {
        int nelim = 0;
        int mke = s.MKF;
        double* elk = elem;
        double* elr = elem;
        const ElementStart start = start_element(
            "FRWCP", iel, andest, nelim, ddest, edest, fr,
            [&](int lfw, int nfw) {
                s.KFW = nfw;
                F.grow(lfw, nfw);
                F.gone.clear();
            },
            [&](int ndofm) {
                if (c.IASSEM() == 1) {
                    mke = sym ? ndofm * (ndofm + 1) / 2 : ndofm * ndofm;
                    elr = elem + mke;
                    frontal_callbacks.solin2(iel, 2, ndofm, nrhs, ddest, elk, elr);
                } else {
                    elr = elem + mke;
                    std::vector<double> w = F.layout(s.NFW, s.NFW);
                    frontal_callbacks.solin2(iel, 2, ndofm, nrhs, ddest, w.data(), fr);
                    F.unlayout(s.NFW, w);
                }
            });
        if (start == ElementStart::empty) continue;
        if (start == ElementStart::refused) return;
        const int ndofm = s.NDOFM;
        if (on_elem(c.IPFSST(), iel))
            fs_format("(1x,'FRWCP: iel,NRHS,NDOFM,NFW,KFW,LFW,NE,mke,mkf', /,10x,10i8)",
                      {iel, nrhs, ndofm, s.NFW, s.KFW, s.LFW, nelim, mke, s.MKF});
        if (c.IASSEM() == 1) {
            if (on_elem(c.IPFSLH(), iel))
                fs_words("(1x,'FRWCP: Elem: Element LHS',/,(10x,1p,10e12.5))", elk, mke);
            if (on_elem(c.IPFSRH(), iel))
                fs_words("(1x,'FRWCP: Elem: Element RHS',/,(10x,1p,10e12.5))", elr, ndofm * nrhs);
            for (int k = 0; k < ndofm; ++k) ddest[k] = std::fabs(ddest[k]);
            if (ndofm > NTEMP_ASSEMBLY) {
                fs_write(sym ? " THE TEMP ARRAY: ntemp MUST BE INCREASED IN SYMASM"
                             : " THE TEMP ARRAY: ntemp MUST BE INCREASED IN UNSASM");
                c.IERR() = FS_ROOM;
                return;
            }
            if (sym) {
                F.symasm(ddest, elk, ndofm);
            } else {
                F.unsasm(ddest, elk, ndofm);
            }
            if (nrhs > 0) semrhs(ddest, elr, fr, ndofm, mfw, nrhs);
        }
        if (on_elem(c.IPFSLF(), iel)) {
            const auto& w = F.layout(s.NFW, s.NFW);
            fs_words("(1x,'FRWCP: Frnt: Assembled LHS',/, (10x,1p,10e12.5))", w.data(),
                     static_cast<int>(w.size()));
        }
        if (on_elem(c.IPFSRF(), iel))
            fs_words("(1x,'FRWCP: Frnt: Assembled RHS',/, (10x,1p,10e12.5))", fr, mfw * nrhs);

        const bool show_le = on_elem(c.IPFSLE(), iel);
        F.chunk_limit = show_le ? 1 : CHUNK;
        for (int m = 1; m <= nelim; ++m) {
            const int n = s.NFW;
            // Room for the equation (and, ISYM 3, its multipliers); else flush.
            if (s.IU + n + nrhs - 1 >= s.IL + 1 - n * t) {
                const int from_l = s.IL;
                if (!write_buffer("U", s.IFU, U + 1, s.IU - 1)) return;
                s.IUDUMP = 1;
                if (isym == 3 && !write_buffer("L", s.IFL, U + s.IL + 1, s.MBUF - s.IL)) return;
                s.IU = 1;
                s.IL = s.MBUF;
                if (on(c.IPFSZD()))
                    fs_format("(1x,'FRWCP: IFU,IFL,IL,IU,MBUF',5i8)",
                              {s.IFU, s.IFL, s.IL, s.IU, s.MBUF});
                if (on(c.IPFSBF())) print_buffers(ubuf, from_l, false);
            }
            const int r = s.IU;
            const double em = edest[m - 1];
            const int id = sym ? static_cast<int>(std::nearbyint(em)) : static_cast<int>(em);
            double pivot = 0;
            // A pivot alone in its chunk takes the plain rank-one update.
            const bool alone = F.kb == 0 && (F.chunk_limit == 1 || m == nelim);
            const bool ok = !sym    ? F.unselm(id, n, U + r, pivot, show_le)
                            : alone ? F.symelm(id, n, U + r, pivot)
                                    : F.sym_pivot(id, n, U + r, pivot);
            if (on(c.IPFSPV()))
                fs_format("(5x,'IEL,NFW,ID,PIVOT',3i5,1pe11.3)", {iel, n, id, pivot});
            if (!ok) {
                c.IERR() = FS_ZERO_PIVOT;
                fs_format("(/,/,5x,'ERROR IN FRWCP:',' ZERO PIVOT IN ELEMENT:',i4)", {iel});
                return;
            }
            if (pivot < 0) {
                c.NNEGPV() += 1;
            } else {
                c.NPOSPV() += 1;
            }
            F.remove(id, n);
            if (sym && F.kb == F.chunk_limit) F.sym_trailing();
            if (show_le) {
                const auto& w = F.layout(n - 1, sym ? n - 1 : s.KFW);
                fs_words(
                    "(1x,'FRWCP: iel,Andest(ie):',i8,1p,e12.4, /,10x,'Frnt: Eliminated LHS',/, "
                    "(10x,1p,10e12.5))",
                    {iel, em}, w.data(), static_cast<int>(w.size()));
            }
            s.IU += n + nrhs;
            if (nrhs > 0) {
                const double* colw = sym ? U + r : F.xcol.data() + 1;
                elmrhs(id, n, 1, sym, fr, mfw, nrhs, colw, U + r + n);
                if (on_elem(c.IPFSRE(), iel))
                    fs_words(
                        "(1x,'FRWCP:  iel,Andest(ie):',i8,1p,e12.4, /,10x,'Frnt: Eliminated "
                        "RHS',/, (10x,1p,10e12.5))",
                        {iel, em}, fr, mfw * nrhs);
            }
            if (isym == 3) {
                const int nl = std::max(n - 1, 1);
                for (int k = 1; k <= nl; ++k) {
                    U[s.IL] = n == 1 ? pivot : F.xcol[static_cast<std::size_t>(k)];
                    s.IL -= 1;
                }
            }
            s.NFW = n - 1;
        }
        if (sym) F.sym_trailing();
        s.LFW = s.NFW;
        elnfw[iel - 1] = s.NFW;
    }

    // The last buffer: written out unless it can stay in core for the back
    // substitution (no re-solution and nothing flushed).
    if (isym == 3 || isym == 4 || s.IFU > 0) {
        s.IUDUMP = 1;
        if (!write_buffer("U", s.IFU, U + 1, s.IU - 1)) return;
    } else {
        s.IFU += 1;
        s.LASTU = s.IU - 1;
    }
    if (isym == 3 && !write_buffer("L", s.IFL, U + s.IL + 1, s.MBUF - s.IL)) return;
    if (on(c.IPFSBF())) print_buffers(ubuf, s.IL, true);
}

}  // namespace

// complt: the storage plan, the forward pass and the back substitution.
void complt(double* a) {
    Surfc2& s = surfc2;
    Surfc1& c = surfc1;
    double t0 = seconds_now();
    c.NNEGPV() = 0;
    c.NPOSPV() = 0;
    c.IERR() = 0;
    frontal_stats = FrontalStats{};

    const int isym = c.ISYM();
    const bool sym = isym == 1 || isym == 4;
    const long long nrhs = c.NRHS(), mdof = s.MDOF, mfw = s.MFW;
    const long long over = static_cast<long long>(c.NUMELM()) + s.MLDEST + 2 * mdof;
    long long melem, mkf;
    if (sym) {
        melem = mdof * (mdof + 1) / 2 + mdof * nrhs;
        mkf = mfw * (mfw + 1) / 2;
    } else {
        melem = (mdof + nrhs) * mdof;
        mkf = mfw * mfw;
    }
    const long long mfwr = mfw * nrhs + mkf;
    melem *= c.IASSEM();
    const long long mw = melem + mfwr;
    const long long mbuf = c.MA() - mw - over;
    auto narrow = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, -2147483647LL, 2147483647LL));
    };
    s.MELEM = narrow(melem);
    s.MKF = narrow(mkf);
    s.MFWR = narrow(mfwr);
    s.MW = narrow(mw);
    s.MBUF = narrow(mbuf);

    if (on(c.IPFSTM())) {
        fs_lines(
            {"", "",
             sym ? "     SYMMETRIC FORWARD ELIMINATION" : "     UNSYMMETRIC FORWARD ELIMINATION",
             ""});
        if (isym == 1 || isym == 2) fs_lines({"     RESOLUTION INACTIVATED", ""});
        fs_format("(4x,a22,i7)", {"OVER HEAD:", narrow(over)});
        fs_format("(4x,a22,i7)", {"ELEMENT:", s.MELEM});
        fs_format("(4x,a22,i7)", {"FRONT:", s.MFWR});
        fs_format("(4x,a22,i7)", {"BUFFER:", s.MBUF});
        fs_format("(4x,a22,i7)", {"TOTAL STORAGE:", c.MA()});
    }
    // The buffer takes the largest equation; with ISYM 3 also the multipliers
    // of that elimination, which share the buffer from its top.
    const long long need = mfw + nrhs + (isym == 3 ? mfw : 0);
    if (mbuf < need) {
        c.IERR() = FS_BUFFER;
        fs_format(
            "(/,/,5x,'ERROR IN SURFS: NOT ENOUGH ROOM IN BUFFER',/,12x,'MINIMUM SIZE OF WORK ARRAY "
            " = ',i7)",
            {narrow(c.MA() + need - mbuf)});
        return;
    }
    // Area starts (from 1) of the work array.
    const long long ia1 = 1, ial = ia1 + c.NUMELM(), iam = ial + s.MLDEST, ian = iam + mdof,
                    iae = ian + mdof, iaf = iae + melem, iab = iaf + mfwr;
    if (on(c.IPFSST())) {
        fs_format("(1x,'COMPLT: NUMELM,MLDEST,MDOF,NRHS,MELEM,MKF,MFWR', /,10x,8i8)",
                  {c.NUMELM(), s.MLDEST, s.MDOF, c.NRHS(), s.MELEM, s.MKF, s.MFWR});
        fs_format("(1x,'COMPLT: MBUF,MA,MW,ia1,ial,iam,ian,iae,iaf,iab', /,10x,10i8)",
                  {s.MBUF, c.MA(), s.MW, narrow(ia1), narrow(ial), narrow(iam), narrow(ian),
                   narrow(iae), narrow(iaf), narrow(iab)});
    }
    if (isym == 3) {
        s.MBUF3 = s.MBUF;
        s.MW3 = s.MW;
        s.NRHS3 = c.NRHS();
    } else if (isym == 4) {
        s.MBUF4 = s.MBUF;
        s.MW4 = s.MW;
        s.NRHS4 = c.NRHS();
    }
    int ierr = 0, irec = 0, len = s.MBUF;
    zdirio("U", "OPEN", irec, len, nullptr, ierr);
    if (ierr == 0 && isym == 3) zdirio("L", "OPEN", irec, len, nullptr, ierr);
    if (ierr != 0) {
        c.IERR() = file_error(ierr);
        return;
    }

    double* A = a - 1;  // A[k] is A(k)
    frwcp(A + ia1, A + ial, A + iam, A + ian, A + iae, A + iaf, A + iab);
    double t1 = seconds_now();
    frontal_stats.madds = front_.madds;
    frontal_stats.forward_seconds = t1 - t0;
    if (on(c.IPFSTM())) {
        fs_format("(10x,'TIME IN FORWARD ELIMINATION:',f9.3)", {t1 - t0});
        const int dumps = s.IFU * s.IUDUMP + s.IFL;
        if (dumps != 0) fs_format("(10x,'BUFFER DUMPS:',i4)", {dumps});
    }
    if (c.IERR() != 0 || c.NRHS() == 0) return;
    bckwrd(A + ia1, A + ial, A + iam, A + ian, A + iae, A + iaf, A + iab, A + iab);
    double t2 = seconds_now();
    frontal_stats.backward_seconds = t2 - t1;
    if (on(c.IPFSTM())) fs_format("(10x,'TIME IN BACK SUBSTITUTION:',f9.5)", {t2 - t1});
}

}  // namespace kavren
