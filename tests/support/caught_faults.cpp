#include "caught_faults.h"

#include <gtest/gtest.h>

#include <atomic>

#include "foundation/core/guard.h"

namespace {

// Set from whichever thread provokes the fault.
std::atomic<bool> g_faultsExpected{false};

// Compares the count of caught faults at the end of each test with its count at the start.
class CaughtFaultWatch : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    g_faultsExpected = false;
    countAtStart_ = CaughtFaultCount();
  }

  void OnTestEnd(const testing::TestInfo&) override {
    const uint32_t caught = CaughtFaultCount() - countAtStart_;
    if (caught != 0 && !g_faultsExpected)
      ADD_FAILURE() << "guards caught " << caught << " fault(s) the test did not expect; QVRX_TRACE names a file "
                    << "that records where";
  }

  uint32_t countAtStart_ = 0;
};

// Registered before main runs: the test executables use the main of GoogleTest.
const bool g_watchRegistered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new CaughtFaultWatch);
  return true;
}();

}  // namespace

void ExpectCaughtFaults() { g_faultsExpected = true; }
