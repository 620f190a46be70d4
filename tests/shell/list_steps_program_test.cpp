// QVRX.exe renaming a folder on disk with a step restored from the last run's chain: names from a CSV lookup
// list and from a text list, a regular-expression replacement, a find-and-cut, and two fields of the content
// plug-in named in section "pgnCont"; undo brings every name back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "chain_run.h"
#include "support/temp_folder.h"

namespace {

struct StepCase {
  const char* what;
  Names files;
  const wchar_t* listName;  // written into the program's folder; null for none
  std::string listBytes;
  std::wstring step;        // "%LIST%" stands for the list's full path
  Names renamed;
  std::string moreProfile;  // further sections of the profile
};

std::string Utf16WithMark(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes.append(reinterpret_cast<const char*>(&c), 2);
  return bytes;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The published test plug-in built beside the tests, configured under the name "Test".
std::string TestPluginSection() {
  return "[pgnCont]\r\n1=Test;+" + Narrow(ExecutableFolder() + L"\\PublishedTestPlugin.wdx64") + ";;\r\n";
}

void RenameAndUndo(const StepCase& c) {
  ProgramCopy copy;
  ASSERT_TRUE(copy.Copied());
  const TempFolder& folder = copy.Folder();
  const std::wstring files = folder.MakeFolder(L"files");
  for (const std::wstring& name : c.files) folder.WriteFile(L"files\\" + name, "x");
  std::wstring step = c.step;
  const size_t at = step.find(L"%LIST%");
  const std::wstring list = c.listName != nullptr ? folder.WriteFile(c.listName, c.listBytes) : L"";
  if (at != std::wstring::npos) step.replace(at, 6, list);
  folder.WriteFile(L"QVRX.INI", "[QVRX]\r\nLanguage=US\r\n[QK]\r\nR1=" + Narrow(step) + "\r\n" + c.moreProfile);
  ExpectRenamedAndUndone(copy, files, c.renamed, c.what);
}

}  // namespace

TEST(ListStepsProgram, RenamesAFolderOnDiskByEachStepAndUndoesIt) {
  SKIP_WITH_PER_USER_PROFILE();
  const StepCase cases[] = {
      {"CSV lookup list written by a spreadsheet program",
       {L"alpha.txt", L"beta.txt", L"gamma.txt"},
       L"names.csv",
       "\xEF\xBB\xBF" "alpha.txt;first.txt\r\n\"BETA.TXT\";\"second;2 \"\"b\"\".txt\"\r\n",
       L"<CSV,%MY_PATH%\\names.csv>",
       {L"first.txt", L"gamma.txt", L"second;2 _b_.txt"},
       ""},
      {"text list in UTF-16",
       {L"alpha.txt", L"beta.txt", L"gamma.txt"},
       L"names.txt",
       Utf16WithMark(L"one.txt\r\n\r\ntwo.txt\r\n"),
       L"<Text,%LIST%>",
       {L"gamma.txt", L"one.txt", L"two.txt"},
       ""},
      {"regular expression",
       {L"a12b34.txt", L"plain.txt", L"x1.txt"},
       nullptr,
       "",
       L"<RegEx,n,\"\\d+\",\"#\">",
       {L"a#b34.txt", L"plain.txt", L"x#.txt"},
       ""},
      {"find and cut, keeping what follows",
       {L"Artist - Title.mp3", L"Other - Song.mp3"},
       nullptr,
       "",
       L"<FaC,n,b,\" - \">",
       {L"Song.mp3", L"Title.mp3"},
       ""},
      // The plug-in serves .txt files only: the .log file keeps its title and gets the dashes.
      {"content plug-in fields",
       {L"a1.txt", L"bb22.txt", L"c.log"},
       nullptr,
       "",
       L"<PgnCont,0,\"OFN\"-\"Test=Digits\"-\"Test=Size\">",
       {L"a1-1-1.txt", L"bb22-2-1.txt", L"c--.log"},
       TestPluginSection()},
  };
  for (const StepCase& c : cases) RenameAndUndo(c);
}
