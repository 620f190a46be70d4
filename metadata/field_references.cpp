#include "metadata/field_references.h"

#include "foundation/memory.h"
#include "foundation/record_buffer.h"

RecordBuffer* g_columnFieldList = nullptr;

bool CreateFieldReferenceList() {
  if (!g_columnFieldList) {
    g_columnFieldList = static_cast<RecordBuffer*>(AllocZeroed(sizeof(RecordBuffer)));
    if (g_columnFieldList) RecordBufferInit(g_columnFieldList, false);
  }
  return g_columnFieldList != nullptr;
}

void DestroyFieldReferenceList() {
  if (!g_columnFieldList) return;
  RecordBufferDestroy(g_columnFieldList);
  FreeAndNull(&g_columnFieldList);
}
