// The prefront: destination codes of every element before any number is
// computed, their decoding at element time, and the solution entry.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "frontal/frontal.hpp"
#include "frontal/frontal_internal.hpp"
#include "records/debug.hpp"
#include "records/frontal.hpp"
#include "records/limits.hpp"
#include "support/units.hpp"

namespace kavren {

FrontalCallbacks frontal_callbacks;
FrontalStats frontal_stats;

namespace frontal {

void fs_write(std::string_view line) {
    if (units::is_open(surfc1.NFSOUT())) {
        units::write_line(surfc1.NFSOUT(), line);
    } else {
        std::fflush(stdout);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fputc('\n', stderr);
    }
}

void fs_lines(const std::vector<std::string>& lines) {
    for (const auto& l : lines) fs_write(l);
}

void fs_format(std::string_view form, std::initializer_list<fmt::Item> items) {
    fs_lines(fmt::format(form, items));
}

void fs_words(std::string_view form, const std::vector<fmt::Item>& head, const double* w, int n) {
    std::vector<fmt::Item> items = head;
    for (int i = 0; i < n; ++i) items.emplace_back(w[i]);
    fs_lines(fmt::format(form, items));
}

void fs_words(std::string_view form, const double* w, int n) {
    fs_words(form, {}, w, n);
}

double seconds_now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace frontal

using namespace frontal;

int prefront_multiplier(int max_node_unknowns) {
    int m = 100;
    while (max_node_unknowns >= m) m *= 10;
    return m;
}

//// prefront ////

// surfsp: room check of IA, the prefront, and the work-array estimates.
void surfsp(const int* nnode, int* ia, int& msym, int& muns, int& mrhs) {
    Surfc2& s = surfc2;
    surfc1.IERR() = 0;
    const int numelm = surfc1.NUMELM();
    s.NTDEST = 0;
    s.MLDEST = 0;
    for (int i = 0; i < numelm; ++i) {
        s.NTDEST += nnode[i];
        if (nnode[i] > s.MLDEST) s.MLDEST = nnode[i];
    }
    const long long need = 2LL * s.MLDEST + 2LL * s.NTDEST;
    if (need > surfc1.MA()) {
        fs_lines({"", "", "ERROR IN SURFSP: NOT ENOUGH ROOM IN ARRAY IA"});
        fs_format("(5x,'STORAGE REQUIRED ',i7)", {static_cast<int>(need)});
        fs_format("(5x,'STORAGE AVAILABLE ',i7)", {surfc1.MA()});
        surfc1.IERR() = FS_ROOM;
        return;
    }
    int ntot = 0;
    desvec(nnode, ia, ia + s.NTDEST, ia + 2 * s.NTDEST, ntot);
    if (surfc1.IERR() != 0) return;
    const long long ias = surfc1.IASSEM(), mdof = s.MDOF, mfw = s.MFW;
    const long long over = static_cast<long long>(numelm) + s.MLDEST + 2 * mdof;
    auto clamp = [](long long v) { return static_cast<int>(v > 2147483647LL ? 2147483647LL : v); };
    mrhs = clamp(ias * mdof + mfw + 1);
    msym = clamp(over + ias * mdof * (mdof + 1) / 2 + mfw * (mfw + 1) / 2 + mfw);
    muns = clamp(over + ias * mdof * mdof + mfw * mfw + mfw);
}

namespace {

// next[e] := the first entry after e with the value of entry e (0-based, -1
// for none). Entries of ordinary meshes are found by their node number; a
// node seen with two different unknown counts sends the search to a table of
// whole values.
void next_occurrences(const int* ia, int ntdest, const Divider& nicmul, std::vector<int>& next) {
    int top = 0;
    bool direct = true;
    for (int e = 0; e < ntdest && direct; ++e) {
        if (ia[e] < 0 || nicmul.quot(ia[e]) > 4 * ntdest + 100000) direct = false;
        top = std::max(top, nicmul.quot(ia[e]));
    }
    if (direct) {
        std::vector<int> last(static_cast<std::size_t>(top) + 1, -1);
        for (int e = ntdest - 1; e >= 0 && direct; --e) {
            int& l = last[static_cast<std::size_t>(nicmul.quot(ia[e]))];
            if (l >= 0 && ia[l] != ia[e]) direct = false;
            next[static_cast<std::size_t>(e)] = l;
            l = e;
        }
        if (direct) return;
    }
    std::unordered_map<int, int> seen;
    seen.reserve(static_cast<std::size_t>(ntdest));
    for (int e = ntdest - 1; e >= 0; --e) {
        auto [it, fresh] = seen.try_emplace(ia[e], e);
        next[static_cast<std::size_t>(e)] = fresh ? -1 : it->second;
        it->second = e;
    }
}

// An element's elimination of ndof unknowns at position pos.
struct Gone {
    int pos;
    int ndof;
};

// Every position of zpos(0..n-1) but 0 moves down by the unknowns eliminated
// at or below it, all compared with the positions before the move, which are
// kept in was(0..n-1).
KAVREN_CLONES
void compact(int* __restrict zpos, int* __restrict was, int n, const Gone* gone, int ng) {
    for (int z = 0; z < n; ++z) was[z] = zpos[z];
    for (int j = 0; j < ng; ++j) {
        const int at = gone[j].pos, ndof = gone[j].ndof;
        for (int z = 0; z < n; ++z) zpos[z] -= was[z] != 0 && at <= was[z] ? ndof : 0;
    }
}

}  // namespace

// desvec: gives every node entry its front position and flags (already in
// the front, last occurrence), element after element, and keeps the front
// compact by moving the later positions down over what each element
// eliminates. The next occurrence of every entry is found once beforehand;
// a node with unknowns finds its position in a prefix sum when it is met
// again, so the work grows as the entries times the logarithm of their count.
void desvec(const int* nnode, int* ia, int* ibb, int* iw, int& ntot) {
    Surfc2& s = surfc2;
    const int numelm = surfc1.NUMELM();
    const int nicmul = surfc1.NICMUL();
    const Divider by_nicmul(nicmul);
    const int ntdest = s.NTDEST;

    // next[e]: the first later entry with the same value, -1 for none (0-based).
    std::vector<int> next(static_cast<std::size_t>(ntdest), -1);
    next_occurrences(ia, ntdest, by_nicmul, next);
    // A node with unknowns keeps its order in the front from the moment it
    // enters: new unknowns always go to the end, and an elimination closes
    // its gap. Its position is therefore one past the unknowns of the nodes
    // that entered before it and are still in the front, a prefix sum over
    // the entry order (a Fenwick tree, `live`), found when the node is met
    // again. held[e]: the entry order of the node whose next occurrence is e
    // (-1: none).
    const std::size_t nt = static_cast<std::size_t>(ntdest);
    std::vector<int> held(nt, -1);
    // The tree holds one place for each node with unknowns: the entries
    // with unknowns that are no entry's next occurrence.
    int nodes = 0;
    {
        std::vector<char> again(nt, 0);
        for (int e = 0; e < ntdest; ++e)
            if (next[static_cast<std::size_t>(e)] >= 0)
                again[static_cast<std::size_t>(next[e])] = 1;
        for (int e = 0; e < ntdest; ++e)
            nodes += !again[static_cast<std::size_t>(e)] && by_nicmul.rem(ia[e]) > 0;
    }
    std::vector<int> live(static_cast<std::size_t>(nodes) + 1, 0);
    int entered = 0;
    auto add = [&](int id, int v) {
        for (int k = id + 1; k <= nodes; k += k & -k) live[static_cast<std::size_t>(k)] += v;
    };
    auto before = [&](int id) {  // unknowns of the nodes that entered before id
        int sum = 0;
        for (int k = id; k > 0; k -= k & -k) sum += live[static_cast<std::size_t>(k)];
        return sum;
    };
    struct Left {
        int id;
        int ndof;
    };
    std::vector<Left> left;
    std::vector<Gone> gone_list;
    // A node without unknowns takes the position of the next new node and
    // moves down with every elimination at or below it, which the prefix sum
    // does not follow: its look-ahead positions are kept in a list that every
    // compaction walks, zpos, and the entry finds its position through slot[e]
    // when it is reached (-1: none set). zentry holds the entry of each; the
    // list drops the entries already reached when they outnumber the others.
    std::vector<int> zpos, zentry, zwas;
    int zreached = 0;
    std::vector<int> slot(nt, -1);
    for (int e = 0; e < ntdest; ++e) ibb[e] = 0;

    int nextpos = 1;
    s.MFW = 0;
    s.MDOF = 0;
    ntot = 0;
    int e = 0;  // entries done
    for (int i = 1; i <= numelm; ++i) {
        const int nn = nnode[i - 1];
        if (nn == 0) continue;
        const int first = e;
        int ndi = 0, nelist = 0, neld = 0;
        left.clear();
        for (int k = 0; k < nn; ++k, ++e) {
            const int v = ia[e];
            const int ndof = by_nicmul.rem(v);
            ndi += ndof;
            const std::size_t se = static_cast<std::size_t>(e);
            int id = held[se];
            int look = 0;
            if (id >= 0) {
                look = 1 + before(id);
            } else if (slot[se] >= 0) {
                look = zpos[static_cast<std::size_t>(slot[se])];
                ++zreached;
            }
            int pos, infront;
            if (look < 1) {
                pos = nextpos;
                nextpos += ndof;
                if (nextpos - 1 > s.MFW) s.MFW = nextpos - 1;
                infront = 0;
                if (ndof > 0) {
                    id = entered++;
                    add(id, ndof);
                }
            } else {
                pos = look;
                infront = 1;
            }
            const long long code = 10LL * nicmul * pos + 10LL * ndof;
            if (code + 3 >= CODE_LIMIT) {
                fs_lines({"", "", "     ERROR IN SURFSP: DESTINATION CODE TOO LARGE"});
                fs_format("(5x,'FRONT POSITION',i8,'  IN ELEMENT',i8)", {pos, i});
                fs_format("(5x,'CODES MUST STAY BELOW',i10)", {CODE_LIMIT});
                surfc1.IERR() = FS_CODE_RANGE;
                return;
            }
            ibb[e] = static_cast<int>(code);
            const int n = next[se];
            if (n >= 0) {
                if (ndof > 0) {
                    held[static_cast<std::size_t>(n)] = id;
                } else {
                    slot[static_cast<std::size_t>(n)] = static_cast<int>(zpos.size());
                    zpos.push_back(pos);
                    zentry.push_back(n);
                }
                ibb[e] += infront;
            } else {
                ibb[e] += 2 + infront;
                iw[2 * nelist] = pos;
                iw[2 * nelist + 1] = ndof;
                ++nelist;
                neld += ndof;
                if (ndof > 0) left.push_back({id, ndof});
            }
        }
        ntot += neld;
        if (ndi > s.MDOF) s.MDOF = ndi;
        // The element's eliminations leave the front after all its entries.
        for (const Left& l : left) add(l.id, -l.ndof);

        // Compaction of the positions of nodes without unknowns: each moves
        // down by the unknowns eliminated at or below it; entries already
        // reached leave the list.
        if (i < numelm) nextpos -= neld;
        if (i < numelm && neld > 0 && !zpos.empty()) {
            // Entries already reached move too: nothing reads them again.
            gone_list.clear();
            for (int j = 0; j < nelist; ++j)
                if (iw[2 * j + 1] != 0) gone_list.push_back({iw[2 * j], iw[2 * j + 1]});
            zwas.resize(zpos.size());
            compact(zpos.data(), zwas.data(), static_cast<int>(zpos.size()), gone_list.data(),
                    static_cast<int>(gone_list.size()));
            if (zreached > 64 && 2 * zreached > static_cast<int>(zpos.size())) {
                std::size_t kept = 0;
                for (std::size_t z = 0; z < zpos.size(); ++z) {
                    if (zentry[z] < e) continue;
                    slot[static_cast<std::size_t>(zentry[z])] = static_cast<int>(kept);
                    zpos[kept] = zpos[z];
                    zentry[kept++] = zentry[z];
                }
                zpos.resize(kept);
                zentry.resize(kept);
                zreached = 0;
            }
        }
        frontal_callbacks.preout(i, nn, ia + first, ibb + first);
        if (on(surfc1.IPFSDV())) {
            std::vector<fmt::Item> items{i, nn};
            for (int k = first; k < e; ++k) items.emplace_back(ibb[k]);
            fs_lines(fmt::format("(1x,'DESVEC: iel,nnod',2i8,'  (Ibb(ips+i),i=1,n)', (/,10x,10i8))",
                                 items));
        }
    }
}

// dest: the element's unknowns' front positions and its eliminations.
void dest(int ne, const double* andest, int& nelim, double* ddest, double* edest) {
    Surfc2& s = surfc2;
    const int m10 = 10 * surfc1.NICMUL();  // codes stay below 2^24
    const Divider by_m10(m10);
    s.NFW = 0;
    s.NDOFM = 0;
    nelim = 0;
    int i = 0, j = 0;  // 0-based write positions
    for (int p = 0; p < ne; ++p) {
        const int c = static_cast<int>(andest[p]);
        const int q = by_m10.quot(c), low = c - q * m10;  // one quotient a node
        const int flag = low % 10;
        const int ndof = low / 10;
        s.NDOFM += ndof;
        const int base = q - 1;
        if (flag > 1) nelim += ndof;
        for (int k = 1; k <= ndof; ++k) {
            if (flag > 1) {
                ddest[i] = -(base + k);
                edest[j++] = base + k;
            } else {
                ddest[i] = base + k;
            }
            ++i;
        }
        // The node's last position; a node without unknowns adds none.
        if (ndof > 0 && base + ndof > s.NFW) s.NFW = base + ndof;
    }
    // Each elimination removes one position below the later ones.
    for (int p = 0; p < nelim; ++p)
        for (int q = p + 1; q < nelim; ++q)
            if (edest[p] < edest[q]) edest[q] -= 1;

    if (on(surfc1.IPFSDV())) {
        std::vector<fmt::Item> codes;
        for (int p = 0; p < ne; ++p) codes.emplace_back(static_cast<int>(andest[p]));
        fs_lines(
            fmt::format("(/,1x,'IN DEST: NODAL DESTINATION VECTORS',10i7, 10(/,34x,10i7))", codes));
        fs_words("(11x,'DOF DESTINATION VECTORS',10i7,10(/,35x,10i7))", ddest, s.NDOFM);
        if (nelim > 0)
            fs_words("(9x,'ELIM. DESTINATION VECTORS',10i7,10(/,35x,10i7))", edest, nelim);
    }
}

bool frontal::element_codes(int iel, double* andest, int& nelim, double* ddest, double* edest) {
    int ne = 0;
    frontal_callbacks.solin1(iel, ne, andest);
    if (ne == 0) return false;
    dest(ne, andest, nelim, ddest, edest);
    return true;
}

//// entry ////

void surfss(double* a) {
    if (on(surfc1.IPFSS1()))
        fs_format(
            "(1x,'SURFSS:  ISYM,NUMELM,IRESOL,NRHS,MA,IWRT,', 'IASSEM,NFSOUT,NICMUL',/,10x,9i8)",
            {surfc1.ISYM(), surfc1.NUMELM(), surfc1.IRESOL(), surfc1.NRHS(), surfc1.MA(),
             surfc1.IWRT(), surfc1.IASSEM(), surfc1.NFSOUT(), surfc1.NICMUL()});
    if (surfc1.IRESOL() == 0) {
        complt(a);
    } else if (surfc1.IRESOL() == 1) {
        resol(a);
    }
}

int locls(int i, int j) {
    const int ai = std::abs(i), aj = std::abs(j);
    const int m = ai > aj ? ai : aj;
    return (ai < aj ? ai : aj) + m * (m - 1) / 2;
}

int loclu(int i, int j) {
    return (std::abs(i) - 1) * surfc2.NFW + std::abs(j);
}

int locr(int i, int j) {
    return (i - 1) * surfc2.MFW + std::abs(j);
}

}  // namespace kavren
