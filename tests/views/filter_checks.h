// Building filters and times for the file-filter tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "date_checks.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/packed_date.h"
#include "views/filter_text_form.h"

// The FILETIME value of fields taken as UTC; 0 when the system rejects them.
inline uint64_t Utc(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  const SYSTEMTIME fields = DateTime(year, month, day, hour, minute, second);
  FILETIME time;
  return SystemTimeToFileTime(&fields, &time) ? FileTimeToUInt64(time) : 0;
}

inline void SetMasks(FilterHalf* half, const wchar_t* masks) {
  CopyWideBounded(masks, half->masks, kFilterMaskCapacity);
}

inline FilterRecord Parsed(const char* text) {
  FilterRecord record;
  EXPECT_EQ(ParseFilterDefinition(&record, text), 0);
  return record;
}

inline std::string Formatted(const FilterRecord& record) {
  char text[kFilterTextCapacity];
  EXPECT_EQ(FormatFilterDefinition(&record, text, kFilterTextCapacity), 0);
  return text;
}
