// The complete solution: storage plan, forward elimination element by element,
// and the hand-over to the back substitution.
//
// The front is kept in "slots": each unknown of the front owns one row and
// column of the front area for as long as it stays in the front, and a table
// maps front positions (as the prefront numbered them) to slots. An
// elimination then frees its slot instead of moving the rest of the front down
// over the gap, and the updates touch only the rows and columns whose coupling
// with the pivots is non-zero. Everything the other routines see is in
// positions: the destination codes, the eliminated equations in the buffer,
// the front right-hand sides, the prints.
#include <x86intrin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fem/dense.hpp"
#include "frontal/frontal.hpp"
#include "frontal/frontal_internal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "records/limits.hpp"
namespace kavren {

using namespace frontal;

namespace {

// The loops over a whole row of the front, built for the wider instruction
// sets too (they only move and compare, so every build gives the same bits).
//
// v(0..n-1) cleared where used is 0; nz := its non-zeros, fresh := those not
// yet flagged in in, and all of them flagged; u (when given) := v times s.
KAVREN_CLONES
void mask_join(double* __restrict v, const char* __restrict used, char* __restrict in, int n,
               int& nz, int& fresh, double* __restrict u, double s) {
    int c = 0, f = 0;
    for (int a = 0; a < n; ++a) {
        const double x = used[a] ? v[a] : 0.0;
        v[a] = x;
        if (u != nullptr) u[a] = x * s;
        const char z = x != 0.0;
        c += z;
        f += z & (in[a] ^ 1);
        in[a] |= z;
    }
    nz = c;
    fresh = f;
}

// to(k) := from(at(k)), k = 0..n-1.
KAVREN_CLONES
void gather_by(double* __restrict to, const double* __restrict from, const int* __restrict at,
               int n) {
    for (int k = 0; k < n; ++k) to[k] = from[at[k]];
}

// Pivots of one chunk at most.
constexpr int CHUNK = 24;
// A chunk is applied before it takes a pivot that would make its dense update
// more than WASTE times the multiply-adds that its pivots need.
constexpr double WASTE = 2.0;
// Rows to update that lie at most GAP slots apart are updated as one range,
// the slots between with them (their factors are zero).
constexpr int GAP = 7;
// Columns of one update tile.
constexpr int TILE = 8;

// The front by slots, and the chunk of eliminations whose update of the rest
// of the front is still pending.
//
// Eliminations go in chunks. A pivot's row and column are brought up to date
// with the chunk's earlier pivots when it is eliminated (and only then is the
// pivot tested and its equation written); the rest of the front gets the
// whole chunk at once, as a dense update over the union of the chunk's
// non-zero couplings. A chunk spans elements: it is applied when it is full,
// when the next pivot would make its dense update wasteful, and before a
// call-back assembles into the front itself. Every entry takes a chunk's
// terms one at a time in pivot order, each as the kernels round it, wherever
// the chunk is cut; an element assembled while a chunk is open adds its
// values before that chunk's terms, so where chunks are cut can move the last
// bits of the solution. The prints, which show the front with the pending
// terms applied, cut no chunk and leave the solution alone.
struct SlotFront {
    bool sym = true;
    double* f = nullptr;  // the front matrix area
    long ld = 0;          // leading dimension of the unsymmetric front (MFW)
    int mfw = 0;
    std::vector<int> p2s;         // p2s[position] = slot, positions and slots from 1
    std::vector<char> used;       // used[slot]
    int smax = 0;                 // highest slot in use
    std::vector<char> soon;       // grow's flags of the new positions eliminated at once
    std::vector<double> scratch;  // the front laid out by positions (prints, IASSEM 0)
    std::vector<int> eslot;       // the element's slots, and their columns
    std::vector<double*> ecol;
    const DenseKernels* k = nullptr;

