#include "views/row_walk.h"

#include "foundation/core/jobs.h"

namespace {

// Below this many cells a walk takes a few hundredths of a second: a job would only flash its progress.
constexpr uint64_t kCellsWalkedInPlace = 20000;

}  // namespace

bool WalksAsJob(const ListCellReader& reader, uint64_t cells) {
  return reader.rows != nullptr && cells > kCellsWalkedInPlace;
}

RowWalk StartRowWalk(bool asJob, uint32_t total) {
  if (asJob) ShowJobProgress(0, total);
  return RowWalk{asJob, 0, total, false};
}

bool StepRowWalk(RowWalk* walk) {
  if (!walk->asJob) return true;
  walk->stopped = walk->stopped || JobStopRequested();
  if (walk->stopped) return false;
  const uint32_t done = walk->done + 1;
  if (walk->total > 0 && done * 100ull / walk->total != walk->done * 100ull / walk->total) {
    ShowJobProgress(done, walk->total);
  }
  walk->done = done;
  return true;
}
