// Whether a file name matches one of a ';'-separated list of DOS-style masks ("*.txt;report?.doc").
#pragma once

// 1 when the file name of `path` (the text after its last separator) matches a mask of the list, else 0.
// A mask matches when applying it to the name as a rename mask gives the name back, ignoring case; so "*"
// and "*.*" match every name and "*.txt" matches "A.TXT" but not "a.txt.bak". Masks are tried left to
// right and the list ends at its first empty item: masks after ";;" are never tried. A mask holding a
// folder part matches nothing. A null path or list gives 0. Of a list longer than a pattern
// (kPatternCapacity) only the beginning is looked at.
int MatchesPatternList(const wchar_t* path, const wchar_t* list);