    // The chunk: row t of pu and pq (width words, by slot) belongs to its
    // pivot t; row kb takes the pivot being eliminated (one row more than
    // a full chunk, whose last pivot is weighed before the chunk is applied).
    // Symmetric: pu the couplings divided by the pivot, pq the
    // couplings; entry (a, b), a <= b, takes pu(a) pq(b). Unsymmetric: pu the
    // pivot equation, pq the multipliers; coefficient a of equation b takes
    // pu(a) pq(b).
    int kb = 0;
    long width = 0;
    std::vector<double> pu, pq;
    std::vector<char> inr, inc;  // slot in the union of the rows / the columns to update
    std::vector<int> zr, zc;     // their live slots when the chunk is applied
    int nrow = 0, ncol = 0;      // slots in the unions
    int rlo = 0, rhi = 0, clo = 0, chi = 0;  // slot ranges of the unions
    double need = 0;                         // multiply-adds the chunk's pivots need
    const double* prow[CHUNK];               // the terms of one column update
    double qval[CHUNK];
    std::vector<double> xcol;                // unsymmetric: the multipliers by position
    std::vector<int> runs;                   // row ranges of an update, pairs
    std::vector<std::size_t> packed;         // where each range's packed factors start in pk
    std::vector<double> pk;                  // the chunk's factors packed by row ranges
    std::vector<double> qt;                  // the pq values of the columns to update
    std::vector<std::vector<double>> shown;  // multipliers by slot, for the prints
    bool keep_shown = false;
    double madds = 0;

    // Entry (a, b) of the front by slots; symmetric: a <= b.
    double* col(int b) const {
        return sym ? f + static_cast<long>(b) * (b - 1) / 2 - 1 : f + (b - 1) * ld - 1;
    }
    double& at(int a, int b) const {
        if (sym && a > b) std::swap(a, b);
        return col(b)[a];
    }
    // A free slot's row and column in the front are zero, and so are its
    // values in every row of the chunk (pu, pq): a slot that an element
    // adds starts clean without being cleared. The front starts zero, and
    // a pivot's row and column are taken out of it when it is eliminated.

    // Symmetric: y(1..smax) := row and column s, which become zero.
    void take_row(double* y, int s) {
        double* c = col(s);
        std::copy(c + 1, c + s + 1, y + 1);
        std::fill(c + 1, c + s + 1, 0.0);
        if (s >= smax) return;
        // Each column past s holds one entry more than the one before it.
        double* e = col(s + 1) + s;
        for (int a = s + 1; a <= smax; e += a, ++a) {
            y[a] = *e;
            *e = 0.0;
        }
    }
    // Unsymmetric: er(1..smax) := equation s and ec(1..smax) := coefficient
    // s of every equation, which become zero.
    void take_equation(double* er, double* ec, int s) {
        double* c = col(s);
        std::copy(c + 1, c + smax + 1, er + 1);
        std::fill(c + 1, c + smax + 1, 0.0);
        double* e = f + s - 1;
        for (int b = 1; b <= smax; ++b, e += ld) {
            ec[b] = *e;
            *e = 0.0;
        }
    }
    // Slot s is free from now on: its values in the chunk's rows become zero
    // too, so that a chunk applied later leaves its row in the front zero.
    void vacate(int s) {
        for (int t = 0; t <= CHUNK; ++t) urow(t)[s] = qrow(t)[s] = 0.0;
        used[static_cast<std::size_t>(s)] = 0;
    }
    double* urow(int t) { return pu.data() + t * width; }
    double* qrow(int t) { return pq.data() + t * width; }

