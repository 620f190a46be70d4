// The field references of the file list's field columns: the column with id -n shows the field of entry n.
// The list lives for the whole process.
#pragma once

struct RecordBuffer;

// The list, a heap RecordBuffer; null before start-up has built it and after exit has destroyed it.
extern RecordBuffer* g_columnFieldList;

// Builds the empty list (grown on the GUI thread); false when there was no memory.
bool CreateFieldReferenceList();
// Frees the list's records and the list itself.
void DestroyFieldReferenceList();
