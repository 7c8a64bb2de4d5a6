// Database set-up, solution swap, initial-mesh reader and database prints.
#include "hpmesh/setup.hpp"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "control/echo.hpp"
#include "control/messages.hpp"
#include "control/utility.hpp"
#include "hpmesh/constraints.hpp"
#include "hpmesh/tree.hpp"
#include "records/io.hpp"
#include "records/mesh.hpp"
#include "support/format.hpp"
#include "support/units.hpp"

namespace kavren {

//// set-up ////

void setcon(int& icolu) {
    icolu = ICOLU_ROWS;
    if (ceqsys.MXEQNS != MXEQNS_MAX) ceqsys.MXEQNS = MXEQNS_MAX;
    cdata.NRELEM = cdata.NRELIN;
    cdata.NRDOF = cdata.NRNODS;
    cdata.NRFAM = 0;
    cpoint.NPNOD = cdata.NRNODS + 1;
    cpoint.NPDOF = cdata.NRDOF + 1;
    cpoint.NPFAM = 1;
}

// Every initial node carries one dof of its own number; the three free lists
// start in ascending order.
void setvec() {
    for (int n = 1; n <= cdata.NRNODS; ++n) {
        cnode.NODPTR(n) = n;
        cnu.NU(n) = 0;
    }
    for (int n = cpoint.NPNOD; n < MAXNOD; ++n) cnode.NODPTR(n) = n + 1;
    cnode.NODPTR(MAXNOD) = 0;
    for (int d = cpoint.NPDOF; d < MAXDOF; ++d) cnu.NU(d) = d + 1;
    cnu.NU(MAXDOF) = 0;
    ctree.TREE.fill(0);
    for (int f = 1; f < MAXFAM; ++f) ctree.TREE(2, f) = f + 1;
    ctree.NFSON.fill(0);
}

void transfer(double* uold, double* unew, int icolu) {
    walk_nodes_once([&](int, int, int, int node) {
        for (int d = cnode.NODPTR(node); d != 0; d = cnu.NU(d)) {
            for (int k = 1; k <= ceqsys.NREQNS; ++k) {
                const long i = d - 1 + static_cast<long>(icolu) * (k - 1);
                std::swap(uold[i], unew[i]);
            }
        }
    });
}

int check_initial_capacity(int nrelin, int nrnods) {
    if (nrelin > MAXIEL) {
        ffldou(0, MSG_ERROR, "PARAMETER MAXIEL TOO SMALL!");
        return 1;
    }
    if (nrnods > MAX_INITIAL_NODES) {
        ffldou(0, MSG_ERROR, "PARAMETER MAXNOD TOO SMALL!");
        return 1;
    }
    return 0;
}

//// initial-mesh reader ////

namespace {

// An initial mesh as read from a file, before it enters the database.
struct InitialMesh {
    int nreqns = 0, mxeqns = 0, isymet = 0;
    std::vector<int> icoupl;  // by rows of nreqns
    int nrelin = 0, nrnods = 0;
    std::vector<int> nick;   // 9 per element
    std::vector<int> neig;   // 4 per element
    std::vector<double> xy;  // 2 per node
};

// List-directed reads of a text unit: each read starts on a new line, takes
// its values from as many lines as it needs, and drops the rest of its last
// line. Values are separated by blanks or commas.
class ListReader {
  public:
    explicit ListReader(int lun) : lun_(lun) {}
    bool ints(int n, std::vector<int>& out) {
        std::vector<std::string> tok;
        if (!tokens(n, tok)) return false;
        for (const std::string& t : tok) {
            std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
            if (i >= t.size()) return false;
            for (std::size_t j = i; j < t.size(); ++j)
                if (!std::isdigit(static_cast<unsigned char>(t[j]))) return false;
            double v = 0.0;
            if (!fmt::read_number(t, v) || v > 2147483647.0 || v < -2147483648.0) return false;
            out.push_back(static_cast<int>(v));
        }
        return true;
    }
    bool reals(int n, std::vector<double>& out) {
        std::vector<std::string> tok;
        if (!tokens(n, tok)) return false;
        for (const std::string& t : tok) {
            double v = 0.0;
            if (!fmt::read_number(t, v)) return false;
            out.push_back(v);
        }
        return true;
    }