    void start(bool symmetric, double* area, int mfw_) {
        sym = symmetric;
        f = area;
        mfw = mfw_;
        ld = mfw_;
        k = &dense_kernels();
        const auto slots = static_cast<std::size_t>(mfw + 2);
        p2s.assign(slots, 0);
        used.assign(slots, 0);
        width = mfw + 2;
        pu.assign(static_cast<std::size_t>((CHUNK + 1) * width), 0.0);
        pq.assign(static_cast<std::size_t>((CHUNK + 1) * width), 0.0);
        inr.assign(slots, 0);
        inc.assign(slots, 0);
        xcol.assign(slots, 0.0);
        std::fill(f, f + (sym ? static_cast<long>(mfw) * (mfw + 1) / 2 : ld * mfw), 0.0);
        zr.clear();
        zc.clear();
        shown.clear();
        kb = 0;
        need = 0;
        rlo = clo = 1;
        rhi = chi = 0;
        nrow = ncol = 0;
        smax = 0;
        madds = 0;
    }

    // The lowest free slot from g on; 0 when none is left up to mfw.
    int free_from(int g) const {
        if (g > mfw) return 0;
        const void* z = std::memchr(used.data() + g, 0, static_cast<std::size_t>(mfw - g + 1));
        return z == nullptr ? 0 : static_cast<int>(static_cast<const char*>(z) - used.data());
    }

    // The lowest run of n free slots that ends at slot top at the latest; 0
    // when there is none.
    int free_run(int n, int top) const {
        for (int g = free_from(1); g > 0 && g + n - 1 <= top;) {
            int e = g;
            while (e <= top && e - g < n && !used[static_cast<std::size_t>(e)]) ++e;
            if (e - g == n) return g;
            g = free_from(e);
        }
        return 0;
    }

    // Position p takes slot g.
    void take(int p, int g) {
        used[static_cast<std::size_t>(g)] = 1;
        p2s[static_cast<std::size_t>(p)] = g;
        if (g > smax) smax = g;
    }

    // zeros / zerou: slots for the positions lfw+1..nfw that the element adds
    // (free slots, whose rows and columns are zero); ddest(0..ndofm-1) holds
    // the element's positions, negative for those it eliminates, in the
    // order of the eliminations. The ones eliminated at once go above every
    // slot in use while there is room, the first eliminated highest: a
    // symmetric pivot's row is contiguous up to its own slot and strided past
    // it, so each of them is the top slot in use when it goes, reads and
    // clears nothing past its own slot, and takes the top down with it. The
    // others take the lowest run of free slots below the highest slot in use
    // that holds them all, else the lowest free slots: a run put above the
    // slots in use would raise the top for good, leave the next element's
    // pivots no room above it, and lengthen every pass over the front.
    void grow(int lfw, int nfw, const double* ddest, int ndofm) {
        const int nnew = nfw - lfw;
        if (nnew <= 0) return;
        // soon(p - lfw - 1): new position p is eliminated by this element
        // (the positions are whole numbers).
        soon.assign(static_cast<std::size_t>(nnew), 0);
        for (int k = 0; k < ndofm; ++k) {
            const int p = -static_cast<int>(ddest[k]);
            if (p > lfw && p <= nfw) soon[static_cast<std::size_t>(p - lfw - 1)] = 1;
        }
        int nsoon = 0;
        for (char f : soon) nsoon += f;
        const int nstay = nnew - nsoon;
        // The new positions flagged so in soon take the free slots from g
        // on, in the order of the positions.
        auto lowest = [&](char flag, int g) {
            for (int p = lfw + 1; p <= nfw; ++p) {
                if (soon[static_cast<std::size_t>(p - lfw - 1)] != flag) continue;
                if (used[static_cast<std::size_t>(g)]) g = free_from(g);
                take(p, g);
            }
        };
        if (nstay > 0) {
            const int first = free_run(nstay, smax);
            lowest(0, first > 0 ? first : 1);
        }
        if (nsoon > 0 && smax + nsoon <= mfw) {
            for (int k = 0, g = smax + nsoon; k < ndofm; ++k) {
                const int p = -static_cast<int>(ddest[k]);
                if (p <= lfw || p > nfw || !soon[static_cast<std::size_t>(p - lfw - 1)]) continue;
                soon[static_cast<std::size_t>(p - lfw - 1)] = 0;
                take(p, g--);
            }
        } else if (nsoon > 0) {
            lowest(1, 1);
        }
    }

