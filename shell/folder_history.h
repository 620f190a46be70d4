// The history of visited folders behind the toolbar's back and forward buttons. The history lives for the
// whole process.
#pragma once
#include <cstdint>

constexpr int kFolderHistoryCount = 50;
constexpr int kFolderHistoryPathCapacity = 1024;
constexpr int kFolderHistoryNameCapacity = 16;

struct FolderHistory {
  char name[kFolderHistoryNameCapacity];
  int32_t position;  // 0 is the newest folder
  wchar_t* folders;  // kFolderHistoryCount paths of kFolderHistoryPathCapacity characters
};

extern FolderHistory g_folderHistory;

// Sets the history up empty under its name. 0, or 1 when the block could not be had.
int InitFolderHistory(FolderHistory* history, const char* name);
// Frees the block.
void FreeFolderHistory(FolderHistory* history);
