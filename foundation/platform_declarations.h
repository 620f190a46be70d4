// Declarations the program needs that the mingw-w64 headers lack, grouped by topic. Each is written from the
// documented value; nothing here comes from a platform header.
#pragma once
#include <windows.h>

// System error numbers.
#ifndef ERROR_VIRUS_INFECTED
#define ERROR_VIRUS_INFECTED 225L
#endif
