// The body of the dense update kernels, built once per instruction set: each
// dense_<isa>.cpp defines its vector type V (lanes, loads and stores of whole
// and partial vectors, broadcast, c - a b) and includes this file, whose
// functions then have internal linkage in that translation unit only. Nothing
// from the standard library is used here, so no inline function compiled for
// a wider instruction set can be shared with the rest of the program.
//
// The update holds a tile of NC columns by MV vectors of rows in registers
// while the kb terms pass over it; each term loads the MV vectors of p and
// broadcasts the NC values of q.
#pragma once

namespace {

// Lanes of the vector from row r that lie below row len: 0..W.
inline int lanes(int len, int r) {
    const int n = len - r;
    return n < 0 ? 0 : n > V::W ? V::W : n;
}

// Rows r.. of the columns; p points at the term-0 value of row r. With Top,
// column j ends early: it takes only its rows below len[j] (counted from the
// start of the terms), and the rest of its vectors is neither read nor
// written.
template <int NC, int MV, bool Top = false>
inline void tile(double* const* cols, int r, const double* p, long ldp, const double* q, long ldq,
                 int kb, const int* len = nullptr) {
    // The column pointers are copied first: the stores through them could
    // otherwise change them, and each would be read again.
    double* c[NC];
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j) c[j] = cols[j] + r;
    typename V::type acc[NC][MV];
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j)
#pragma GCC unroll 4
        for (int v = 0; v < MV; ++v)
            acc[j][v] = Top ? V::loadn(c[j] + v * V::W, lanes(len[j], r + v * V::W))
                            : V::load(c[j] + v * V::W);
    const double* pt = p;
    const double* qt = q;
    for (int t = 0; t < kb; ++t, pt += ldp, qt += ldq) {
        typename V::type a[MV];
#pragma GCC unroll 4
        for (int v = 0; v < MV; ++v) a[v] = V::load(pt + v * V::W);
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j) {
            const typename V::type b = V::bcast(qt[j]);
#pragma GCC unroll 4
            for (int v = 0; v < MV; ++v) acc[j][v] = V::msub(acc[j][v], a[v], b);
        }
    }
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j)
#pragma GCC unroll 4
        for (int v = 0; v < MV; ++v) {
            if (Top) {
                V::storen(c[j] + v * V::W, acc[j][v], lanes(len[j], r + v * V::W));
            } else {
                V::store(c[j] + v * V::W, acc[j][v]);
            }
        }
}

// The last n < W rows from row r, through partial loads and stores.
template <int NC>
inline void tile_tail(double* const* cols, int r, int n, const double* p, long ldp, const double* q,
                      long ldq, int kb) {
    double* c[NC];
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j) c[j] = cols[j] + r;
    typename V::type acc[NC];
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j) acc[j] = V::loadn(c[j], n);
    const double* pt = p;
    const double* qt = q;
    for (int t = 0; t < kb; ++t, pt += ldp, qt += ldq) {
        const typename V::type a = V::loadn(pt, n);
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j) acc[j] = V::msub(acc[j], a, V::bcast(qt[j]));
    }
#pragma GCC unroll 16
    for (int j = 0; j < NC; ++j) V::storen(c[j], acc[j], n);
}

template <int NC>
void columns(double* const* cols, int m, const double* p, long ldp, const double* q, long ldq,
             int kb) {
    int r = 0;
    for (; r + V::MV * V::W <= m; r += V::MV * V::W)
        tile<NC, V::MV>(cols, r, p + r, ldp, q, ldq, kb);
    for (; r + V::W <= m; r += V::W) tile<NC, 1>(cols, r, p + r, ldp, q, ldq, kb);
    if (r < m) tile_tail<NC>(cols, r, m - r, p + r, ldp, q, ldq, kb);
}

// The same with the terms packed: block b of R rows holds its kb terms one
// after the other, R values each, from pp + b kb R.
template <int NC>
void columns_packed(double* const* cols, int m, const double* pp, const double* q, long ldq,
                    int kb) {
    constexpr int R = V::MV * V::W;
    for (int r = 0; r < m; r += R, pp += static_cast<long>(kb) * R) {
        if (r + R <= m) {
            tile<NC, V::MV>(cols, r, pp, R, q, ldq, kb);
            continue;
        }
        int v = 0;
        for (; r + (v + 1) * V::W <= m; ++v)
            tile<NC, 1>(cols, r + v * V::W, pp + v * V::W, R, q, ldq, kb);
        if (r + v * V::W < m)
            tile_tail<NC>(cols, r + v * V::W, m - r - v * V::W, pp + v * V::W, R, q, ldq, kb);
    }
}

// Runs run<n>() for a count n of 1..NC.
template <int NC, class F>
void by_count(int n, F run) {
    // clang-format off
    switch (n) {
        case 1: run.template operator()<1>(); break;
        case 2: run.template operator()<(2 < NC ? 2 : NC)>(); break;
        case 3: run.template operator()<(3 < NC ? 3 : NC)>(); break;
        case 4: run.template operator()<(4 < NC ? 4 : NC)>(); break;
        case 5: run.template operator()<(5 < NC ? 5 : NC)>(); break;
        case 6: run.template operator()<(6 < NC ? 6 : NC)>(); break;
        case 7: run.template operator()<(7 < NC ? 7 : NC)>(); break;
        default: run.template operator()<NC>(); break;
    }
    // clang-format on
}

