// One job at a time. A job is work that reads or changes the listed files on a worker thread: a folder
// listing, a rename run, an undo, and the tools that change attributes and times. Jobs run one after the
// other: the busy counter of AppState goes from 0 to 1 when a job begins and back when it ends, and nothing
// raises it while it is not 0. Meanwhile the commands that change the chain, the file list or the settings a
// job reads are refused, the main window does not close, and a folder chosen meanwhile waits. The Stop command
// raises the cancel counter, which a job tests before each file and clears when it begins. Job threads are
// counted, so that the end of a run can wait for them before it frees the state.
//
// Holds keep jobs from beginning while something jobs read without a lock is changed in place: a step's
// settings while its dialog is open, the filter while the filter dialog is, the block of a table jobs read
// while it moves. While one is held no job begins. When a job ends or the last hold goes, jobs may begin
// again, and what waited (a folder listing) begins at once; the main window's timer is only a fallback.
//
// The parts above the foundation hear of jobs through JobNotices: the shell fills the table once, and every
// entry it leaves empty does nothing.
#pragma once
#include <windows.h>

#include <cstdint>

struct JobNotices {
  // A job began or ended: the enabled states of menus and toolbar follow.
  void (*jobStatesChanged)();
  // A job ended: what waited for it (a changed chain's preview) runs now.
  void (*jobEnded)();
  // A job's progress display: back to 0 % at its start, then the percentage done.
  void (*resetProgress)();
  void (*setProgressPercent)(uint32_t percent);
  // A job ended or the last hold went (any thread): what waited to begin (a folder listing) begins now.
  void (*jobsMayBegin)();
};

extern JobNotices g_jobNotices;

// True while a job holds the busy counter (false without an application state).
bool IsJobBusy();

// Takes the busy counter from 0, clears the cancel counter and tells of the new states. False, with nothing
// changed, while another job holds it or a hold is held. Whoever began the job ends it with EndExclusiveJob,
// also when the job fails.
bool BeginExclusiveJob();
// Gives the busy counter back, then tells of the new states, of the ended job and that jobs may begin (any
// thread).
void EndExclusiveJob();

// Begins a job and starts `job` on a worker thread with `parameter`; the job calls
// EndExclusiveJob when it ends. False, with nothing started, while another job is busy or when the thread
// cannot start.
bool StartExclusiveJob(LPTHREAD_START_ROUTINE job, void* parameter);

// Starts a job's thread and counts it until its routine has returned (EndExclusiveJob and what it calls
// included), so that the state it works in is not cleared or freed under it. Null when it could not start.
// StartExclusiveJob starts its jobs so; a job begun with BeginExclusiveJob starts its thread here.
HANDLE StartJobThread(LPTHREAD_START_ROUTINE routine, void* parameter);
// The end of a run: asks every job to stop and waits at most `timeoutMs` for every job thread to have returned,
// then releases what waited for that (below); false when one still runs.
bool StopJobsAndWait(DWORD timeoutMs);

// Releases what job threads may still read after its owner let it go (a destroyed list control): release(block)
// runs at once when no job thread runs, else in StopJobsAndWait once every job thread has returned (never when one
// does not). On the GUI thread, which alone starts job threads, so that none can begin in between.
void ReleaseAfterJobThreads(void (*release)(void* block), void* block);

// Holds (any thread; they nest). HoldJobsBack takes one whether a job is busy or not: for what a busy job does
// not read. HoldOffJobs takes one only while no job is busy: true then, false (nothing held) while one is.
// EndHoldingOffJobs lets one go of either kind; after the last, jobs may begin.
void HoldJobsBack();
bool HoldOffJobs();
void EndHoldingOffJobs();

// The Stop command: while a job is busy, asks it to stop.
void RequestJobStop();
// Tested by a job before each file or folder.
bool JobStopRequested();

// The progress display of a job: 0 % at its start (done 0), then done x 100 / total.
void ShowJobProgress(uint32_t done, uint32_t total);
