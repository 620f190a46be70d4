// The text form of a file filter, as the profile store keeps it (value "Filter", and "Attr" for the time
// conditions of the attributes tool): an 8-bit list of ';'-separated items, an item holding ';' or '"'
// enclosed in double quotes, an item the active code page cannot carry stored as UTF-8 behind the UTF-8
// byte-order mark. Items in the order they are written:
//   "c" creation time or "r" last-access time (nothing for the last-write time; "w" is read as well);
//   'a' and attribute letters in "DARSHCE" order, upper case required, lower case forbidden;
//   '+' and the include masks, then 'd' with date unit and value and 'l' with size unit and value;
//   '-' and the exclude masks, then its own 'd' and 'l' items.
// Example: c;aRh;+*.txt;dZ3;lK10;-*.bak
// A 'd' value is a packed date and time for 'D' and 'T' (the same clock as the stored FILETIME), else the
// signed count; an 'l' value is the unsigned count of size units.
#pragma once

#include "views/file_filter.h"

// The room a filter's text form needs at most.
constexpr int kFilterTextCapacity = 4096;

// Fills the record from the text form; a null or empty text leaves it zero-filled, items of unknown kind
// are ignored, and the text ends at its first CR or LF. 0, 87 for a null record, 8 when memory for the
// items could not be had (the record is then zero-filled).
int ParseFilterDefinition(FilterRecord* record, const char* text);

// Writes the record's text form into `text`. A 'T' condition is written reduced to its time of day.
// 0; 87 for a null argument; 122 when the text does not fit the capacity and 8 without memory, the text
// then being empty.
int FormatFilterDefinition(const FilterRecord* record, char* text, int capacity);

// Fills the record from the text form stored in the program's profile store under section and key, as
// ParseFilterDefinition does (a missing value leaves it zero-filled).
int LoadFilterDefinition(FilterRecord* record, const char* section, const char* key);

// Writes the record's text form into the program's profile store as a string value under section and key.
// A 'T' condition is first reduced to its time of day in the record itself. 0; the formatting error when the
// text could not be made, and then nothing is written.
int SaveFilterDefinition(FilterRecord* record, const char* section, const char* key);
