// The time of the quickest of a few runs of the same work, so that other work on the machine does not decide a
// benchmark's ratio.
#pragma once
#include <windows.h>

template <typename Work>
double BestSecondsOf(int runs, Work&& work) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  for (int run = 0; run < runs; ++run) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    const double seconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (seconds < best) best = seconds;
  }
  return best;
}
