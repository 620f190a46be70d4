// A lock after a fault that a guard caught inside the lock's scope. The faulting call runs on a thread that stays
// alive until the next user is done (the mutexes of a thread that ends are abandoned, and any waiter takes those),
// and the next user runs on another thread.
#pragma once
#include <windows.h>

#include <functional>

#include "foundation/core/guard.h"

// Memory that can be neither read nor written: a call handed it faults at its first touch.
inline void* InaccessibleMemory() {
  static void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  return reserved;
}

// Runs `faulting` inside a guard, then `next`; true when `next` came back true within 10 s. A next user that did
// not come back is waited for again once the faulting thread has ended (it takes abandoned mutexes then); one that
// still waits (on a critical section) is left so, with what it uses.
inline bool NextUserAfterCaughtFault(const std::function<void()>& faulting, const std::function<bool()>& next) {
  struct Shared {
    std::function<void()> faulting;
    std::function<bool()> next;
    HANDLE faulted;
    HANDLE release;
    HANDLE done;
    bool result;
  };
  auto* shared = new Shared{faulting, next, CreateEventW(nullptr, TRUE, FALSE, nullptr),
                            CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr),
                            false};
  HANDLE holder = CreateThread(nullptr, 0, [](void* context) -> DWORD {
    auto* s = static_cast<Shared*>(context);
    GuardedCall(0, [&] {
      s->faulting();
      return 1;
    });
    SetEvent(s->faulted);
    WaitForSingleObject(s->release, INFINITE);
    return 0;
  }, shared, 0, nullptr);
  WaitForSingleObject(shared->faulted, INFINITE);
  HANDLE user = CreateThread(nullptr, 0, [](void* context) -> DWORD {
    auto* s = static_cast<Shared*>(context);
    s->result = s->next();
    SetEvent(s->done);
    return 0;
  }, shared, 0, nullptr);
  const bool cameBack = WaitForSingleObject(shared->done, 10000) == WAIT_OBJECT_0;
  SetEvent(shared->release);
  WaitForSingleObject(holder, INFINITE);
  CloseHandle(holder);
  if (WaitForSingleObject(user, 10000) != WAIT_OBJECT_0) return false;
  CloseHandle(user);
  const bool result = cameBack && shared->result;
  for (HANDLE event : {shared->faulted, shared->release, shared->done}) CloseHandle(event);
  delete shared;
  return result;
}
