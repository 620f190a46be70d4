// Entry point of QVRX.exe.
#include <windows.h>

#include "shell/app_run.h"
#include "shell/global_objects.h"
#include "shell/program_hooks.h"

namespace {

// Builds the process-wide objects before WinMain runs; their exit handlers tear them down after it returns.
struct GlobalObjectsAtStart {
  GlobalObjectsAtStart() { BuildGlobalObjects(); }
};

const GlobalObjectsAtStart g_globalObjectsAtStart;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  InstallProgramHooks();
  return RunWithRestarts(instance, showCommand);
}
