// The tables of a module loaded into the process (a PE image): which exports have names, and the slots through
// which a module calls the functions it imports, both through its import directory and through its delay-load
// directory (whose slots the loader fills on the first call). Only images of the program's own kind (64-bit)
// are read; anything else counts as having nothing.
#pragma once
#include <windows.h>

// True when the module exports the ordinal and no exported name leads to it: the export exists by ordinal
// alone. A module that gives that ordinal to a named function has another function there.
bool IsExportedByOrdinalOnly(HMODULE module, WORD ordinal);

// Points every slot through which `module` calls `library`'s export `ordinal` (imported by ordinal; library
// names compared ignoring case) at `replacement`, in the import and the delay-load directory. The number of
// slots changed; 0 when there is none or a slot could not be made writable.
int PatchImportByOrdinal(HMODULE module, const char* library, WORD ordinal, const void* replacement);
