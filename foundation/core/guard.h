// The guard around every call into a provider, a module, a plug-in or a callback of another part of the
// program: whatever goes wrong inside the call, the caller gets its fixed failure result and goes on.
//
// A C++ exception is caught by the guard's catch-all. A hardware fault raised on the calling thread inside
// the call (an access violation, an integer division by zero, an illegal or privileged instruction, a page
// that cannot be read in, a misaligned access) is caught by a structured-exception frame that unwinds the
// stack back to the guard. Handlers deeper in the call see the fault first; among nested guards the
// innermost one takes it. As with longjmp, destructors of C++ objects between the fault and the guard do
// not run. A stack overflow is not caught: the stack has no room left to recover on.
#pragma once
#include <cstdint>

// Runs entry(context) inside a fault frame. 0 when entry returned; the fault's exception code when a
// hardware fault ended it. C++ exceptions are not caught here: entry must not let one escape.
extern "C" uint32_t RunInFaultFrame(void (*entry)(void* context), void* context);

// Calls callable() and returns its result; returns failureResult when the call throws or faults.
template <typename Result, typename Callable>
Result GuardedCall(Result failureResult, Callable&& callable) {
  struct Call {
    Callable* callable;
    Result result;
    bool finished;
  };
  Call call{&callable, failureResult, false};
  RunInFaultFrame(
      [](void* context) {
        Call* pending = static_cast<Call*>(context);
        try {
          pending->result = (*pending->callable)();
          pending->finished = true;
        } catch (...) {
        }
      },
      &call);
  return call.finished ? call.result : failureResult;
}

// Calls a hook through which a lower part reaches a higher one, inside the guard; a hook nobody set does nothing.
template <typename... Params, typename... Args>
void CallHookGuarded(void (*hook)(Params...), Args... args) {
  if (hook == nullptr) return;
  GuardedCall(0, [&] {
    hook(args...);
    return 0;
  });
}
