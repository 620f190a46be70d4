// The hook tables through which the program's parts meet, as a test found them, put back when the test ends:
// a test that fills them (a single hook, or the whole program's set) leaves the next test the tables it had.
#pragma once
#include "engine/engine_hooks.h"
#include "foundation/core/jobs.h"
#include "views/view_hooks.h"

class HookTablesScope {
 public:
  HookTablesScope() : engine_(g_engineHooks), views_(g_viewHooks), jobs_(g_jobNotices) {}
  ~HookTablesScope() {
    g_engineHooks = engine_;
    g_viewHooks = views_;
    g_jobNotices = jobs_;
  }
  HookTablesScope(const HookTablesScope&) = delete;
  HookTablesScope& operator=(const HookTablesScope&) = delete;

 private:
  EngineHooks engine_;
  ViewHooks views_;
  JobNotices jobs_;
};
