// 1-based fixed arrays stored by columns, as the system's routines index them.
// Bounds are checked when KAVREN_CHECKED is defined (debug and sanitizer builds).
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace kavren {

[[noreturn]] inline void array_bounds_fault(const char* what, long index, long extent) {
    std::fprintf(stderr, "kavren: %s index %ld outside 1..%ld\n", what, index, extent);
    std::abort();
}

// One-dimensional array a(1..N).
template <typename T, int N>
struct Arr1 {
    std::array<T, N> v{};

    T& operator()(int i) {
#ifdef KAVREN_CHECKED
        if (i < 1 || i > N) array_bounds_fault("Arr1", i, N);
#endif
        return v[static_cast<std::size_t>(i - 1)];
    }
    const T& operator()(int i) const { return const_cast<Arr1*>(this)->operator()(i); }
    T* data() { return v.data(); }
    const T* data() const { return v.data(); }
    static constexpr int size() { return N; }
    void fill(const T& x) { v.fill(x); }
};

// Two-dimensional array a(1..N1, 1..N2), first index fastest.
template <typename T, int N1, int N2>
struct Arr2 {
    std::array<T, static_cast<std::size_t>(N1) * N2> v{};

    T& operator()(int i, int j) {
#ifdef KAVREN_CHECKED
        if (i < 1 || i > N1) array_bounds_fault("Arr2 row", i, N1);
        if (j < 1 || j > N2) array_bounds_fault("Arr2 column", j, N2);
#endif
        return v[static_cast<std::size_t>(i - 1) + static_cast<std::size_t>(j - 1) * N1];
    }
    const T& operator()(int i, int j) const { return const_cast<Arr2*>(this)->operator()(i, j); }
    T* data() { return v.data(); }
    const T* data() const { return v.data(); }
    static constexpr int rows() { return N1; }
    static constexpr int cols() { return N2; }
    void fill(const T& x) { v.fill(x); }
};

// Three-dimensional array a(1..N1, 1..N2, 1..N3), first index fastest.
template <typename T, int N1, int N2, int N3>
struct Arr3 {
    std::array<T, static_cast<std::size_t>(N1) * N2 * N3> v{};

    T& operator()(int i, int j, int k) {
#ifdef KAVREN_CHECKED
        if (i < 1 || i > N1) array_bounds_fault("Arr3 first", i, N1);
        if (j < 1 || j > N2) array_bounds_fault("Arr3 second", j, N2);
        if (k < 1 || k > N3) array_bounds_fault("Arr3 third", k, N3);
#endif
        return v[static_cast<std::size_t>(i - 1) +
                 static_cast<std::size_t>(N1) * (static_cast<std::size_t>(j - 1) +
                                                 static_cast<std::size_t>(N2) * (k - 1))];
    }
    const T& operator()(int i, int j, int k) const {
        return const_cast<Arr3*>(this)->operator()(i, j, k);
    }
    T* data() { return v.data(); }
    void fill(const T& x) { v.fill(x); }
};

// A view of caller storage with a leading dimension, for routines that take
// an array argument A(LDA, *) and index it from 1.
template <typename T>
struct View2 {
    T* base;
    int ld;
    T& operator()(int i, int j) const {
        return base[static_cast<std::ptrdiff_t>(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * ld];
    }
};

}  // namespace kavren
