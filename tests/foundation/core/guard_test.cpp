// The guard around calls into other parts: C++ exceptions and hardware faults both end in the caller's
// failure result, and the thread goes on working afterwards.
#include "foundation/core/guard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "main_window_stand_in.h"

namespace {

volatile int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;

__attribute__((noinline)) int WriteThroughNull() {
  *g_nowhere = 1;
  return 1;
}

__attribute__((noinline)) int DivideByZero() { return 10 / g_zero; }

__attribute__((noinline)) int Throw() { throw std::runtime_error("provider failed"); }

__attribute__((noinline)) int ExecuteIllegalInstruction() {
  __builtin_trap();
  return 1;
}

int CompareFaulting(const void*, const void*) { return WriteThroughNull(); }

}  // namespace

TEST(Guard, CxxExceptionYieldsTheFailureResult) {
  EXPECT_EQ(GuardedCall(-1, [] { return 42; }), 42);
  EXPECT_EQ(GuardedCall(-1, [] { return Throw(); }), -1);
  EXPECT_EQ(GuardedCall(50, [] { return Throw(); }), 50);
}

TEST(Guard, HardwareFaultsYieldTheFailureResultAgainAndAgain) {
  EXPECT_EQ(GuardedCall(-2, [] { return WriteThroughNull(); }), -2);
  EXPECT_EQ(GuardedCall(-3, [] { return DivideByZero(); }), -3);
  EXPECT_EQ(GuardedCall(-4, [] { return ExecuteIllegalInstruction(); }), -4);
  // The thread keeps working: a second fault of each kind is caught the same way.
  EXPECT_EQ(GuardedCall(-5, [] { return WriteThroughNull(); }), -5);
  EXPECT_EQ(GuardedCall(-6, [] { return DivideByZero(); }), -6);
  EXPECT_EQ(GuardedCall(7, [] { return 7; }), 7);
}

TEST(Guard, FaultFrameReportsTheExceptionCode) {
  EXPECT_EQ(RunInFaultFrame([](void*) { WriteThroughNull(); }, nullptr), EXCEPTION_ACCESS_VIOLATION);
  EXPECT_EQ(RunInFaultFrame([](void*) { DivideByZero(); }, nullptr), EXCEPTION_INT_DIVIDE_BY_ZERO);
  int ran = 0;
  EXPECT_EQ(RunInFaultFrame([](void* count) { ++*static_cast<int*>(count); }, &ran), 0u);
  EXPECT_EQ(ran, 1);
}

TEST(Guard, InnermostOfNestedGuardsTakesTheFault) {
  int outer = GuardedCall(-1, [] {
    int inner = GuardedCall(-7, [] { return WriteThroughNull(); });
    return inner * 10;
  });
  EXPECT_EQ(outer, -70);
}

TEST(Guard, FaultInsideACallbackOfSystemCodeUnwindsThroughIt) {
  int result = GuardedCall(-9, [] {
    int values[4] = {3, 1, 2, 0};
    qsort(values, 4, sizeof values[0], CompareFaulting);
    return 1;
  });
  EXPECT_EQ(result, -9);
  EXPECT_EQ(GuardedCall(-10, [] { return DivideByZero(); }), -10);
}

TEST(Guard, WorksOnWorkerThreads) {
  int divided = 0;
  int written = 0;
  WorkerThread worker([&] {
    divided = GuardedCall(-1, [] { return DivideByZero(); });
    written = GuardedCall(-2, [] { return WriteThroughNull(); });
  });
  worker.Join();
  EXPECT_EQ(divided, -1);
  EXPECT_EQ(written, -2);
}
