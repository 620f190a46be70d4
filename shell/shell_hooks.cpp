#include "shell/shell_hooks.h"

ShellHooks g_shellHooks;
