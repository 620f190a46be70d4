// The trace file: with the environment variable QVRX_TRACE naming a file, the program appends a line to it for
// each step it is asked to trace (the start-up and teardown of its global objects, every fault a guard caught).
// Without the variable nothing is written.
#pragma once

// Appends `line` and CR LF to the trace file. The variable is read on every call, so a process may name the
// file late; lines of several threads never mix, each being one append.
void AppendTraceLine(const char* line);
