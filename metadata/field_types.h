// The types of field values that metadata fields, module fields and content-plug-in fields report: the
// numbering of the published content-plugin interface, plus the program's own wide text of a module field.
// Field tables give each field one of these; 0 keeps a row out of the field lists.
#pragma once
#include <cstdint>

enum FieldType : uint32_t {
  kFieldTypeNone = 0,
  kFieldTypeInteger = 1,       // 32-bit integer
  kFieldTypeInteger64 = 2,     // 64-bit integer
  kFieldTypeDecimal = 3,       // double
  kFieldTypeDate = 4,          // day | month << 5 | year << 9
  kFieldTypeTime = 5,          // second | minute << 6 | hour << 12
  kFieldTypeYesNo = 6,         // boolean
  kFieldTypeChoice = 7,        // multiple choice, 8-bit text
  kFieldTypeNarrowText = 8,    // 8-bit text
  kFieldTypeFullText = 9,      // full text, not shown
  kFieldTypeDateTime = 10,     // FILETIME (UTC)
  kFieldTypeWideText = 11,     // wide text
  kFieldTypeModuleText = 15,   // wide text of a module field
};