// columns_packed for columns that end early: each step takes the columns
// from the first that has not ended at its rows on, so that a column costs
// nothing past its end once the columns before it have ended too (in the
// symmetric front the columns of a tile end in order, each at its own slot).
// Rows that all those columns hold go a block or a vector at a time without
// masks; a vector that some of them end in, with masks.
template <int NC>
void columns_packed_top(double* const* cols, const int* len, int m, const double* pp,
                        const double* q, long ldq, int kb) {
    constexpr int R = V::MV * V::W;
    int last = 0;
    for (int j = 0; j < NC; ++j) last = len[j] > last ? len[j] : last;
    if (last > m) last = m;
    int j0 = 0;
    for (int r = 0; r < last;) {
        while (len[j0] <= r) ++j0;
        int held = last;  // rows that every column from j0 on holds
        for (int j = j0; j < NC; ++j) held = len[j] < held ? len[j] : held;
        const double* p = pp + static_cast<long>(r / R) * kb * R + r % R;
        const int step = r % R == 0 && r + R <= held ? R : V::W;
        by_count<NC>(NC - j0, [&]<int N>() {
            if (step == R) {
                tile<N, V::MV>(cols + j0, r, p, R, q + j0, ldq, kb);
            } else if (r + V::W <= held) {
                tile<N, 1>(cols + j0, r, p, R, q + j0, ldq, kb);
            } else {
                tile<N, 1, true>(cols + j0, r, p, R, q + j0, ldq, kb, len + j0);
            }
        });
        r += step;
    }
}

// Runs run<n>(cols, q) over the columns in tiles of at most V::NC.
template <class F>
void by_tiles(double* const* cols, int nc, const double* q, F run) {
    while (nc > 0) {
        const int n = nc < V::NC ? nc : V::NC;
        by_count<V::NC>(n, [&]<int N>() { run.template operator()<N>(cols, q); });
        cols += n;
        q += n;
        nc -= n;
    }
}

// One column: the terms go over it eight (then four) at a time, each group
// streaming its rows of p once over the column, which stays in the nearest
// cache.
// Term g's values start at p[g].
template <int G>
inline void column_terms(double* c, int m, const double* const* p, const double* q) {
    typename V::type b[G];
    const double* pg[G];
#pragma GCC unroll 8
    for (int g = 0; g < G; ++g) {
        b[g] = V::bcast(q[g]);
        pg[g] = p[g];
    }
    int r = 0;
    for (; r + V::W <= m; r += V::W) {
        typename V::type v = V::load(c + r);
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) v = V::msub(v, V::load(pg[g] + r), b[g]);
        V::store(c + r, v);
    }
    if (r < m) {
        const int n = m - r;
        typename V::type v = V::loadn(c + r, n);
#pragma GCC unroll 8
        for (int g = 0; g < G; ++g) v = V::msub(v, V::loadn(pg[g] + r, n), b[g]);
        V::storen(c + r, v, n);
    }
}

void column(double* c, int m, const double* const* p, const double* q, int kb) {
    if (m <= 0) return;
    int t = 0;
    for (; t + 8 <= kb; t += 8) column_terms<8>(c, m, p + t, q + t);
    for (; t + 4 <= kb; t += 4) column_terms<4>(c, m, p + t, q + t);
    for (; t < kb; ++t) column_terms<1>(c, m, p + t, q + t);
}

void update(double* const* cols, int nc, int m, const double* p, long ldp, const double* q,
            long ldq, int kb) {
    if (m <= 0 || kb <= 0) return;
    by_tiles(cols, nc, q, [=]<int NC>(double* const* c, const double* qq) {
        columns<NC>(c, m, p, ldp, qq, ldq, kb);
    });
}

void update_packed(double* const* cols, int nc, int m, const double* pp, const double* q, long ldq,
                   int kb) {
    if (m <= 0 || kb <= 0) return;
    by_tiles(cols, nc, q, [=]<int NC>(double* const* c, const double* qq) {
        columns_packed<NC>(c, m, pp, qq, ldq, kb);
    });
}

void update_packed_top(double* const* cols, const int* len, int nc, int m, const double* pp,
                       const double* q, long ldq, int kb) {
    if (m <= 0 || kb <= 0) return;
    by_tiles(cols, nc, q, [=]<int NC>(double* const* c, const double* qq) {
        columns_packed_top<NC>(c, len + (c - cols), m, pp, qq, ldq, kb);
    });
}

void divide(double* v, double d, int n) {
    const typename V::type dv = V::bcast(d);
    int a = 0;
    for (; a + V::W <= n; a += V::W) V::store(v + a, V::load(v + a) / dv);
    if (a < n) V::storen(v + a, V::loadn(v + a, n - a) / dv, n - a);
}

}  // namespace
