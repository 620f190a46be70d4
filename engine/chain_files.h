// The chain kept outside the program: in section "QK" of the profile store, from which it comes back at every
// start, and in settings files (".zqr") that the user saves and loads. Both hold one line per step: '-' when
// the step is unchecked, then the step's text form ('<' ... '>').
//
// A settings file is FF FE (UTF-16LE) followed by the lines, each ended by CR LF, and nothing else. Files
// written by hand may also be 8-bit text in the active code page; text between entries is ignored. Section
// "QK" holds the values "R1", "R2", ... without gaps, in chain order, and nothing else.
#pragma once
#include <windows.h>

#include <cstddef>

#include "engine/module_contract.h"

// The profile store's section of the chain.
constexpr char kChainSection[] = "QK";

// Whether a step can be kept with the chain: 0 when its line, read back from section "QK" and from a settings
// file, gives the same step (the same module, flags, text form, description and comment). Else the UI text
// that says why not: kTextStepTooLong when its text form is longer than the 1023 characters a step is read
// with; kTextStepNotKept when it would come back as another step, which `readBack` then describes (as the
// chain list shows it, with its comment on a line of its own); kTextStepLost when it would not come back at
// all. Such a step holds what its text form cannot: a ';' or '>' in a text written as it stands (a name
// pattern), a line break in any text.
int StepStorageProblem(const ModuleInstance* settings, wchar_t* readBack, int capacity);

// Writes the chain into a settings file, which is replaced as a whole only once the new one is complete.
// 0 on success, which also marks the chain as saved; with an empty chain nothing is written and the result
// is 0. Otherwise the error, shown to the user: a step that has no text form or whose line does not fit
// keeps the whole file from being written, since it could not be read back.
int WriteModuleChainFile(const wchar_t* path);

// Writes a changed chain into section "QK" (nothing when it is unchanged): the section is rewritten as a
// whole and read back. 0 when it holds the chain, which then counts as saved; else the error (the chain
// stays marked as changed): 258 when the store did not take the values, or the error of a step that could
// not be written as a line (it has no text form, or one longer than the 1023 characters a step is read
// with); the section then keeps the chain it held.
int SaveModuleChainToSettings();

// Replaces the chain by the steps of section "QK", from "R1" up to the first empty or missing value; entries
// no module takes are skipped. When no entry makes a step the chain stays as it was.
void RestoreModuleChain();

// Replaces the chain by the steps of a settings file. 0 when steps were made from the file and none of its
// entries was refused; the file then goes to the front of the recent files and the chain is written to
// section "QK". -1 when the file holds no chain (refused by its first bytes, or no entry made a step) or
// one of its entries was refused; the steps made stay. A file that cannot be read gives its error. Refused
// (170) while a job is busy. A file that does not load leaves the recent files, and the user is told why.
int LoadSettingsFile(HWND owner, const wchar_t* path);

// Add the steps found in a UTF-16 text to the chain; the first step made empties the chain first. 0 when steps
// were made and no entry was refused, else -1.
int ParseChainTextW(const wchar_t* text, size_t count);
