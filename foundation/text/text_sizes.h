// Capacities of the program's texts by kind, in characters with the terminator; one size per kind, so that
// a text handed from one part to another is never cut on the way. Path capacities are in
// foundation/files/paths.h, a step's text fields in engine/module_contract.h.
#pragma once

// A file's name: the file list's current and new name, a name edited in place.
constexpr int kFileNameCapacity = 260;
// A pattern: a ';'-separated list of name masks, a name pattern with field references.
constexpr int kPatternCapacity = 1024;
// A caption taken from the UI texts: a list column's, a menu's, a page's.
constexpr int kCaptionCapacity = 260;
// A UI text taken by id for a label, a word or a piece of a composed text.
constexpr int kUiTextCapacity = 256;
// A UI message shown in a message box, with its inserts.
constexpr int kMessageCapacity = 512;
// The system's text of an error code.
constexpr int kErrorTextCapacity = 1024;
// A tooltip.
constexpr int kTooltipCapacity = 80;
// A menu item's text as its owner-drawn record keeps it.
constexpr int kMenuTextCapacity = 60;
// The text of one cell of a list.
constexpr int kCellTextCapacity = 1024;
// A window's or dialog's title, and a module's.
constexpr int kTitleCapacity = 1024;
// A number written as text: any 64-bit value, grouped, or a formatted fraction.
constexpr int kNumberTextCapacity = 64;
// A date, and a time of day, written as text.
constexpr int kDateTextCapacity = 128;
constexpr int kTimeTextCapacity = 64;
// A shell verb.
constexpr int kVerbCapacity = 64;
