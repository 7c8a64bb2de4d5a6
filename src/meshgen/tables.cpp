#include "meshgen/tables.hpp"

#include <algorithm>
#include <string>

#include "control/messages.hpp"
#include "records/io.hpp"
#include "records/meshgen.hpp"
#include "support/convert.hpp"
#include "support/format.hpp"

namespace kavren {

//// resets ////

void cregion() {
    cregio.REGNAME.fill(Word8());
    cregio.NUMREG.fill(0);
    cregio.REGNAME(1) = Word8("ONE");
    cregio.NUMREG(1) = 1;
    cregio.NREG = 1;
    cregio.IREG = 1;
}

void csets() {
    csetf.SETNAM.fill(Word8());
    csetf.ISFRST.fill(0);
    csetf.ISLAST.fill(0);
    // The free list runs 1, 2, ..., SET_POOL and ends one past the pool.
    for (int i = 1; i <= SET_POOL; ++i) {
        csetf.ISELEM(i) = 0;
        csetf.ISNEXT(i) = i + 1;
    }
    csetf.ISFREE = 1;
    csetf.ISHIGH = 1;
    csetf.NSET = 1;
    csetf.SETNAM(1) = Word8("MESH");
    csetf.ISCUR = 1;
}

void cprofs() {
    cprofi.PRFNAM.fill(Word8());
    cprofi.IPFRST.fill(0);
    cprofi.IPLAST.fill(0);
    for (int i = 1; i <= PROF_POOL; ++i) {
        cprofi.IPELEM(i) = 0;
        cprofi.IPSIDE(i) = 0;
        cprofi.IPNEXT(i) = i + 1;
    }
    cprofi.IPFREE = 1;
    cprofi.IPHIGH = 1;
    cprofi.NPROF = 0;
    cprofi.IPCUR = 0;
}

void reset_node_table() {
    cnodet.IG.fill(0);
    cnodet.JG.fill(0);
    cnodet.NODG.fill(0);
    cnodet.ICURV.fill(0);
    cnodet.IHEAD.fill(0);
    for (int s = 1; s < MAXGNOD; ++s) cnodet.NEXTG(s) = s + 1;
    cnodet.NEXTG(MAXGNOD) = 0;
    cnodet.IFREE = 1;
    cgeomtyp.ICTYPE = 0;
    cgeomtyp.NCURV = 0;
    cgeomtyp.NXTGEO = 1;
}

void table_full(std::string_view what, int limit) {
    ffldou(0, MSG_ERROR,
           "*** TABLE FULL: " + std::string(what) + ", AT MOST " + std::to_string(limit));
}

//// name or number look-ups ////

namespace {

enum class Value { number, word, none };

Value value_kind(int ipos) {
    if (ipos < 1 || ipos > NFIELD_SLOTS) return Value::none;
    if (iodati.ITYPE(ipos) == FT_NUMBER) return Value::number;
    if (iodati.ITYPE(ipos) == FT_WORD) return Value::word;
    return Value::none;
}

// Takes the first entry of a list pool as the first (and empty end) entry of
// a new list.
template <typename Pool>
int take_first_entry(Pool& next, int& free, int& high) {
    int e = free;
    free = next(e);
    high = std::max(high, free);
    next(e) = 0;
    return e;
}

}  // namespace

void fregion(int ipos, int& mode) {
    Value v = value_kind(ipos);
    bool define = mode >= 0;
    if (v == Value::none) {
        ffldou(130, MSG_ERROR, "** EXPECTING NAME OR NUMBER AFTER \"REGION\" **");
        mode = 1;
        return;
    }
    int k = 0;
    if (v == Value::number) {
        k = ifix(iodata.FVALUE(ipos));
        if (k < 0 || k > 20) {
            ffldou(128, MSG_ERROR, "** INVALID REGION NUMBER **");
            mode = 1;
            return;
        }
    }
    if (define) {
        if (cregio.NREG >= MAXREG) {
            table_full("REGIONS", MAXREG);
            mode = 1;
            return;
        }
        int r = ++cregio.NREG;
        cregio.REGNAME(r) = v == Value::word ? iodatc.FWORD(ipos) : Word8();
        cregio.NUMREG(r) = v == Value::word ? 0 : k;
        cregio.IREG = r;
        mode = 0;
        return;
    }
    int found = 0;
    for (int r = 1; r <= cregio.NREG && found == 0; ++r) {
        if (v == Value::number ? cregio.NUMREG(r) == k : cregio.REGNAME(r) == iodatc.FWORD(ipos))
            found = r;
    }
    if (found == 0) {
        ffldou(129, MSG_ERROR, "** UNKNOWN REGION **");
        cregio.IREG = 1;
        mode = 1;
        return;
    }
    if (mode == LOOKUP_SECOND)
        cregio.IFROM = found;
    else
        cregio.IREG = found;
    mode = 0;
}

void fset(int ipos, int& mode) {
    Value v = value_kind(ipos);
    bool define = mode >= 0;
    if (v == Value::none) {
        ffldou(133, MSG_ERROR, "** EXPECTING NAME OR NUMBER AFTER \"SET\"  **");
        mode = 1;
        return;
    }
    int k = 0;
    if (v == Value::number) {
        k = ifix(iodata.FVALUE(ipos));
        if (k < 1 || k > MAXSET) {
            ffldou(131, MSG_ERROR, "** INVALID SET NUMBER **");
            csetf.ISCUR = 1;
            mode = 1;
            return;
        }
    }
    if (define) {
        if (csetf.NSET >= MAXSET) {
            table_full("ELEMENT SETS", MAXSET);
            mode = 1;
            return;
        }
        if (free_set_entries() < 1) {
            table_full("ELEMENT SET ENTRIES", SET_POOL);
            mode = 1;
            return;
        }
        int s = ++csetf.NSET;
        csetf.SETNAM(s) = v == Value::word ? iodatc.FWORD(ipos) : Word8();
        csetf.ISFRST(s) = take_first_entry(csetf.ISNEXT, csetf.ISFREE, csetf.ISHIGH);
        csetf.ISELEM(csetf.ISFRST(s)) = 0;
        csetf.ISLAST(s) = 0;
        csetf.ISCUR = s;
        mode = 0;
        return;
    }
    int found = 0;
    if (v == Value::number) {
        if (csetf.ISFRST(k) != 0) found = k;
    } else {
        for (int s = 1; s <= csetf.NSET && found == 0; ++s)
            if (csetf.SETNAM(s) == iodatc.FWORD(ipos)) found = s;
    }
    if (found == 0) {
        ffldou(132, MSG_ERROR, "** UNKNOWN SET **");
        csetf.ISCUR = 1;
        mode = 1;
        return;
    }
    if (mode == LOOKUP_SECOND)
        csetf.ISSEC = found;
    else
        csetf.ISCUR = found;
    mode = 0;
}

void fprof(int ipos, int& mode) {
    Value v = value_kind(ipos);
    bool define = mode >= 0;
    if (v == Value::none) {
        mode = 1;
        if (cprofi.IPCUR == 0) {
            ffldou(126, MSG_ERROR, "** EXPECTING NAME OR NUMBER AFTER \"PROFILE\"**");
        } else if (cprofi.PRFNAM(cprofi.IPCUR).blank()) {
            ffldou(0, MSG_LIST, fmt::line("(A22,I2)", {"** WORKING ON PROFILE ", cprofi.IPCUR}));
        } else {
            ffldou(0, MSG_LIST, "** WORKING ON PROFILE " + cprofi.PRFNAM(cprofi.IPCUR).str());
        }
        return;
    }
    int k = 0;
    if (v == Value::number) {
        k = ifix(iodata.FVALUE(ipos));
        if (k < 0 || k > MAXPROF) {
            ffldou(124, MSG_ERROR, "** INVALID PROFILE  NUMBER **");
            cprofi.IPCUR = 1;
            mode = 1;
            return;
        }
    }
    if (define) {
        if (cprofi.NPROF >= MAXPROF) {
            table_full("PROFILES", MAXPROF);
            mode = 1;
            return;
        }
        if (free_profile_entries() < 1) {
            table_full("PROFILE ENTRIES", PROF_POOL);
            mode = 1;
            return;
        }
        int p = ++cprofi.NPROF;
        cprofi.PRFNAM(p) = v == Value::word ? iodatc.FWORD(ipos) : Word8();
        cprofi.IPFRST(p) = take_first_entry(cprofi.IPNEXT, cprofi.IPFREE, cprofi.IPHIGH);
        cprofi.IPELEM(cprofi.IPFRST(p)) = 0;
        cprofi.IPSIDE(cprofi.IPFRST(p)) = 0;
        cprofi.IPLAST(p) = 0;
        cprofi.IPCUR = p;
        mode = 0;
        return;
    }
    int found = 0;
    if (v == Value::number) {
        // Profile 0 is a valid number, but no profile has that entry.
        if (k >= 1 && cprofi.IPFRST(k) != 0) found = k;
    } else {
        for (int p = 1; p <= cprofi.NPROF && found == 0; ++p)
            if (cprofi.PRFNAM(p) == iodatc.FWORD(ipos)) found = p;
    }
    if (found == 0) {
        ffldou(125, MSG_ERROR, "** UNKNOWN PROFILE **");
        cprofi.IPCUR = 1;
        mode = 1;
        return;
    }
    if (mode == LOOKUP_SECOND)
        cprofi.IPSEC = found;
    else
        cprofi.IPCUR = found;
    mode = 0;
}

//// set and profile lists ////

// The pools' free lists are always their untaken tail: entries are never
// given back.
int free_set_entries() {
    return std::max(0, SET_POOL + 1 - csetf.ISFREE);
}
int free_profile_entries() {
    return std::max(0, PROF_POOL + 1 - cprofi.IPFREE);
}

void addset(int iel) {
    int s = csetf.ISCUR;
    // Set 1 ("MESH") and an unknown set chosen after a refusal have no list.
    if (s < 1 || s > MAXSET || csetf.ISFRST(s) == 0 || free_set_entries() < 1) return;
    int e = csetf.ISFRST(s);
    while (csetf.ISNEXT(e) != 0) e = csetf.ISNEXT(e);
    csetf.ISELEM(e) = iel;
    csetf.ISNEXT(e) = csetf.ISFREE;
    int t = csetf.ISFREE;
    csetf.ISFREE = csetf.ISNEXT(t);
    csetf.ISNEXT(t) = 0;
    csetf.ISELEM(t) = 0;
    csetf.ISLAST(s) = t;
    csetf.ISHIGH = std::max(csetf.ISHIGH, csetf.ISFREE);
}

bool set_holds(int iset, int iel) {
    if (iset < 1 || iset > MAXSET || iel < 1) return false;
    // Each list ends in one empty entry holding 0, which never matches.
    for (int e = csetf.ISFRST(iset), n = 0; e != 0 && n < SET_POOL; e = csetf.ISNEXT(e), ++n)
        if (csetf.ISELEM(e) == iel) return true;
    return false;
}

void addprof(int iel, int iside) {
    int p = cprofi.IPCUR;
    if (p < 1 || p > MAXPROF || cprofi.IPFRST(p) == 0 || free_profile_entries() < 1) return;
    int e = cprofi.IPFRST(p);
    while (cprofi.IPNEXT(e) != 0) e = cprofi.IPNEXT(e);
    cprofi.IPELEM(e) = iel;
    cprofi.IPSIDE(e) = iside;
    cprofi.IPNEXT(e) = cprofi.IPFREE;
    int t = cprofi.IPFREE;
    cprofi.IPFREE = cprofi.IPNEXT(t);
    cprofi.IPNEXT(t) = 0;
    cprofi.IPELEM(t) = 0;
    cprofi.IPSIDE(t) = 0;
    cprofi.IPLAST(p) = t;
    cprofi.IPHIGH = std::max(cprofi.IPHIGH, cprofi.IPFREE);
}

//// node table ////

void fref(int i, int j, int ir, int& node, int mode) {
    if (mode != 1 && mode != 2) return;
    int last = 0;
    for (int s = cnodet.IHEAD(ir); s != 0; s = cnodet.NEXTG(s)) {
        if (cnodet.IG(s) == i && cnodet.JG(s) == j) {
            if (mode == 1) {
                node = cnodet.NODG(s);
                return;
            }
            if (cnodet.NODG(s) != node) {
                write_terminal(fmt::list({"WARNING : I,J,K DEFINED", i, j, ir}));
                return;
            }
        }
        last = s;
    }
    if (mode == 1) {
        node = 0;
        return;
    }
    int s = cnodet.IFREE;
    if (s == 0) {
        // The commands check the free slots first; this is the last guard.
        ffldou(0, MSG_ERROR, "INSUFFICIENT NUMBER OF NODES");
        sstop(0, "FREF");
    }
    if (last == 0)
        cnodet.IHEAD(ir) = s;
    else
        cnodet.NEXTG(last) = s;
    cnodet.IG(s) = i;
    cnodet.JG(s) = j;
    cnodet.NODG(s) = node;
    cnodet.ICURV(s) = cgeomtyp.ICTYPE != 0 ? cgeomtyp.NCURV * 100 + cgeomtyp.ICTYPE : 0;
    cnodet.IFREE = cnodet.NEXTG(s);
    cnodet.NEXTG(s) = 0;
}

void fnref(int node, int& i, int& j, int& ir, int& icode) {
    for (int r = 1; r <= MAXREG; ++r) {
        for (int s = cnodet.IHEAD(r); s != 0; s = cnodet.NEXTG(s)) {
            if (cnodet.NODG(s) == node) {
                i = cnodet.IG(s);
                j = cnodet.JG(s);
                ir = r;
                icode = cnodet.ICURV(s);
                return;
            }
        }
    }
    i = j = ir = 0;
}

int free_slots() {
    int n = 0;
    for (int s = cnodet.IFREE; s != 0 && n < MAXGNOD; s = cnodet.NEXTG(s)) ++n;
    return n;
}

}  // namespace kavren
