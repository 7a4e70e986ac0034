// Fixed-size tables indexed from 1, the first index varying fastest, so that
// code reads like the model: BUF1(k + 2), XX(m, g), TRANC(i, j, k).
// Every table starts zero. With KINSEG_CHECK_BOUNDS defined (the sanitizer
// build) an index outside the table aborts the run at once.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kin {

#ifdef KINSEG_CHECK_BOUNDS
[[noreturn]] inline void index_out_of_table(long i, long n) {
  std::fprintf(stderr, "index %ld outside table of %ld\n", i, n);
  std::abort();
}
#define KIN_CHECK_INDEX(i, n) \
  do {                        \
    if ((i) < 1 || (i) > (n)) ::kin::index_out_of_table((i), (n)); \
  } while (0)
#else
#define KIN_CHECK_INDEX(i, n) ((void)0)
#endif

template <class T, int N>
struct Table1 {
  static constexpr int kSize = N;
  T a[N]{};
  T& operator()(int i) {
    KIN_CHECK_INDEX(i, N);
    return a[i - 1];
  }
  const T& operator()(int i) const {
    KIN_CHECK_INDEX(i, N);
    return a[i - 1];
  }
};

template <class T, int N1, int N2>
struct Table2 {
  T a[N1 * N2]{};
  T& operator()(int i, int j) {
    KIN_CHECK_INDEX(i, N1);
    KIN_CHECK_INDEX(j, N2);
    return a[(i - 1) + (j - 1) * N1];
  }
  const T& operator()(int i, int j) const {
    KIN_CHECK_INDEX(i, N1);
    KIN_CHECK_INDEX(j, N2);
    return a[(i - 1) + (j - 1) * N1];
  }
};

template <class T, int N1, int N2, int N3>
struct Table3 {
  T a[N1 * N2 * N3]{};
  T& operator()(int i, int j, int k) {
    KIN_CHECK_INDEX(i, N1);
    KIN_CHECK_INDEX(j, N2);
    KIN_CHECK_INDEX(k, N3);
    return a[(i - 1) + (j - 1) * N1 + (k - 1) * N1 * N2];
  }
  const T& operator()(int i, int j, int k) const {
    KIN_CHECK_INDEX(i, N1);
    KIN_CHECK_INDEX(j, N2);
    KIN_CHECK_INDEX(k, N3);
    return a[(i - 1) + (j - 1) * N1 + (k - 1) * N1 * N2];
  }
};

}  // namespace kin