    // The position id leaves the front (its slot was freed when its pivot
    // was taken, vacate), and the top comes down past the free slots.
    void remove(int id, int n) {
        std::copy(p2s.begin() + id + 1, p2s.begin() + n + 1, p2s.begin() + id);
        while (smax > 0 && !used[static_cast<std::size_t>(smax)]) --smax;
    }

    int slot(double position) const {
        return p2s[static_cast<std::size_t>(static_cast<int>(position))];
    }

    // The slots of the element's unknowns and their columns, once for all
    // the entries of its matrix.
    void element_slots(const double* ddest, int ndofm) {
        eslot.resize(static_cast<std::size_t>(ndofm));
        ecol.resize(static_cast<std::size_t>(ndofm));
        for (std::size_t k = 0; k < eslot.size(); ++k) {
            eslot[k] = slot(ddest[k]);
            ecol[k] = col(eslot[k]);
        }
    }

    // symasm: adds the packed lower triangle elk (rows of the element) into the front.
    void symasm(const double* ddest, const double* elk, int ndofm) {
        element_slots(ddest, ndofm);
        for (int r = 1; r <= ndofm; ++r) {
            const int a = eslot[static_cast<std::size_t>(r - 1)];
            double* ca = ecol[static_cast<std::size_t>(r - 1)];
            const double* row = elk + static_cast<long>(r) * (r - 1) / 2 - 1;
            for (int c = 1; c <= r; ++c) {
                const int b = eslot[static_cast<std::size_t>(c - 1)];
                (a <= b ? ecol[static_cast<std::size_t>(c - 1)][a] : ca[b]) += row[c];
            }
        }
    }

    // unsasm: adds the full element matrix, row r the equation of unknown r.
    void unsasm(const double* ddest, const double* elk, int ndofm) {
        element_slots(ddest, ndofm);
        for (int r = 1; r <= ndofm; ++r) {
            double* eq = ecol[static_cast<std::size_t>(r - 1)];
            const double* row = elk + static_cast<long>(r - 1) * ndofm - 1;
            for (int c = 1; c <= ndofm; ++c) eq[eslot[static_cast<std::size_t>(c - 1)]] += row[c];
        }
    }

    // v(lo..hi) (slots, within 1..smax) takes the chunk's terms p(t, a) q(t, s)
    // whose q is not zero.
    void pending(double* v, int lo, int hi, std::vector<double>& p, const std::vector<double>& q,
                 int s) {
        hi = std::min(hi, smax);
        if (kb == 0 || lo > hi) return;
        int n = 0;
        for (int t = 0; t < kb; ++t) {
            const double x = q[static_cast<std::size_t>(t * width + s)];
            if (x == 0.0) continue;
            prow[n] = p.data() + t * width + lo;
            qval[n++] = x;
        }
        k->column(v + lo, hi - lo + 1, prow, qval, n);
    }

    // Clears v on free slots, adds its non-zeros to the union flagged by in,
    // of count size within the slot range lo..hi; nz := the non-zeros of v,
    // of which fresh were not yet in the union.
    void join(double* v, std::vector<char>& in, int& size, int& lo, int& hi, int& nz, int& fresh,
              double* u = nullptr, double scale = 0.0) {
        mask_join(v + 1, used.data() + 1, in.data() + 1, smax, nz, fresh,
                  u == nullptr ? nullptr : u + 1, scale);
        size += fresh;
        int first = 1, last = smax;
        while (first <= last && v[first] == 0.0) ++first;
        while (last >= first && v[last] == 0.0) --last;
        if (first > last) return;
        if (lo > hi) {
            lo = first;
            hi = last;
        } else {
            lo = std::min(lo, first);
            hi = std::max(hi, last);
        }
    }

