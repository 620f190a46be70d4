// The lower parts of the program reach the shell through tables of hooks: the engine's, the file list's, the
// job rule's and the plug-in host's calls upwards. The program fills them once, before its first run.
#pragma once

void InstallProgramHooks();
