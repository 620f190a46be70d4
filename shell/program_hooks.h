// The program's parts meet through tables of hooks that each lower part calls (the main window's steps, the
// engine's and the file list's calls upwards). The program fills them once, before its first run.
#pragma once

void InstallProgramHooks();