  private:
    bool tokens(int n, std::vector<std::string>& tok) {
        while (static_cast<int>(tok.size()) < n) {
            std::string line;
            if (units::read_line(lun_, line) != units::Status::ok) return false;
            std::string cur;
            for (char c : line + " ") {
                if (c == ' ' || c == ',' || c == '\t' || c == '\r') {
                    if (!cur.empty() && static_cast<int>(tok.size()) < n) tok.push_back(cur);
                    cur.clear();
                } else {
                    cur += c;
                }
            }
        }
        return true;
    }
    int lun_;
};

// Results of readdat besides 0 (read and checked).
constexpr int READ_BAD = 1;
constexpr int READ_TOO_LARGE = 2;

bool nick_ok(int k, int nick, int nrnods) {
    if (k > 4 && nick == 0) return true;
    if (nick <= 0) return false;
    int node = 0, order = 0;
    decode(nick, node, order);
    return node >= 1 && node <= nrnods && order == (k <= 4 ? 1 : 2);
}

// readdat: reads the file open on lun in the order of the layout and checks
// every value the set-up relies on.
int readdat(int lun, InitialMesh& m) {
    ListReader in(lun);
    std::vector<int> iv;
    if (!in.ints(3, iv)) return READ_BAD;
    m.nreqns = iv[0];
    m.mxeqns = iv[1];
    m.isymet = iv[2];
    if (m.nreqns < 1 || m.nreqns > MXEQNS_MAX) return READ_BAD;
    for (int i = 1; i <= m.nreqns; ++i)
        if (!in.ints(m.nreqns, m.icoupl)) return READ_BAD;
    iv.clear();
    if (!in.ints(2, iv)) return READ_BAD;
    m.nrelin = iv[0];
    m.nrnods = iv[1];
    if (m.nrelin < 1 || m.nrnods < 1) return READ_BAD;
    if (check_initial_capacity(m.nrelin, m.nrnods) != 0) return READ_TOO_LARGE;
    for (int e = 1; e <= m.nrelin; ++e)
        if (!in.ints(9, m.nick)) return READ_BAD;
    for (int e = 1; e <= m.nrelin; ++e)
        if (!in.ints(4, m.neig)) return READ_BAD;
    for (int n = 1; n <= m.nrnods; ++n)
        if (!in.reals(2, m.xy)) return READ_BAD;
    for (std::size_t i = 0; i < m.nick.size(); ++i)
        if (!nick_ok(static_cast<int>(i % 9) + 1, m.nick[i], m.nrnods)) return READ_BAD;
    for (int v : m.neig)
        if (v == 0 || v > m.nrelin || v < -MAX_BOUNDARY) return READ_BAD;
    return 0;
}

}  // namespace

void initilz(double* uold, double* unew) {
    celem.NICK.fill(0);
    cneig.NEIG.fill(0);
    ctree.TREE.fill(0);
    ctree.NFSON.fill(0);
    cnode.XNOD.fill(0.0);
    const long n = static_cast<long>(ICOLU_ROWS) * MXEQNS_MAX;
    for (long i = 0; i < n; ++i) {
        uold[i] = 0.0;
        unew[i] = 0.0;
    }
}

int data(double* uold, double* unew, int& icolu) {
    cinout.LUOUT = 6;
    cinout.LUKBD = 5;
    const int lun = cinout.LUAUX;
    std::string name = "data/" + iodatc.FWORD(2).trimmed();
    if (!units::open_text(lun, name, units::Open::existing)) {
        ffldou(0, MSG_ERROR, " GRID FILE NAME UNREADABLE");
        return 1;
    }
    InitialMesh m;
    const int rc = readdat(lun, m);
    units::close(lun);
    if (rc == READ_BAD) ffldou(0, MSG_ERROR, " GRID FILE DATA UNREADABLE");
    if (rc != 0) return 1;

    outcom(cinout.LUECHO);
    initilz(uold, unew);
    ceqsys.NREQNS = m.nreqns;
    ceqsys.MXEQNS = m.mxeqns;
    csymet.ISYMET = m.isymet;
    ceqsys.ICOUPL.fill(0);
    for (int i = 1; i <= m.nreqns; ++i)
        for (int j = 1; j <= m.nreqns; ++j)
            ceqsys.ICOUPL(i, j) = m.icoupl[static_cast<std::size_t>((i - 1) * m.nreqns + j - 1)];
    cdata.NRELIN = m.nrelin;
    cdata.NRNODS = m.nrnods;
    for (int e = 1; e <= m.nrelin; ++e) {
        for (int k = 1; k <= 9; ++k)
            celem.NICK(k, e) = m.nick[static_cast<std::size_t>((e - 1) * 9 + k - 1)];
        for (int k = 1; k <= 4; ++k)
            cneig.NEIG(k, e) = m.neig[static_cast<std::size_t>((e - 1) * 4 + k - 1)];
    }
    for (int n = 1; n <= m.nrnods; ++n) {
        cnode.XNOD(1, n) = m.xy[static_cast<std::size_t>(2 * (n - 1))];
        cnode.XNOD(2, n) = m.xy[static_cast<std::size_t>(2 * (n - 1) + 1)];
    }
    setcon(icolu);
    ::kavren::icolu.ICOLU = icolu;
    setvec();
    return 0;
}

//// prints ////

namespace {

void put_lines(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) write_error_file(l);
}

}  // namespace

