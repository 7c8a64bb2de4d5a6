// Back substitution, and the re-solution that reduces new right-hand sides
// with the factors of an earlier complete solution. Both work on vectors
// only, in front positions, with the eliminated equations read back from the
// buffers and scratch files.
#include <algorithm>
#include <cmath>

#include "frontal/frontal.hpp"
#include "frontal/frontal_internal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"

namespace kavren {

namespace frontal {

void zeror(double* fr, int mfw, int nrhs, int lfw, int nfw) {
    if (nfw == lfw) return;
    for (int r = 0; r < nrhs; ++r)
        for (int a = lfw + 1; a <= nfw; ++a) fr[static_cast<long>(r) * mfw + a - 1] = 0.0;
}

void semrhs(const double* ddest, const double* elr, double* fr, int ndofm, int mfw, int nrhs) {
    for (int r = 0; r < nrhs; ++r)
        for (int k = 0; k < ndofm; ++k)
            fr[static_cast<long>(r) * mfw + static_cast<int>(ddest[k]) - 1] +=
                elr[static_cast<long>(r) * ndofm + k];
}

namespace {

// v(0..n-1) -= f * c.
KAVREN_CLONES
void subtract_scaled(double* __restrict v, const double* __restrict f, double c, int n) {
    for (int a = 0; a < n; ++a) v[a] -= f[a] * c;
}

// The sum of x(k) w(k), k = 0..n-1, taken from the top down (the records are
// read backwards) in eight partial sums that are added pairwise at the end:
// the same bits whatever the vector width.
KAVREN_CLONES
double dot_down(const double* __restrict x, const double* __restrict w, int n) {
    double s[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int k = n;
    for (; k >= 8; k -= 8)
        for (int j = 0; j < 8; ++j) s[j] += x[k - 8 + j] * w[k - 8 + j];
    for (int j = 0; j < k; ++j) s[j] += x[j] * w[j];
    return ((s[0] + s[1]) + (s[2] + s[3])) + ((s[4] + s[5]) + (s[6] + s[7]));
}

}  // namespace

void elmrhs(int id, int n, int stride, bool skip_pivot, double* fr, int mfw, int nrhs,
            const double* col, double* out) {
    for (int r = 0; r < nrhs; ++r) {
        double* v = fr + static_cast<long>(r) * mfw - 1;  // v[a] is FR of position a
        const double c = v[id];
        out[r] = c;
        if (c != 0.0 && stride == 1) {
            // The couplings lie in a row: the entries past the pivot move
            // down first, so that both updates are plain loops over
            // separate arrays.
            std::copy(v + id + 1, v + n + 1, v + id);
            subtract_scaled(v + 1, col, c, id - 1);
            subtract_scaled(v + id, col + id - (skip_pivot ? 0 : 1), c, n - id);
        } else if (c != 0.0) {
            const double* f = col;
            for (int a = 1; a < id; ++a, f += stride) v[a] -= *f * c;
            if (skip_pivot) f += stride;
            for (int a = id + 1; a <= n; ++a, f += stride) v[a - 1] = v[a] - *f * c;
        } else {
            for (int a = id + 1; a <= n; ++a) v[a - 1] = v[a];
        }
    }
}

}  // namespace frontal

using namespace frontal;

namespace {

// elmsol: solves one stored equation row(1..n) for the unknown at position
// id and inserts its value into the front solution, re-opening position id.
void elmsol(double edest, const double* row, const double* rhsv, double* sol) {
    const Surfc2& s = surfc2;
    const int id = static_cast<int>(edest);
    const int n = s.NFW;
    const bool sym = surfc1.ISYM() == 1 || surfc1.ISYM() == 4;
    const double* w = row - 1;  // w[a] is ROW(a)
    const double d1 = sym ? w[id] : 1.0;
    const double d2 = sym ? 1.0 : w[id];
    for (int r = 0; r < surfc1.NRHS(); ++r) {
        double* x = sol + static_cast<long>(r) * s.MFW - 1;
        // The unknowns past the pivot move up to open its place.
        std::copy_backward(x + id, x + n, x + n + 1);
        double c = rhsv[r] / d1;
        c -= dot_down(x + id + 1, w + id + 1, n - id);
        c -= dot_down(x + 1, w + 1, id - 1);
        x[id] = c / d2;
    }
}

// frwrs: forward reduction of new right-hand sides with the stored factors:
// the equations divided by their pivots (ISYM 4, U records read forward) or
// the multipliers (ISYM 3, L records each read from its end).
void frwrs(double* elnfw, double* andest, double* ddest, double* edest, double* elr, double* fr,
           double* bbuf, double* ubuf) {
    Surfc2& s = surfc2;
    Surfc1& c = surfc1;
    const int isym = c.ISYM();
    const int nrhs = c.NRHS();
    const int mfw = s.MFW;
    s.IB = 1;
    if (isym == 4) s.IFU = 0;
    s.IFL = 0;
    s.IFB = 0;
    s.NFW = 0;
    s.LFW = 0;
    s.IUDUMP = 1;
    s.LASTU = 0;
    s.LASTIN = 0;
    s.NRHSF = nrhs;
    double* U = ubuf - 1;
    double* B = bbuf - 1;
    int len = 0;
    int p = isym == 4 ? 1 : 0;  // factor pointer into the current record

    for (int iel = 1; iel <= c.NUMELM(); ++iel) {
        int nelim = 0;
        const ElementStart start = start_element(
            "FRWRS", iel, andest, nelim, ddest, edest, fr, [](int, int) {},
            [&](int ndofm) {
                if (c.IASSEM() == 1) {
                    frontal_callbacks.solin2(iel, 1, ndofm, nrhs, ddest, elr, elr);
                } else {
                    frontal_callbacks.solin2(iel, 1, ndofm, nrhs, ddest, fr, fr);
                }
            });
        if (start == ElementStart::empty) continue;
        if (start == ElementStart::refused) return;
        const int ndofm = s.NDOFM;
        if (on_elem(c.IPFSST(), iel))
            fs_format("(1x,'FRWRS: iel,NRHS,NDOFM,NFW,LFW,NE', /,10x,10i8)",
                      {iel, nrhs, ndofm, s.NFW, s.LFW, nelim});
        if (c.IASSEM() == 1) {
            if (on_elem(c.IPFSRH(), iel))
                fs_words("(1x,'FRWRS: Elem: Element RHS',/,(10x,1p,10e12.5))", elr, ndofm * nrhs);
            for (int k = 0; k < ndofm; ++k) ddest[k] = std::fabs(ddest[k]);
            semrhs(ddest, elr, fr, ndofm, mfw, nrhs);
            if (on_elem(c.IPFSRF(), iel))
                fs_words("(1x,'FRWRS: Frnt: Assembled RHS',/,(10x,1p,10e12.5))", fr, mfw * nrhs);
        }
        for (int m = 1; m <= nelim; ++m) {
            const int n = s.NFW;
            if (s.IB + nrhs - 1 > s.MBUFB) {
                if (!write_buffer("B", s.IFB, B + 1, s.IB - 1)) return;
                s.IB = 1;
                if (on(c.IPFSBF()))
                    fs_words("(1x,'FRWCP: First 40 items in Bbuf:',/, (10x,1p,10e12.5))", bbuf,
                             std::min(40, s.MBUFB));
            }
            // The next factor record when this one is used up.
            while (isym == 4 ? p > len : p < 1) {
                if (isym == 4) {
                    s.IFU += 1;
                    if (!read_buffer("U", s.IFU, len, ubuf)) return;
                    p = 1;
                } else {
                    s.IFL += 1;
                    if (!read_buffer("L", s.IFL, len, ubuf)) return;
                    p = len;
                }
                if (on(c.IPFSBF()))
                    fs_words("(1x,'FRWCP: First 40 items in Buf: ',/, (10x,1p,10e12.5))", ubuf,
                             std::min(40, s.MBUF));
            }
            const double em = edest[m - 1];
            elmrhs(static_cast<int>(em), n, isym == 4 ? 1 : -1, isym == 4, fr, mfw, nrhs, U + p,
                   B + s.IB);
            if (on_elem(c.IPFSRE(), iel))
                fs_words(
                    "(1x,'FRWRS:  iel,Andest(ie):',i8,1p,e12.4, /,10x,'Frnt: Eliminated RHS',/, "
                    "(10x,1p,10e12.5))",
                    {iel, em}, fr, mfw * nrhs);
            s.IB += nrhs;
            if (isym == 4) {
                p += n + s.NRHSF;
            } else {
                p -= std::max(n - 1, 1);
            }
            s.NFW = n - 1;
        }
        s.LFW = s.NFW;
        elnfw[iel - 1] = s.NFW;
    }
    if (!write_buffer("B", s.IFB, B + 1, s.IB - 1)) return;
    s.IB = 1;
    if (on(c.IPFSBF()))
        fs_words("(1x,'FRWRS: First 40 items in Bbuf: ',/, (10x,1p,10e12.5))", bbuf,
                 std::min(40, s.MBUFB));
}

void resolution_refused(const char* piece) {
    fs_lines({"", "", std::string("     ERROR IN SURFS: ATTEMPTED RESOLUTION WITH") + piece});
}

}  // namespace

namespace frontal {

// bckwrd: the elements in reverse; each element's eliminations undone last
// first, every stored equation solved for its unknown, and the element's
// solution gathered from the rebuilt front.
void bckwrd(double* elnfw, double* andest, double* ddest, double* edest, double* elem, double* sol,
            double* bbuf, double* ubuf) {
    Surfc2& s = surfc2;
    Surfc1& c = surfc1;
    const int nrhs = c.NRHS();
    const int save_ifu = s.IFU, save_ifb = s.IFB;
    s.IFU += 1;
    s.IFB += 1;
    s.IB = 0;
    int p = 1;
    double* U = ubuf - 1;
    double* B = bbuf - 1;

    for (int iel = c.NUMELM(); iel >= 1; --iel) {
        int nelim = 0;
        if (!element_codes(iel, andest, nelim, ddest, edest)) continue;
        const int ndofm = s.NDOFM;
        if (iel > 1) {
            s.LFW = static_cast<int>(elnfw[iel - 2]);
            s.NFW = std::max(s.NFW, s.LFW);
        }
        s.NFW = s.NFW + 1 - nelim;
        if (on_elem(c.IPFSST(), iel))
            fs_format("(1x,'BCKWRD: jel,NRHS,NDOFM,NFW,LFW,NE', /,10x,10i8)",
                      {iel, nrhs, ndofm, s.NFW, s.LFW, nelim});
        const bool show = on_elem(c.IPFSBK(), iel);
        for (int j = nelim; j >= 1; --j) {
            if (p <= 1) {
                s.IFU -= 1;
                const bool in_core = c.IRESOL() == 0 && s.LASTIN == 1 && s.IFU == save_ifu;
                if (!in_core) {
                    int len = 0;
                    if (!read_buffer("U", s.IFU, len, ubuf)) return;
                    p = len + 1;
                } else {
                    p = s.LASTU + 1;
                }
            }
            p -= s.NFW + s.NRHSF;
            if (show) {
                fs_format("(1x,'BCKWRD: jel,ie,Andest(j)',2i8,1p,e12.5)", {iel, j, edest[j - 1]});
                fs_words("(1x,'BCKWRD: (Ubuf(i),i=iuu,iuuold)',/, (10x,1p,10e12.5))", U + p,
                         s.NFW + s.NRHSF);
            }
            if (c.IRESOL() == 0) {
                elmsol(edest[j - 1], U + p, U + p + s.NFW, sol);
                if (show)
                    fs_words("(1x,'BCKWRD: (Ubuf(n+i),i=1,NRHS)', (/,10x,1p,10e12.5))",
                             U + p + s.NFW, nrhs);
            } else {
                if (s.IB < 1) {
                    s.IFB -= 1;
                    int len = 0;
                    if (!read_buffer("B", s.IFB, len, bbuf)) return;
                    s.IB = len - nrhs + 1;
                }
                elmsol(edest[j - 1], U + p, B + s.IB, sol);
                if (show)
                    fs_words("(1x,'BCKWRD: (Bbuf(IB+i),i=1,NRHS)',/, (10x,1p,10e12.5))", B + s.IB,
                             nrhs);
                s.IB -= nrhs;
            }
            s.NFW += 1;
        }
        if (c.IASSEM() == 1) {
            for (int r = 0; r < nrhs; ++r)
                for (int k = 0; k < ndofm; ++k)
                    elem[static_cast<long>(r) * ndofm + k] =
                        sol[static_cast<long>(r) * s.MFW + static_cast<int>(std::fabs(ddest[k])) -
                            1];
            frontal_callbacks.solout(iel, ndofm, nrhs, ddest, elem);
            if (on_elem(c.IPFSXX(), iel))
                fs_words("(1x,'BCKWRD: (Elem(i),i=1,lenx)',/, (10x,1p,10e12.5))", elem,
                         ndofm * nrhs);
        } else {
            frontal_callbacks.solout(iel, ndofm, nrhs, ddest, sol);
        }
    }
    // The records stay readable for later re-solutions; a re-solution with
    // ISYM 3 found its last U record itself and leaves IFU there.
    if (!(c.IRESOL() == 1 && c.ISYM() == 3)) s.IFU = save_ifu;
    s.IFB = save_ifb;
}

}  // namespace frontal

// resol: new right-hand sides with the factors of the last complete solution.
void resol(double* a) {
    Surfc2& s = surfc2;
    Surfc1& c = surfc1;
    const double t0 = seconds_now();
    c.NNEGPV() = -1;
    c.NPOSPV() = -1;
    s.IFU = -1;
    s.IFL = -1;
    c.IERR() = 0;
    s.IFB = 0;
    const int isym = c.ISYM();
    if (isym != 3 && isym != 4) {
        c.IERR() = FS_NO_RESOLUTION;
        resolution_refused(" RESOLUTION INACTIVATED (IE: ISYM=2 OR 1)");
        return;
    }
    if (c.NRHS() == 0) {
        c.IERR() = FS_NO_RHS;
        resolution_refused(" 0 RHS");
        return;
    }
    // The factor records carry the right-hand sides of their complete solution.
    const int nrhsf = isym == 3 ? s.NRHS3 : s.NRHS4;
    if (c.NRHS() != nrhsf) {
        c.IERR() = FS_RHS_CHANGED;
        resolution_refused(" ANOTHER NUMBER OF RHS");
        fs_format("(12x,'NUMBER OF RHS OF THE COMPLETE SOLUTION =',i3)", {nrhsf});
        return;
    }
    s.MBUF = isym == 3 ? s.MBUF3 : s.MBUF4;
    s.MW = isym == 3 ? s.MW3 : s.MW4;
    const long long over = static_cast<long long>(c.NUMELM()) + s.MLDEST + 2LL * s.MDOF;
    if (c.MA() < s.MBUF + s.MW + over) {
        c.IERR() = FS_BUFFER;
        resolution_refused(" LESS WORKSPACE THAN WAS PREVIOUSLY ALLOCATED");
        return;
    }
    s.MELEM = s.MDOF * c.NRHS() * c.IASSEM();
    s.MFWR = c.NRHS() * s.MFW;
    s.MBUFB = s.MW - s.MELEM - s.MFWR;
    if (s.MBUFB < c.NRHS()) {
        c.IERR() = FS_TOO_MANY_RHS;
        fs_format("(/,/,5x,'ERROR: TOO MANY RHS',/,12x,'MAXIMUM NUMBER OF RHS =',i2)",
                  {std::max(s.MBUFB, 0)});
        return;
    }
    int ierr = 0, irec = 0, len = s.MBUFB;
    zdirio("B", "OPEN", irec, len, nullptr, ierr);
    if (ierr != 0) {
        c.IERR() = file_error(ierr);
        return;
    }
    double* A = a - 1;
    const long long ia1 = 1, ial = ia1 + c.NUMELM(), iam = ial + s.MLDEST, ian = iam + s.MDOF,
                    iae = ian + s.MDOF, iaf = iae + s.MELEM, iabb = iaf + s.MFWR,
                    iabu = iabb + s.MBUFB;
    frwrs(A + ia1, A + ial, A + iam, A + ian, A + iae, A + iaf, A + iabb, A + iabu);
    const double t1 = seconds_now();
    if (on(c.IPFSTM())) {
        fs_format("(10x,'TIME IN FORWARD ELIMINATION:',f9.3)", {t1 - t0});
        if (s.IFB > 0) fs_format("(10x,'RHS BUFFER DUMPS:',i4)", {s.IFB});
    }
    if (c.IERR() != 0) return;
    bckwrd(A + ia1, A + ial, A + iam, A + ian, A + iae, A + iaf, A + iabb, A + iabu);
    const double t2 = seconds_now();
    if (on(c.IPFSTM())) fs_format("(10x,'TIME IN BACK SUBSTITUTION:',f9.3)", {t2 - t1});
}

}  // namespace kavren
