// The guard around every call into a provider, a module, a plug-in or a callback of another part of the
// program: whatever goes wrong inside the call, the caller gets its fixed failure result and goes on.
//
// A C++ exception is caught by the guard's catch-all. A hardware fault raised on the calling thread inside
// the call (an access violation, an integer division by zero, an illegal or privileged instruction, a page
// that cannot be read in, a misaligned access) is caught by a structured-exception frame that unwinds the
// stack back to the guard. Handlers deeper in the call see the fault first; among nested guards the
// innermost one takes it. As with longjmp, destructors of C++ objects between the fault and the guard do
// not run. A stack overflow is not caught: the stack has no room left to recover on.
//
// So that a fault never leaves a lock held, the locks taken inside a guarded call note themselves on their
// thread's list of held locks (MutexHold, foundation/core/threads.h, does it): the guard
// that catches a fault releases, innermost first, every lock noted inside its call and not released yet. A lock
// taken before the call is left to the code around the guard, which goes on and releases it.
//
// A caught fault is never silent: each one is counted and written to the trace file (foundation/core/
// trace_file.h) as "fault", its code (E06D7363 for a C++ exception), the guarding function and what was
// called (a module, a plug-in, a provider), followed by the subjects of the guards around it ("within plug-in
// Test"), so that a failure a caller shows as a fixed result can be traced to what caused it.
#pragma once
#include <cstdint>
#include <source_location>

// What a guarded call calls into, for the trace: a kind ("module", "plug-in", "provider") and its name.
struct GuardSubject {
  const char* kind = nullptr;
  const wchar_t* name = nullptr;
};

// The code a caught C++ exception is recorded with.
constexpr uint32_t kCaughtCxxException = 0xE06D7363;

// The guards a thread is inside, innermost first: each guarded call links its subject in while it runs.
struct GuardFrame {
  const GuardSubject* subject;
  const GuardFrame* outer;
};
const GuardFrame* EnterGuardFrame(const GuardFrame* frame);
void LeaveGuardFrame(const GuardFrame* outer);

// Counts a caught fault and writes its trace line.
void RecordCaughtFault(uint32_t code, const std::source_location& site, const GuardSubject& subject);

// A fault that a guard on another thread caught inside a call this thread waited for (a plug-in's own
// thread): counted on this thread only, so that its callers see the call failed, and traced once more with
// this thread's guards around it.
void RecordFaultOfCallElsewhere(const std::source_location& site, const GuardSubject& subject);

// Faults the guards caught since the process started, on every thread or on the calling one. A caller that
// must tell whether a call it made failed deep inside (a guard below it took the fault and answered a fixed
// result) compares the thread's count before and after.
uint32_t CaughtFaultCount();
uint32_t CaughtFaultCountOnThisThread();

// Runs entry(context) inside a fault frame. 0 when entry returned; the fault's exception code when a
// hardware fault ended it. C++ exceptions are not caught here: entry must not let one escape.
extern "C" uint32_t RunInFaultFrame(void (*entry)(void* context), void* context);

// The thread's list of held locks. A lock notes itself with the function that releases it once it is had, and
// notes its release; the list holds the 16 innermost (deeper ones are not released by a guard).
using LockRelease = void (*)(void* lock);
void NoteLockTaken(void* lock, LockRelease release);
void NoteLockReleased(void* lock);
uint32_t NotedLockCount();
// Releases, innermost first, the locks noted since the list held `count` of them.
void ReleaseLocksNotedSince(uint32_t count);

// Calls callable() and returns its result; returns failureResult when the call throws or faults, and records
// the fault with the place of the call and its subject.
template <typename Result, typename Callable>
Result GuardedCall(Result failureResult, Callable&& callable, const GuardSubject& subject = {},
                   const std::source_location site = std::source_location::current()) {
  struct Call {
    Callable* callable;
    Result result;
    bool finished;
  };
  Call call{&callable, failureResult, false};
  const uint32_t locks = NotedLockCount();
  GuardFrame frame{&subject, nullptr};
  frame.outer = EnterGuardFrame(&frame);
  const uint32_t code = RunInFaultFrame(
      [](void* context) {
        Call* pending = static_cast<Call*>(context);
        try {
          pending->result = (*pending->callable)();
          pending->finished = true;
        } catch (...) {
        }
      },
      &call);
  LeaveGuardFrame(frame.outer);
  if (call.finished) return call.result;
  ReleaseLocksNotedSince(locks);
  RecordCaughtFault(code != 0 ? code : kCaughtCxxException, site, subject);
  return failureResult;
}

// Calls a hook through which a lower part reaches a higher one, inside the guard; a hook nobody set does nothing.
template <typename... Params, typename... Args>
void CallHookGuarded(void (*hook)(Params...), Args... args) {
  if (hook == nullptr) return;
  GuardedCall(0, [&] {
    hook(args...);
    return 0;
  }, {"hook"});
}