    // The buffer place of the equation about to be written is memory the
    // solve has not touched yet: its lines are asked for before the pivot's
    // row is made, so that they are in the cache when the equation is
    // written and read back by the right-hand side update.
    static void fetch_record(double* rec, int n) {
        for (int a = 0; a < n; a += 8) __builtin_prefetch(rec + a, 1, 3);
    }

    // symelm: eliminates position id of a front of width n; rec(1..n) gets
    // the equation divided by the pivot, the pivot itself at id. Returns
    // false on a zero pivot.
    bool symelm(int id, int n, double* rec, double& pivot) {
        fetch_record(rec, n);
        const int s = p2s[static_cast<std::size_t>(id)];
        double* y = qrow(kb);  // the couplings become the chunk's next row
        take_row(y, s);
        if (kb > 0) {
            pending(y, rlo, std::min(rhi, s - 1), pu, pq, s);
            for (int t = 0; t < kb; ++t) {
                prow[t] = urow(t) + s;
                qval[t] = qrow(t)[s];
            }
            k->column(y + s, 1, prow, qval, kb);
            pending(y, std::max(rlo, s + 1), rhi, pq, pu, s);
        }
        pivot = y[s];
        y[s] = 0.0;
        if (!(std::fabs(pivot) > ZERO_PIVOT)) return false;
        vacate(s);
        // The couplings join the chunk's union; when the chunk's dense update
        // would grow too wasteful, or the chunk is full, the chunk is applied
        // first and the pivot opens the next.
        // The couplings times the pivot's inverse (ur) are the chunk's
        // factors and, by position, the equation that goes to the buffer.
        const int before = nrow;
        int c = 0, fresh = 0;
        double* ur = urow(kb);
        join(y, inr, nrow, rlo, rhi, c, fresh, ur, 1.0 / pivot);
        const double wanted = 0.5 * c * (c + 1.0);
        const double u = static_cast<double>(before) + fresh;
        if (kb == CHUNK || (kb > 0 && (kb + 1) * 0.5 * u * (u + 1) > WASTE * (need + wanted))) {
            apply();
            std::copy(y + 1, y + smax + 1, qrow(0) + 1);
            std::copy(ur + 1, ur + smax + 1, urow(0) + 1);
            y = qrow(0);
            ur = urow(0);
            join(y, inr, nrow, rlo, rhi, c, fresh);
        }
        madds += wanted;
        need += wanted;

        gather_by(rec, ur, p2s.data() + 1, n);
        rec[id - 1] = pivot;
        ++kb;
        return true;
    }

    // unselm: eliminates position id; rec(1..n) gets equation id as it
    // stands, xcol(1..n-1) the multipliers of the other equations by position.
    bool unselm(int id, int n, double* rec, double& pivot, double* xcol) {
        fetch_record(rec, n);
        const int s = p2s[static_cast<std::size_t>(id)];
        // Equation s and coefficient s of every equation become the chunk's
        // next rows.
        double* er = urow(kb);
        double* ec = qrow(kb);
        take_equation(er, ec, s);
        if (kb > 0) {
            pending(er, rlo, rhi, pu, pq, s);
            pending(ec, clo, chi, pq, pu, s);
        }
        pivot = er[s];
        er[s] = ec[s] = 0.0;
        if (!(std::fabs(pivot) > ZERO_PIVOT)) return false;
        vacate(s);
        const int rbefore = nrow, cbefore = ncol;
        int nr = 0, fr = 0, nc = 0, fc = 0;
        join(er, inr, nrow, rlo, rhi, nr, fr);
        join(ec, inc, ncol, clo, chi, nc, fc);
        const double wanted = static_cast<double>(nr) * nc;
        const double rows = static_cast<double>(rbefore) + fr;
        const double cols = static_cast<double>(cbefore) + fc;
        if (kb == CHUNK || (kb > 0 && (kb + 1) * rows * cols > WASTE * (need + wanted))) {
            apply();
            std::copy(er + 1, er + smax + 1, urow(0) + 1);
            std::copy(ec + 1, ec + smax + 1, qrow(0) + 1);
            er = urow(0);
            ec = qrow(0);
            join(er, inr, nrow, rlo, rhi, nr, fr);
            join(ec, inc, ncol, clo, chi, nc, fc);
        }
        madds += wanted;
        need += wanted;

        gather_by(rec, er, p2s.data() + 1, n);
        rec[id - 1] = pivot;
        k->divide(ec + 1, pivot, smax);
        gather_by(xcol, ec, p2s.data() + 1, id - 1);
        gather_by(xcol + id - 1, ec, p2s.data() + id + 1, n - id);
        if (keep_shown) shown.emplace_back(ec, ec + width);
        ++kb;
        return true;
    }

