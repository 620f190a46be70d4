#include "foundation/core/guard.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "foundation/core/trace_file.h"

// The fault frame is a tiny function with its own structured-exception handler: GCC has no __try, so the
// frame is written in assembly with the unwind data the system needs to walk through it. When a fault
// reaches the handler, the handler unwinds the stack back to the fault frame and resumes it at its
// epilogue with the exception code as its result. Termination handlers of system code in between run;
// destructors of C++ frames in between do not (GCC's unwinder leaves foreign exceptions alone).

extern "C" void RunInFaultFrameResume();

namespace {

bool IsRecoverableFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
      return true;
    default:
      return false;
  }
}

constexpr int kSubjectNameCapacity = 128;
constexpr int kFaultLineCapacity = 1024;

volatile LONG g_caughtFaults = 0;
thread_local uint32_t t_caughtFaults = 0;
thread_local const GuardFrame* t_guardFrames = nullptr;

bool SameSubject(const GuardSubject& a, const GuardSubject& b) {
  const bool sameKind = a.kind == b.kind || (a.kind != nullptr && b.kind != nullptr && strcmp(a.kind, b.kind) == 0);
  const bool sameName = a.name == b.name || (a.name != nullptr && b.name != nullptr && wcscmp(a.name, b.name) == 0);
  return sameKind && sameName;
}

// " kind name" of a subject, as UTF-8 after `text`; nothing for a subject without a kind.
void AppendSubject(const GuardSubject& subject, const char* before, char* text, size_t capacity) {
  if (subject.kind == nullptr) return;
  char name[kSubjectNameCapacity] = "";
  if (subject.name != nullptr &&
      WideCharToMultiByte(CP_UTF8, 0, subject.name, -1, name, kSubjectNameCapacity, nullptr, nullptr) == 0) {
    name[kSubjectNameCapacity - 1] = 0;
  }
  const size_t used = strlen(text);
  snprintf(text + used, capacity - used, "%s%s%s%s", before, subject.kind, name[0] != 0 ? " " : "", name);
}

}  // namespace

const GuardFrame* EnterGuardFrame(const GuardFrame* frame) {
  const GuardFrame* outer = t_guardFrames;
  t_guardFrames = frame;
  return outer;
}

void LeaveGuardFrame(const GuardFrame* outer) { t_guardFrames = outer; }

namespace {

// The held locks live outside the stack: a fault unwinds the frames that noted them without running any code
// there, and the guard reads the list after those frames are gone.
constexpr uint32_t kMostNotedLocks = 16;
struct NotedLock {
  void* lock;
  LockRelease release;
};
thread_local NotedLock t_notedLocks[kMostNotedLocks];
thread_local uint32_t t_notedLockCount = 0;

}  // namespace

void NoteLockTaken(void* lock, LockRelease release) {
  if (t_notedLockCount < kMostNotedLocks) t_notedLocks[t_notedLockCount] = {lock, release};
  ++t_notedLockCount;
}

// Locks are released innermost first, except where a holder lets go of an outer one early: the innermost
// entry of that lock leaves the list.
void NoteLockReleased(void* lock) {
  if (t_notedLockCount == 0) return;
  uint32_t at = t_notedLockCount - 1;
  if (at < kMostNotedLocks) {
    while (at > 0 && t_notedLocks[at].lock != lock) --at;
    if (t_notedLocks[at].lock != lock) return;
    for (uint32_t i = at; i + 1 < t_notedLockCount && i + 1 < kMostNotedLocks; ++i) t_notedLocks[i] = t_notedLocks[i + 1];
  }
  --t_notedLockCount;
}

uint32_t NotedLockCount() { return t_notedLockCount; }

void ReleaseLocksNotedSince(uint32_t count) {
  while (t_notedLockCount > count) {
    const uint32_t at = --t_notedLockCount;
    if (at < kMostNotedLocks) t_notedLocks[at].release(t_notedLocks[at].lock);
  }
}

namespace {

void TraceFault(const char* what, const std::source_location& site, const GuardSubject& subject) {
  char line[kFaultLineCapacity];
  snprintf(line, sizeof line, "%s in %s (%s:%u)", what, site.function_name(), site.file_name(),
           static_cast<unsigned>(site.line()));
  AppendSubject(subject, " ", line, sizeof line);
  const GuardSubject* shown = &subject;
  for (const GuardFrame* frame = t_guardFrames; frame != nullptr; frame = frame->outer) {
    // A dispatcher and the module it calls may both guard under one subject: it is named once.
    if (SameSubject(*frame->subject, *shown)) continue;
    AppendSubject(*frame->subject, ", within ", line, sizeof line);
    shown = frame->subject;
  }
  AppendTraceLine(line);
}

}  // namespace

void RecordCaughtFault(uint32_t code, const std::source_location& site, const GuardSubject& subject) {
  InterlockedIncrement(&g_caughtFaults);
  ++t_caughtFaults;
  char what[32];
  snprintf(what, sizeof what, "fault %08X", static_cast<unsigned>(code));
  TraceFault(what, site, subject);
}

void RecordFaultOfCallElsewhere(const std::source_location& site, const GuardSubject& subject) {
  ++t_caughtFaults;
  TraceFault("fault on its own thread", site, subject);
}

uint32_t CaughtFaultCount() { return static_cast<uint32_t>(g_caughtFaults); }

uint32_t CaughtFaultCountOnThisThread() { return t_caughtFaults; }

extern "C" EXCEPTION_DISPOSITION FaultFrameHandler(EXCEPTION_RECORD* record, void* establisherFrame,
                                                   CONTEXT* context, void* dispatcherContext) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  if (!IsRecoverableFault(record->ExceptionCode)) return ExceptionContinueSearch;
  DISPATCHER_CONTEXT* dispatch = static_cast<DISPATCHER_CONTEXT*>(dispatcherContext);
  void* exceptionCode = reinterpret_cast<void*>(static_cast<uintptr_t>(record->ExceptionCode));
  RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(&RunInFaultFrameResume), record, exceptionCode, context,
              dispatch->HistoryTable);
  return ExceptionContinueSearch;
}

// RunInFaultFrame(entry in rcx, context in rdx): 32 bytes of home space plus 8 to keep the stack aligned.
// The normal path returns 0; RtlUnwindEx enters at RunInFaultFrameResume with the exception code in rax.
asm(R"(
    .text
    .p2align 4
    .globl RunInFaultFrame
    .def RunInFaultFrame; .scl 2; .type 32; .endef
    .seh_proc RunInFaultFrame
RunInFaultFrame:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler FaultFrameHandler, @except
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    xorl %eax, %eax
    .globl RunInFaultFrameResume
RunInFaultFrameResume:
    addq $40, %rsp
    retq
    .seh_endproc
)");
