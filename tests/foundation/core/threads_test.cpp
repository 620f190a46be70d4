// Worker threads, late freeing, brief mutex waits and work sent to the GUI thread.
#include "foundation/core/threads.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "foundation/core/app_state.h"
#include "foundation/core/memory.h"
#include "main_window_stand_in.h"
#include "support/caught_faults.h"

namespace {

LRESULT ReportThread(void* argument) {
  *static_cast<DWORD*>(argument) = GetCurrentThreadId();
  return 1234;
}

LRESULT ThrowInside(void*) { throw std::runtime_error("job failed"); }

LRESULT FaultInside(void*) {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
  return 5;
}

DWORD WINAPI SetEventProc(void* event) {
  SetEvent(static_cast<HANDLE>(event));
  return 0;
}

DWORD WINAPI TakeMutexAndEnd(void* mutex) {
  WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE);
  return 0;
}

}  // namespace

TEST(Threads, StartThreadRunsTheRoutineWithItsParameter) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = StartThread(SetEventProc, event);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0);
  WaitForSingleObject(thread, 5000);
  CloseHandleSafe(thread);
  CloseHandleSafe(event);
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(event, &flags));
  CloseHandleSafe(nullptr);
  CloseHandleSafe(INVALID_HANDLE_VALUE);
}

TEST(Threads, WaitMutexBrieflyFailsOnlyOnATimeout) {
  EXPECT_TRUE(WaitMutexBriefly(nullptr));

  HANDLE abandoned = CreateMutexW(nullptr, FALSE, nullptr);
  HANDLE taker = CreateThread(nullptr, 0, TakeMutexAndEnd, abandoned, 0, nullptr);
  WaitForSingleObject(taker, 5000);
  CloseHandle(taker);
  EXPECT_TRUE(WaitMutexBriefly(abandoned));
  ReleaseMutexSafe(abandoned);
  CloseHandle(abandoned);

  HANDLE held = CreateMutexW(nullptr, FALSE, nullptr);
  {
    MutexHeldElsewhere holder(held);
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitMutexBriefly(held));
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 40u);
    EXPECT_LT(waited, 2000u);
  }
  EXPECT_TRUE(WaitMutexBriefly(held));
  ReleaseMutexSafe(held);
  CloseHandle(held);
}

TEST(Threads, RunOnGuiThreadFromAWorkerRunsOnTheMainWindowThread) {
  MainWindowStandIn mainWindow;
  DWORD ranOn = 0;
  LRESULT result = 0;
  WorkerThread worker([&] { result = RunOnGuiThread(ReportThread, &ranOn); });
  ASSERT_TRUE(mainWindow.PumpUntil([&] { return worker.Finished(); }));
  EXPECT_EQ(result, 1234);
  EXPECT_EQ(ranOn, GetCurrentThreadId());
  EXPECT_EQ(mainWindow.CallsRun(), 1);
}

TEST(Threads, RunOnGuiThreadRunsOnTheCallerWithoutAMainWindow) {
  ASSERT_EQ(g_mainWindow, nullptr);
  DWORD ranOn = 0;
  DWORD workerId = 0;
  LRESULT result = 0;
  WorkerThread worker([&] {
    workerId = GetCurrentThreadId();
    result = RunOnGuiThread(ReportThread, &ranOn);
  });
  worker.Join();
  EXPECT_EQ(result, 1234);
  EXPECT_EQ(ranOn, workerId);
}

TEST(Threads, RunOnGuiThreadOnTheGuiThreadSendsNoMessage) {
  MainWindowStandIn mainWindow;
  DWORD ranOn = 0;
  EXPECT_EQ(RunOnGuiThread(ReportThread, &ranOn), 1234);
  EXPECT_EQ(ranOn, GetCurrentThreadId());
  EXPECT_EQ(mainWindow.CallsRun(), 0);
}

TEST(Threads, RunOnGuiThreadRunsOnTheCallerWhenTheMainWindowIsGone) {
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  g_mainWindow = gone;
  DWORD ranOn = 0;
  DWORD workerId = 0;
  LRESULT result = 0;
  WorkerThread worker([&] {
    workerId = GetCurrentThreadId();
    result = RunOnGuiThread(ReportThread, &ranOn);
  });
  worker.Join();
  g_mainWindow = nullptr;
  EXPECT_EQ(result, 1234);
  EXPECT_EQ(ranOn, workerId);
}

TEST(Threads, GuiThreadJobThatThrowsOrFaultsAnswersZero) {
  ExpectCaughtFaults();
  EXPECT_EQ(HandleRunOnGuiThreadMessage(reinterpret_cast<WPARAM>(ThrowInside), 0), 0);
  EXPECT_EQ(HandleRunOnGuiThreadMessage(reinterpret_cast<WPARAM>(FaultInside), 0), 0);
  EXPECT_EQ(HandleRunOnGuiThreadMessage(0, 0), 0);
  DWORD ranOn = 0;
  EXPECT_EQ(HandleRunOnGuiThreadMessage(reinterpret_cast<WPARAM>(ReportThread), reinterpret_cast<LPARAM>(&ranOn)),
            1234);
}