    // The row ranges that cover the live slots of z (sorted).
    void cover(const std::vector<int>& z) {
        runs.clear();
        for (int a : z) {
            if (!runs.empty() && a - runs.back() - 1 <= GAP) {
                runs.back() = a;
            } else {
                runs.push_back(a);
                runs.push_back(a);
            }
        }
    }

    // The live slots of the union flagged by in (within lo..hi), in order;
    // the flags cleared.
    void gather(std::vector<int>& z, std::vector<char>& in, int lo, int hi) {
        z.clear();
        for (int a = lo; a <= hi; ++a) {
            if (!in[static_cast<std::size_t>(a)]) continue;
            in[static_cast<std::size_t>(a)] = 0;
            if (a <= smax && used[static_cast<std::size_t>(a)]) z.push_back(a);
        }
    }

    // Applies the chunk to the rest of the front, a tile of columns at a time;
    // the factors of each row range are packed once for all the tiles.
    void apply() {
        if (kb == 0) return;
        gather(zr, inr, rlo, rhi);
        std::vector<int>& cols = sym ? zr : zc;
        if (!sym) gather(zc, inc, clo, chi);
        cover(zr);
        const int R = k->block;
        packed.clear();
        std::size_t words = 0;
        for (std::size_t r = 0; r < runs.size(); r += 2) {
            packed.push_back(words);
            words += static_cast<std::size_t>((runs[r + 1] - runs[r] + R) / R) * R * kb;
        }
        if (pk.size() < words) pk.resize(words);
        for (std::size_t r = 0; r < runs.size(); r += 2)
            dense_pack(pk.data() + packed[r / 2], pu.data() + runs[r], width, kb,
                       runs[r + 1] - runs[r] + 1, R);
        // The pq values of every column to update, term by term.
        const int ncols = static_cast<int>(cols.size());
        if (qt.size() < static_cast<std::size_t>(kb * ncols))
            qt.resize(static_cast<std::size_t>(kb * ncols));
        for (int t = 0; t < kb; ++t) gather_by(qt.data() + t * ncols, qrow(t), cols.data(), ncols);
        double* cp[TILE];
        double* cr[TILE];
        for (std::size_t j0 = 0; j0 < cols.size(); j0 += TILE) {
            const int nc = static_cast<int>(std::min<std::size_t>(TILE, cols.size() - j0));
            const int* b = cols.data() + j0;
            const double* q = qt.data() + j0;
            for (int j = 0; j < nc; ++j) cp[j] = col(b[j]);
            // Symmetric, a column holds the rows up to its own slot: whole
            // blocks of rows up to the tile's first column take the plain
            // update, the rest of the tile's rows one in which each column
            // stops at its own slot.
            const int top = sym ? b[0] : smax;
            const int last = sym ? b[nc - 1] : smax;
            for (std::size_t r = 0; r < runs.size(); r += 2) {
                const int lo = runs[r];
                if (lo > last) break;
                const double* pr = pk.data() + packed[r / 2];
                int f = std::min(runs[r + 1], top);  // last row of the whole blocks
                if (sym && f < runs[r + 1]) f = f < lo ? lo - 1 : lo + (f - lo + 1) / R * R - 1;
                if (f >= lo) {
                    for (int j = 0; j < nc; ++j) cr[j] = cp[j] + lo;
                    k->update_packed(cr, nc, f - lo + 1, pr, q, ncols, kb);
                }
                const int hi = std::min(runs[r + 1], last);
                if (!sym || hi <= f) continue;
                int len[TILE];
                for (int j = 0; j < nc; ++j) {
                    cr[j] = cp[j] + f + 1;
                    len[j] = std::max(std::min(hi, b[j]) - f, 0);
                }
                k->update_packed_top(cr, len, nc, hi - f,
                                     pr + static_cast<long>(f + 1 - lo) / R * R * kb, q, ncols, kb);
            }
        }
        rlo = clo = 1;
        rhi = chi = 0;
        nrow = ncol = 0;
        kb = 0;
        need = 0;
    }

