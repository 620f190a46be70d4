// A walk over the rows of a list that may take long (a copy to the clipboard, an export): one made straight from
// the file list's rows runs as a job on a worker when it has many cells, with the job's progress display and its
// Stop; a short one, and one that must ask the list for each cell, runs at once on the list's thread.
#pragma once
#include <cstdint>

#include "views/list_text_columns.h"

struct RowWalk {
  bool asJob;  // on a job's worker: the progress follows the walk, and a Stop ends it
  uint32_t done;
  uint32_t total;
  bool stopped;
};

// Whether a walk over `cells` cells of the reader runs as a job.
bool WalksAsJob(const ListCellReader& reader, uint64_t cells);

// A walk over `total` rows; on a job's worker when `asJob`.
RowWalk StartRowWalk(bool asJob, uint32_t total);
// Counts one row walked; false once the walk must end (a job whose Stop came).
bool StepRowWalk(RowWalk* walk);