void result(double* uold, double* unew, int icolu) {
    const int n = ceqsys.NREQNS;
    put_lines(
        fmt::format("(1x,/,/,3x,'NUMBER OF EQUATIONS =         ',i1,"
                    "/,  3x,'MAXIMUM NUMBER OF EQUATIONS = ',i1)",
                    {n, ceqsys.MXEQNS}));
    put_lines(fmt::format("(/,/,3x,'COUPLING ARRAY : ')", {}));
    for (int i = 1; i <= n; ++i) {
        std::vector<fmt::Item> row;
        for (int j = 1; j <= n; ++j) row.emplace_back(ceqsys.ICOUPL(i, j));
        put_lines(fmt::format("(1x  ,'               ',10i4)", row));
    }
    put_lines(fmt::format(
        csymet.ISYMET == 1 ? "(/,3x,'SYMMETRIC CASE')" : "(/,3x,'UNSYMMETRIC CASE')", {}));
    put_lines(fmt::format("(/,/,3x,'NUMBER OF NODES = ',i3,' NUMBER OF DOF = ',i5)",
                          {cdata.NRNODS, cdata.NRDOF}));

    walk_nodes_once([&](int, int, int, int node) {
        put_lines(fmt::format("(1x,/,/,3x,'NODE = ',i4,2x,'COORDS = ',2f6.3)",
                              {node, cnode.XNOD(1, node), cnode.XNOD(2, node)}));
        put_lines(
            fmt::format("(/,/,3x,'DEGREES OF FREEDOM : LOCATION IN UOLD,UNEW',"
                        "' AND  VALUES')",
                        {}));
        int count = 0;
        for (int d = cnode.NODPTR(node); d != 0 && count < 100; d = cnu.NU(d), ++count) {
            std::vector<fmt::Item> items{d};
            for (int k = 1; k <= n; ++k)
                items.emplace_back(uold[d - 1 + static_cast<long>(icolu) * (k - 1)]);
            for (int k = 1; k <= n; ++k)
                items.emplace_back(unew[d - 1 + static_cast<long>(icolu) * (k - 1)]);
            put_lines(fmt::format("(1h ,'       ',i4,'       ',4e12.5,4e12.5)", items));
        }
    });

    put_lines(fmt::format("(1h ,'NUMBER OF ELEMENTS = ',i3)", {cdata.NRELEM}));
    int nel = 0;
    for (int e = 1; e <= cdata.NRELEM; ++e) {
        nel = nelcon(nel);
        int slot = 0;
        findno(nel, slot);
        Arr1<int, 8> neig;
        neigbr(nel, neig);
        std::vector<fmt::Item> items{nel};
        for (int k = 1; k <= 9; ++k) items.emplace_back(celem.NICK(k, slot));
        for (int k = 1; k <= 8; ++k) items.emplace_back(neig(k));
        put_lines(
            fmt::format("(/,3x,'ELEMENT = ',i4,/,3x,'NICKNAMES  = ',9i7,"
                        "/,3x,'NEIGHBOURS = ',8i7)",
                        items));
    }

    put_lines(fmt::format("(1h ,'INITIAL NUMBER OF ELEMENTS = ',i4)", {cdata.NRELIN}));
    put_lines(fmt::format("(/,/,3x,'THEIR FIRST-BORN SONS : ')", {}));
    std::vector<fmt::Item> sons;
    for (int e = 1; e <= cdata.NRELIN; ++e) sons.emplace_back(ctree.NFSON(e));
    put_lines(fmt::format("(1h ,10i5)", sons));

    put_lines(fmt::format("(3x,'NUMBER OF FAMILES = ',i4)", {cdata.NRFAM}));
    put_lines(fmt::format("(/,3x ,'FAMILY,FATHER,GRANDSONS = ')", {}));
    for (int f = 1, listed = 0; f <= MAXFAM && listed < cdata.NRFAM; ++f) {
        if (ctree.TREE(1, f) == 0) continue;
        ++listed;
        put_lines(fmt::format("(3x,i3,4x,i5,3x,4i5)",
                              {f, ctree.TREE(1, f), ctree.TREE(2, f), ctree.TREE(3, f),
                               ctree.TREE(4, f), ctree.TREE(5, f)}));
    }
    put_lines(
        fmt::format("(3x,'NPDOF,NPNOD,NPFAM = ',3i4)", {cpoint.NPDOF, cpoint.NPNOD, cpoint.NPFAM}));
}