    // Entry (a, b) by slots with the chunk's pending terms.
    double current(int a, int b) const {
        if (sym && a > b) std::swap(a, b);
        double v = col(b)[a];
        for (int t = 0; t < kb; ++t)
            v = dense_msub(v, pu[static_cast<std::size_t>(t * width + a)],
                           pq[static_cast<std::size_t>(t * width + b)], k->fused);
        return v;
    }

    // The front of width n laid out by positions as the prints show it:
    // symmetric, the packed upper triangle by columns; unsymmetric, n
    // equations with leading dimension k whose rows n+1..k hold the
    // multipliers of the current element's eliminations, latest first.
    const std::vector<double>& layout(int n, int k_) {
        scratch.clear();
        if (sym) {
            for (int b = 1; b <= n; ++b)
                for (int a = 1; a <= b; ++a)
                    scratch.push_back(current(p2s[static_cast<std::size_t>(a)],
                                              p2s[static_cast<std::size_t>(b)]));
            return scratch;
        }
        for (int b = 1; b <= n; ++b) {
            const int sb = p2s[static_cast<std::size_t>(b)];
            for (int a = 1; a <= n; ++a)
                scratch.push_back(current(p2s[static_cast<std::size_t>(a)], sb));
            for (int r = n + 1; r <= k_; ++r) {
                const std::size_t g = static_cast<std::size_t>(k_ - r);  // elimination k-r+1
                scratch.push_back(g < shown.size() ? shown[g][static_cast<std::size_t>(sb)] : 0.0);
            }
        }
        return scratch;
    }

    // Puts a front laid out by positions (width n, leading dimension n) back;
    // no chunk may be pending.
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
    s.LASTIN = 0;
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
                F.grow(lfw, nfw, ddest, s.NDOFM);
                F.shown.clear();
            },
            [&](int ndofm) {
                if (c.IASSEM() == 1) {
                    mke = sym ? ndofm * (ndofm + 1) / 2 : ndofm * ndofm;
                    elr = elem + mke;
                    frontal_callbacks.solin2(iel, 2, ndofm, nrhs, ddest, elk, elr);
                } else {
                    elr = elem + mke;
                    F.apply();  // the call-back adds into the front itself
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
        F.keep_shown = show_le && !sym;
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
            const bool ok = sym ? F.symelm(id, n, U + r, pivot)
                                : F.unselm(id, n, U + r, pivot, F.xcol.data() + 1);
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
        s.LFW = s.NFW;
        elnfw[iel - 1] = s.NFW;
    }

    // The last buffer: written out when a re-solution may read it (ISYM 3
    // and 4); otherwise it stays in core as record IFU, the first that the
    // back substitution takes, before any records flushed earlier.
    if (isym == 3 || isym == 4) {
        s.IUDUMP = 1;
        if (!write_buffer("U", s.IFU, U + 1, s.IU - 1)) return;
    } else {
        s.IFU += 1;
        s.LASTU = s.IU - 1;
        s.LASTIN = 1;
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
