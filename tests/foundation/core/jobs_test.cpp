// One job at a time: a second job is refused while one holds the busy counter, the Stop request reaches only a
// busy job, the notices come in order, and the progress display's percentages.
#include "foundation/core/jobs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_state_scope.h"

namespace {

std::vector<std::string> g_notices;
std::vector<uint32_t> g_percents;

const JobNotices kLoggingNotices = {
    [] { g_notices.push_back("states"); },
    [] { g_notices.push_back("ended"); },
    [] { g_notices.push_back("reset"); },
    [](uint32_t percent) { g_percents.push_back(percent); },
};

class Jobs : public testing::Test {
 protected:
  Jobs() {
    g_notices.clear();
    g_percents.clear();
    g_jobNotices = kLoggingNotices;
  }
  ~Jobs() override { g_jobNotices = JobNotices{}; }

  ProgramStateScope state_;
};

DWORD WINAPI EndingJob(void*) {
  EndExclusiveJob();
  return 0;
}

}  // namespace

TEST_F(Jobs, OneJobAtATimeAndStopReachesOnlyABusyJob) {
  RequestJobStop();
  EXPECT_FALSE(JobStopRequested()) << "nothing to stop";
  ASSERT_TRUE(BeginExclusiveJob());
  EXPECT_TRUE(IsJobBusy());
  EXPECT_FALSE(BeginExclusiveJob());
  EXPECT_FALSE(StartExclusiveJob(EndingJob, nullptr));
  RequestJobStop();
  EXPECT_TRUE(JobStopRequested());
  EndExclusiveJob();
  EXPECT_FALSE(IsJobBusy());
  EXPECT_EQ(g_notices, (std::vector<std::string>{"states", "states", "ended"})) << "the states at the start too";
  ASSERT_TRUE(BeginExclusiveJob());
  EXPECT_FALSE(JobStopRequested()) << "a new job starts without the old Stop";
  EndExclusiveJob();
}

TEST_F(Jobs, HoldsKeepJobsFromBeginningAndJobsMayBeginAfterTheLastOrAfterTheJob) {
  g_jobNotices.jobsMayBegin = [] { g_notices.push_back("may begin"); };
  HoldJobsBack();
  ASSERT_TRUE(HoldOffJobs()) << "holds nest";
  EXPECT_FALSE(BeginExclusiveJob());
  EXPECT_FALSE(IsJobBusy());
  EndHoldingOffJobs();
  EXPECT_FALSE(BeginExclusiveJob()) << "one hold is left";
  EXPECT_TRUE(g_notices.empty());
  EndHoldingOffJobs();
  EXPECT_EQ(g_notices, std::vector<std::string>{"may begin"});
  ASSERT_TRUE(BeginExclusiveJob());
  EXPECT_FALSE(HoldOffJobs()) << "a busy job is not held off";
  HoldJobsBack();
  EndHoldingOffJobs();
  EndExclusiveJob();
  EXPECT_EQ(g_notices, (std::vector<std::string>{"may begin", "states", "states", "ended", "may begin"}))
      << "while the job runs, only its end tells";
}

TEST_F(Jobs, AStartedJobRunsOnItsThreadAndEndsItself) {
  // The job's thread tells too: counted without a lock.
  static volatile LONG changes = 0;
  static volatile LONG ended = 0;
  g_jobNotices.jobStatesChanged = [] { InterlockedIncrement(&changes); };
  g_jobNotices.jobEnded = [] { InterlockedIncrement(&ended); };
  ASSERT_TRUE(StartExclusiveJob(EndingJob, nullptr));
  for (int i = 0; i < 1000 && ended == 0; ++i) Sleep(10);
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(changes, 2) << "at the start and at the end";
  EXPECT_FALSE(IsJobBusy());
}

TEST_F(Jobs, ProgressStartsAtZeroAndCountsPercentDone) {
  struct Case {
    uint32_t done;
    uint32_t total;
    uint32_t percent;
  };
  const Case cases[] = {{0, 3, 0}, {1, 3, 33}, {3, 3, 100}, {0, 0, 0}, {4000000000u, 4000000000u, 100}};
  for (const Case& c : cases) ShowJobProgress(c.done, c.total);
  EXPECT_EQ(g_percents, (std::vector<uint32_t>{0, 33, 100, 0, 100}));
  EXPECT_EQ(g_notices, (std::vector<std::string>{"reset", "reset"})) << "a reset at each start only";
}
