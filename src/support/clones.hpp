// Hot loops that only move, compare or do element-wise arithmetic are built
// for the wider instruction sets too, and the best one the machine runs is
// chosen when the program starts. The build keeps products and sums apart
// (no contraction into fused multiply-adds), so every clone gives the same
// bits.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KAVREN_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define KAVREN_CLONES
#endif
