// A file list (stores only, no window) under a test state block with the real file-system providers, and a
// log of the hooks a listing calls.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "program_state_scope.h"
#include "support/temp_folder.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"

// The hooks called since the fixture began, by name ("status", "preview", "notice", "menus", "view",
// "address", "recent", "fields"); the folder hooks also note their folder in `g_hookFolders`.
extern std::vector<std::string> g_hookCalls;
extern std::vector<std::wstring> g_hookFolders;

class ListingFixture : public testing::Test {
 protected:
  ListingFixture();
  ~ListingFixture() override;

  // Files a.txt (5 bytes), .bashrc, abcdef, a.b.c, sub\c.txt and sub\deeper\d.txt.
  void MakeSampleTree() const;
  const FileListRow* Row(uint32_t i) const;
  uint32_t RowCount() const;
  std::vector<std::wstring> Names() const;
  std::wstring PooledPath(uint32_t index) const;
  // Lists as the main window's timer would: until nothing is busy and nothing pending.
  bool WaitForListings(DWORD timeoutMs = 30000) const;

  ProgramStateScope state_;
  ItemListControl* list_;
  TempFolder folder_;
};
