// The id the shell's own context menu of a file or folder gives one of its verbs, asked the way the program's
// menu asks (first id 1), so that a test can choose that verb in place of the user.
#pragma once
#include <windows.h>

#include <string>

// The id of the verb (compared exactly) among the top items of the shell's menu of the path; 0 when none has it.
UINT ShellCommandOfVerb(const std::wstring& path, const wchar_t* wanted);
