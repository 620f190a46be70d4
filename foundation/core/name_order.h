// The one order of names the program sorts by: ignoring case and kana type under the user's locale, and, when
// asked, with runs of digits compared by value. It lies below the text helpers because the item stores sort by
// it.
#pragma once
#include <windows.h>

#include <cstdint>

// -1, 0 or 1 for two names compared ignoring case and kana type under the user's locale; with `numbers`
// set, runs of digits compare by value. 0 when either name is null. When the locale comparison fails the
// names are compared by code point, so that an order is always consistent.
int CompareNamesNatural(const wchar_t* a, const wchar_t* b, bool numbers);

// CompareNamesNatural as it behaves on the system of the given version code. Before Windows 7 (code 15 and
// below) the digit order comes from padding the first digit run of the shorter name with zeros.
int CompareNamesNaturalForVersion(const wchar_t* a, const wchar_t* b, bool numbers, int versionCode);

// A sort key of the name: byte strings that compare (CompareNameSortKeys) as CompareNamesNatural compares
// their names, so that a sort can make one key per name instead of comparing texts again and again. Its length
// in bytes; 0 when no key can stand for the name: the system cannot make one, it exceeds the capacity, or the
// system orders digit runs by padding them (which depends on the other name).
int MakeNameSortKey(const wchar_t* name, bool numbers, uint8_t* key, int capacity);
// -1, 0 or 1 for two sort keys.
int CompareNameSortKeys(const uint8_t* a, int lengthA, const uint8_t* b, int lengthB);
