// The guard around calls into other parts: C++ exceptions and hardware faults both end in the caller's
// failure result, and the thread goes on working afterwards.
#include "foundation/core/guard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "main_window_stand_in.h"
#include "support/caught_faults.h"
#include "support/temp_folder.h"

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

std::vector<void*> g_releasedLocks;

void RecordRelease(void* lock) { g_releasedLocks.push_back(lock); }

}  // namespace

TEST(Guard, CxxExceptionYieldsTheFailureResult) {
  ExpectCaughtFaults();
  EXPECT_EQ(GuardedCall(-1, [] { return 42; }), 42);
  EXPECT_EQ(GuardedCall(-1, [] { return Throw(); }), -1);
  EXPECT_EQ(GuardedCall(50, [] { return Throw(); }), 50);
}

TEST(Guard, HardwareFaultsYieldTheFailureResultAgainAndAgain) {
  ExpectCaughtFaults();
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
  ExpectCaughtFaults();
  int outer = GuardedCall(-1, [] {
    int inner = GuardedCall(-7, [] { return WriteThroughNull(); });
    return inner * 10;
  });
  EXPECT_EQ(outer, -70);
}

TEST(Guard, FaultInsideACallbackOfSystemCodeUnwindsThroughIt) {
  ExpectCaughtFaults();
  int result = GuardedCall(-9, [] {
    int values[4] = {3, 1, 2, 0};
    qsort(values, 4, sizeof values[0], CompareFaulting);
    return 1;
  });
  EXPECT_EQ(result, -9);
  EXPECT_EQ(GuardedCall(-10, [] { return DivideByZero(); }), -10);
}

TEST(Guard, AFaultReleasesTheLocksTakenInsideTheCallInnermostFirst) {
  ExpectCaughtFaults();
  g_releasedLocks.clear();
  int before = 0, released = 0, first = 0, second = 0;
  NoteLockTaken(&before, RecordRelease);
  EXPECT_EQ(GuardedCall(-1, [&] {
    NoteLockTaken(&first, RecordRelease);
    NoteLockTaken(&released, RecordRelease);
    NoteLockReleased(&released);
    NoteLockTaken(&second, RecordRelease);
    return WriteThroughNull();
  }), -1);
  EXPECT_EQ(g_releasedLocks, (std::vector<void*>{&second, &first})) << "the lock taken before the call is the caller's";
  EXPECT_EQ(NotedLockCount(), 1u);
  NoteLockReleased(&before);
  EXPECT_EQ(NotedLockCount(), 0u);
}

TEST(Guard, WorksOnWorkerThreads) {
  ExpectCaughtFaults();
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

TEST(Guard, CaughtFaultsAreCountedAndTracedWithTheirPlaceAndSubject) {
  ExpectCaughtFaults();
  TempFolder folder;
  const std::wstring trace = folder / L"trace.txt";
  SetEnvironmentVariableW(L"QVRX_TRACE", trace.c_str());
  const uint32_t before = CaughtFaultCount();
  const uint32_t beforeHere = CaughtFaultCountOnThisThread();
  GuardedCall(0, [] { return WriteThroughNull(); }, {"module", L"Audio"});
  GuardedCall(0, [] { return Throw(); }, {"plug-in", L"Test"});
  GuardedCall(0, [] { return 1; }, {"module", L"Case"});
  GuardedCall(0, [] { return GuardedCall(0, [] { return WriteThroughNull(); }, {"plug-in"}); }, {"plug-in", L"Test"});
  WorkerThread worker([] { GuardedCall(0, [] { return DivideByZero(); }); });
  worker.Join();
  SetEnvironmentVariableW(L"QVRX_TRACE", nullptr);
  EXPECT_EQ(CaughtFaultCount() - before, 4u);
  EXPECT_EQ(CaughtFaultCountOnThisThread() - beforeHere, 3u) << "a worker's fault is not this thread's";
  const std::string lines = ReadWholeFile(trace);
  const struct {
    const char* code;
    const char* subject;
  } expected[] = {{"fault C0000005 in ", ") module Audio\r\n"},
                  {"fault E06D7363 in ", ") plug-in Test\r\n"},
                  {"fault C0000005 in ", ") plug-in, within plug-in Test\r\n"},
                  {"fault C0000094 in ", ")\r\n"}};
  size_t at = 0;
  for (const auto& line : expected) {
    const size_t end = lines.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << lines;
    const std::string text = lines.substr(at, end + 2 - at);
    EXPECT_EQ(text.rfind(line.code, 0), 0u) << text;
    EXPECT_NE(text.find("CaughtFaultsAreCountedAndTracedWithTheirPlaceAndSubject"), std::string::npos) << text;
    EXPECT_NE(text.find("guard_test.cpp"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - strlen(line.subject)), line.subject) << text;
    at = end + 2;
  }
  EXPECT_EQ(at, lines.size()) << "a call that returned leaves no line";
}
