// QVRX.exe previewing a chain whose plug-in step, with its fail flag ticked, faults for one file and has no
// value for another: the faulting file's row says the step failed, the fault is written to the trace file, and
// the run is refused; the file without the value keeps its name unmarked, as a step that fails for a file
// leaves it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "chain_run.h"
#include "foundation/ui/command_ids.h"
#include "support/temp_folder.h"

using StepFailuresProgram = ProgramOnFolder;

TEST_F(StepFailuresProgram, AFaultingStepMarksItsFileTracesTheFaultAndRefusesTheRun) {
  const TempFolder& folder = copy_.Folder();
  const std::wstring plugin = ExecutableFolder() + L"\\PublishedTestPlugin.wdx64";
  const std::wstring files =
      Prepare({L"b.bin"}, "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=<PgnCont,1,\"Test=Size\">\r\n[pgnCont]\r\n1=Test;+" +
                              std::string(plugin.begin(), plugin.end()) + ";;\r\n");
  folder.WriteFile(L"files\\a.txt", "12345");
  folder.WriteFile(L"files\\fault.txt", "1");  // the test plug-in faults on it
  const std::wstring trace = folder / L"trace.txt";
  SetEnvironmentVariableW(L"QVRX_TRACE", trace.c_str());
  ProgramRun run(copy_, files);
  SetEnvironmentVariableW(L"QVRX_TRACE", nullptr);
  const HWND window = run.Window();
  ASSERT_NE(window, nullptr);
  DialogWatcher boxes(run.ProcessId(), IDOK);
  RemoteList rows(run.Process(), GetDlgItem(window, kFileListId));
  // a.txt, fault.txt, and b.bin, which the plug-in does not serve.
  const Names previewed = {L"5.txt", L"<Error>, the step failed", L"b.bin"};
  EXPECT_TRUE(WaitUntil([&] { return rows.Column(kNewNameColumn) == previewed; }))
      << ListedNames(rows.Column(kNewNameColumn));
  EXPECT_TRUE(
      WaitUntil([&] { return (GetMenuState(GetMenu(window), IDM_START_RENAMING, MF_BYCOMMAND) & MF_GRAYED) != 0; }))
      << "the rename command stays offered";
  const std::string traced = ReadWholeFile(trace);
  EXPECT_NE(traced.find("fault C0000005 in "), std::string::npos) << traced;
  EXPECT_NE(traced.find("plug-in Test, within module PgnCont"), std::string::npos) << traced;
  EXPECT_EQ(run.Close(), 0);
  EXPECT_EQ(boxes.Answered(), 0);
  EXPECT_EQ(FilesIn(files), (Names{L"a.txt", L"b.bin", L"fault.txt"}));
}
