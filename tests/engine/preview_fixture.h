// A file list and a chain list as real ItemListControl records (stores only, no windows) under a test state
// block and string table, and a probe rename module in the spare slot of the descriptor table.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "engine/module_table.h"
#include "foundation/core/app_state.h"
#include "ui_text_scope.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

constexpr uint32_t kProbeModule = 21;

#pragma pack(push, 1)
struct ProbeSettings {
  ModuleInstance header;
  wchar_t suffix[1100];  // appended to the name part after the renaming map
  wchar_t description[64];
  int32_t prepared;
};
#pragma pack(pop)

// What the probe does and what it saw. Its apply renames a whole name found in `renames`, fails on a name in
// `failures`, then appends its suffix; on the name `stopAt` it asks the busy job to stop.
struct ProbeRecord {
  std::map<std::wstring, std::wstring> renames;
  std::set<std::wstring> failures;
  std::wstring lastPath;            // the path context of the last step that asked for one
  const void* lastContext = nullptr;
  DWORD applyThread = 0;
  std::wstring stopAt;  // a name whose renaming presses Stop
  int freed = 0;
  // The dialog: what it was shown, and what it answers.
  std::wstring dialogSample;
  const void* dialogContext = nullptr;
  int dialogShown = 0;
  bool dialogConfirms = true;
  bool dialogReplacesRecord = false;
};
extern ProbeRecord g_probeRecord;

inline const UiStringRecord kPreviewTexts[] = {{-1, L"US"},
                                               {10010, L"Error"},
                                               {10013, L"steps not read"},
                                               {10043, L"not a settings file"},
                                               {10044, L"no steps read"},
                                               {13191, L"invalid character"},
                                               {13192, L"no free number for"},
                                               {13194, L"too long"},
                                               {13195, L"empty"}, {13196, L"device"},
                                               {13198, L"step failed"}, {13199, L"no value"},
                                               {10031, L"not found, not renamed back:"},
                                               {0, nullptr}};

class PreviewFixture : public testing::Test {
 protected:
  PreviewFixture();
  ~PreviewFixture() override;

  // A pool entry of the file list: a top folder, or a subfolder of `parent`.
  uint32_t AddFolder(const wchar_t* name, uint32_t parent = 0);
  void AddFile(uint32_t folder, const wchar_t* name, uint16_t attributes = FILE_ATTRIBUTE_ARCHIVE);
  // A step of the chain from its text form, or the probe with the given flags and suffix.
  ModuleInstance* AddStep(const wchar_t* text, bool checked = true);
  ProbeSettings* AddProbe(int32_t flags = 0, const wchar_t* suffix = L"", bool checked = true);

  FileListRow* Row(uint32_t i) const;
  std::wstring NewName(uint32_t i) const { return Row(i)->newName; }
  static std::wstring Marked(const std::wstring& reason) { return L"<Error>, " + reason; }

  UiTextScope texts_{kPreviewTexts};
  ItemListControl* files_;
  ItemListControl* chain_;
};