void wrtsol(double* uold, double* unew, int icolu) {
    int nel = 0;
    for (int e = 1; e <= cdata.NRELEM; ++e) {
        nel = nelcon(nel);
        put_lines(fmt::format("(/,/,3x,'SOLUTION IN ELEMENT #',i4)", {nel}));
        for (int pass = 1; pass <= (cdec.IDEC == 1 ? 2 : 1); ++pass) {
            write_error_file(pass == 1 ? "     THE OLD SOLUTION = " : "     THE NEW SOLUTION = ");
            double* u = pass == 1 ? uold : unew;
            for (int j = 1; j <= ceqsys.NREQNS; ++j) {
                put_lines(fmt::format("(3x,i1,' COMPONENT :')", {j}));
                int ndofe = 0;
                Arr1<int, 9> ndofl;
                double ue[MAXLDOF] = {};
                solelm(nel, ndofe, ndofl, ue, u + static_cast<long>(icolu) * (j - 1));
                std::vector<fmt::Item> vals(ue, ue + 4);
                put_lines(fmt::format("(1x,(6e15.6))", vals));
                int at = 4;
                for (int k = 5; k <= 9; ++k) {
                    if (ndofl(k) <= 0) continue;
                    std::vector<fmt::Item> node_vals(ue + at, ue + at + ndofl(k));
                    put_lines(fmt::format("(1x,(6e15.6))", node_vals));
                    at += ndofl(k);
                }
            }
        }
    }
}

}  // namespace kavren
