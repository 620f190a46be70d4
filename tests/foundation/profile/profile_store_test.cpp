// The profile store: its text format, typed values read back by a second store on the same file, saving only
// what differs, where the file lives and the move to the per-user file, its locks under faults and contention,
// and instances that share a file.
#include "foundation/profile/profile_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/profile/profile_values.h"
#include "foundation/core/system_seams.h"
#include "foundation/win32/column_layout.h"
#include "foundation/win32/window_placement.h"
#include "support/caught_faults.h"
#include "support/lock_after_fault.h"
#include "support/process_driver.h"
#include "support/temp_folder.h"
#include "system_seams_scope.h"
#include "foundation/files/paths.h"

namespace {

std::wstring g_refusedFolder;

// Opening for writing is refused inside g_refusedFolder, as for a program folder the user may not write to.
HANDLE WINAPI RefuseWritesInFolder(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  std::wstring path = name;
  if (path.rfind(L"\\\\?\\", 0) == 0) path = path.substr(4);
  if ((access & GENERIC_WRITE) && path.rfind(g_refusedFolder, 0) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileW(name, access, sharing, security, disposition, flags, templateFile);
}

// Opening only for reading meets a sharing violation, as while another program holds the file.
HANDLE WINAPI RefuseReading(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
  if (access == GENERIC_READ) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  return ::CreateFileW(name, access, sharing, security, disposition, flags, templateFile);
}

std::string Get(SettingsStore* store, const char* section, const char* key, const char* fallback = nullptr) {
  char value[256];
  ProfileGetString(store, section, key, fallback, value, sizeof value);
  return value;
}

std::wstring GetPath(SettingsStore* store, const char* section, const char* key) {
  wchar_t value[256];
  ProfileGetPath(store, section, key, L"<none>", value, 256);
  return value;
}

FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// A program "QVRXtest.exe" in prog\ (its store file is "QVRXt.INI") and a per-user folder user\Tallowby.
class ProfileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeFolder(L"prog");
    program_ = folder_ / L"prog\\QVRXtest.exe";
    userFolder_ = folder_ / L"user\\Tallowby";
    beside_ = folder_ / L"prog\\QVRXt.INI";
    perUser_ = userFolder_ + L"\\QVRXt.INI";
  }

  void Open(SettingsStore* store, uint32_t flags = 0) {
    const ProfileLocations locations = {program_.c_str(), userFolder_.c_str()};
    ProfileStoreConstruct(store, nullptr, flags, &locations);
  }

  std::wstring Chosen(SettingsStore* store) {
    wchar_t path[kPathCapacity];
    ProfileGetFileName(store, path, kPathCapacity);
    return path;
  }

  TempFolder folder_;
  std::wstring program_, userFolder_, beside_, perUser_;
};

}  // namespace

TEST_F(ProfileStore, NewKeysAndSectionsKeepOneEmptyLineBetweenSections) {
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  ProfileSetString(&store, "A", "x", "1");
  ProfileSetString(&store, "B", "y", "2");
  ProfileSetString(&store, "A", "z", "3");
  EXPECT_EQ(ProfileSave(&store), 0);
  EXPECT_EQ(ReadWholeFile(beside_), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  ProfileSetString(&store, "A", "x", "longer");
  ProfileSetString(&store, "A", "z", "");
  ProfileDeleteKey(&store, "B", "y");
  ProfileSetString(&store, "C", "bad=key", "v");
  ProfileSetString(&store, "C", "k", "line\r\n[Injected]");
  ProfileSave(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[A]\r\nx=longer\r\nz=\r\n\r\n[B]\r\n\r\n[C]\r\nk=line\r\n");
  ProfileDeleteSection(&store, "B");
  ProfileDeleteSection(&store, "A");
  ProfileSave(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[C]\r\nk=line\r\n");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, KeysCompareExactlyAndBlanksAroundTheEqualsSignAreIgnored) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nkey = value\r\nKey=other\r\nempty=\nlone=cr\r[T]\r\nk=t\r\n");
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  EXPECT_EQ(Get(&store, "S", "key"), "value");
  EXPECT_EQ(Get(&store, "S", "Key"), "other");
  char value[16];
  EXPECT_EQ(ProfileGetString(&store, "S", "KEY", "d", value, sizeof value), 1);
  EXPECT_EQ(std::string(value), "d");
  EXPECT_EQ(ProfileGetString(&store, "S", "empty", "d", value, sizeof value), 0);
  EXPECT_EQ(std::string(value), "d") << "an empty value gives the default";
  EXPECT_EQ(Get(&store, "S", "lone"), "cr");
  EXPECT_EQ(Get(&store, "T", "k"), "t");
  EXPECT_EQ(ProfileGetString(&store, "s", "key", "", value, sizeof value), 1) << "section names compare exactly";
  EXPECT_EQ(ProfileGetString(&store, "S", "key", "", value, 4), 0);
  EXPECT_EQ(std::string(value), "val");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, ValuesOfAFileThisProgramDidNotWriteComeBackAsTheyStand) {
  const char* values[] = {"\"+*.txt;*.doc\";\"-*.bak;*.tmp\"", "\"quoted\"", "\"\"", "\"a\" and \"b\"", "trailing  "};
  std::string text = "[S]\r\n";
  for (int i = 0; i < 5; ++i) text += "v" + std::to_string(i) + "=" + values[i] + "\r\n";
  folder_.WriteFile(L"prog\\QVRXt.INI", text);
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Get(&store, "S", ("v" + std::to_string(i)).c_str()), values[i]);
  // Set again to what they hold, they leave the file as it is.
  for (int i = 0; i < 5; ++i) ProfileSetString(&store, "S", ("v" + std::to_string(i)).c_str(), values[i]);
  EXPECT_EQ(store.changed, 0);
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), text);
}

TEST_F(ProfileStore, EveryKindOfValueReadsBackEqualFromTheFile) {
  const char* texts[] = {"a=b=c", "x;y;", "\"quoted\"", "trailing  ", "\"", "[not a section]", "\"a\";\"b\""};
  const std::wstring names[] = {L"C:\\\u0414\u0430\u043D\u043D\u044B\u0435\\\u5199\u771F", L"D:\\caf\u00E9",
                                L"  leading blanks"};
  LOGFONTW font = {};
  font.lfHeight = -13;
  font.lfWeight = 700;
  font.lfItalic = 1;
  font.lfCharSet = 204;
  wcscpy_s(font.lfFaceName, L"\u30E1\u30A4\u30EA\u30AA, bold");
  const WindowPlacementRecord placement = {-20, 30, 640, 480, 3};
  COLORREF colors[kCustomColorCount];
  for (int i = 0; i < kCustomColorCount; ++i) colors[i] = i < 10 ? RGB(i, 2 * i, 3 * i) : 0xFFFFFF;
  {
    SettingsStore store;
    ProfileStoreConstruct(&store, beside_.c_str(), 0);
    for (int i = 0; i < 7; ++i) ProfileSetString(&store, "Text", std::to_string(i).c_str(), texts[i]);
    ProfileSetString(&store, "Text", "empty", "");
    ProfileSetInt(&store, "Numbers", "negative", -42);
    ProfileSetOptInt(&store, "Numbers", 0x7FFFFFFF);
    ProfileSetPath(&store, "Paths", "first", names[0].c_str());
    ProfileSetPath(&store, "Paths", "second", names[1].c_str());
    ProfileSetPath(&store, "Paths", "third", names[2].c_str());
    ProfileSetLogFont(&store, "Look", "Font", font);
    ProfileSetWindowPos(&store, "Look", placement);
    ProfileSetCustomColors(&store, "Look", colors);
    ProfileSetHexInts(&store, "Look", "Pair", 0x000000, 0xFFFFFF, 7);
    ASSERT_EQ(ProfileSave(&store), 0);
    ProfileStoreDestroy(&store);
  }
  const std::string bytes = ReadWholeFile(beside_);
  EXPECT_NE(bytes.find("first=\xEF\xBB\xBF" "C:\\\xD0\x94"), std::string::npos) << "non-Latin names go as UTF-8";
  EXPECT_NE(bytes.find("second=D:\\caf\xE9"), std::string::npos) << "others stay in the code page";
  EXPECT_NE(bytes.find("CC=#0,30201,60402,90603,c0804,f0a05,120c06,150e07,181008,1b1209\r\n"), std::string::npos);

  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Get(&store, "Text", std::to_string(i).c_str()), texts[i]);
  EXPECT_EQ(Get(&store, "Text", "empty"), "");
  EXPECT_EQ(ProfileGetInt(&store, "Numbers", "negative", 0), -42);
  EXPECT_EQ(ProfileGetOptInt(&store, "Numbers", 0), 0x7FFFFFFF);
  EXPECT_EQ(ProfileGetInt(&store, "Numbers", "missing", 5), 5);
  EXPECT_EQ(GetPath(&store, "Paths", "first"), names[0]);
  EXPECT_EQ(GetPath(&store, "Paths", "second"), names[1]);
  EXPECT_EQ(GetPath(&store, "Paths", "third"), names[2]);
  LOGFONTW read = {};
  ASSERT_TRUE(ProfileGetLogFont(&store, "Look", "Font", &read));
  EXPECT_EQ(memcmp(&read, &font, sizeof font), 0);
  WindowPlacementRecord position = {};
  ProfileGetWindowPos(&store, "Look", &position, 900, 600);
  EXPECT_EQ(memcmp(&position, &placement, sizeof placement), 0);
  COLORREF readColors[kCustomColorCount];
  ProfileGetCustomColors(&store, "Look", readColors);
  EXPECT_EQ(memcmp(readColors, colors, sizeof colors), 0);
  uint32_t pair[3];
  EXPECT_TRUE(ProfileGetColorPair(&store, "Look", "Pair", pair));
  EXPECT_EQ(pair[1], 0xFFFFFFu);
  EXPECT_EQ(pair[2], 7u);
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, ASaveWritesOnlyWhenTheTextDiffersFromTheFile) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nk=v\r\n");
  const FILETIME old = {0x10000000, 0x01D00000};
  HANDLE file = CreateFileW(beside_.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &old);
  CloseHandle(file);
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  ProfileSetString(&store, "S", "k", "v");
  EXPECT_EQ(store.changed, 0);
  ProfileSetString(&store, "S", "k", "w");
  ProfileSetString(&store, "S", "k", "v");
  EXPECT_EQ(store.changed, 1);
  EXPECT_EQ(ProfileSave(&store), 0);
  const FILETIME after = LastWrite(beside_);
  EXPECT_EQ(CompareFileTime(&old, &after), 0) << "the same text is not written again";
  EXPECT_EQ(store.changed, 0);
  ProfileSuppressFileAccess(&store);
  ProfileSetString(&store, "S", "k", "suppressed");
  EXPECT_EQ(Get(&store, "S", "k"), "v");
  ProfileResumeFileAccess(&store);
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, TheFileIsChosenByWhereItExistsAndCanBeWritten) {
  SettingsStore store;
  Open(&store);
  EXPECT_EQ(Chosen(&store), beside_) << "with neither file, the one beside the program";
  ProfileSetString(&store, "S", "k", "first");
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[S]\r\nk=first\r\n");

  DeleteFileW(beside_.c_str());
  folder_.WriteFile(L"user\\Tallowby\\QVRXt.INI", "[S]\r\nk=per-user\r\n");
  Open(&store);
  EXPECT_EQ(Chosen(&store), perUser_);
  EXPECT_EQ(Get(&store, "S", "k"), "per-user");
  ProfileStoreDestroy(&store);

  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nk=beside\r\n\r\n[UseThis]\r\nOpt=\r\n");
  Open(&store);
  EXPECT_EQ(Chosen(&store), beside_) << "a writable file beside the program wins";
  EXPECT_EQ(Get(&store, "S", "k"), "beside");
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[S]\r\nk=beside\r\n\r\n") << "its empty note was removed";

  folder_.WriteFile(L"user\\Tallowby\\QVRXt.INI", "[S]\r\nk=per-user\r\n\r\n[UseThis]\r\nOpt=x\r\n");
  Open(&store);
  EXPECT_EQ(Chosen(&store), perUser_) << "unless the per-user file insists on itself";
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, AFailedWriteBesideTheProgramMovesTheStoreToThePerUserFile) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nk=shipped\r\n");
  SystemSeamsScope scope;
  g_refusedFolder = folder_ / L"prog";
  g_systemSeams.createFileW = RefuseWritesInFolder;
  SettingsStore store;
  Open(&store);
  EXPECT_EQ(Chosen(&store), beside_);
  EXPECT_EQ(Get(&store, "S", "k"), "shipped") << "settings of a file that cannot be written still count";
  ProfileSetString(&store, "S", "k", "mine");
  EXPECT_EQ(ProfileSave(&store), 0);
  EXPECT_EQ(Chosen(&store), perUser_);
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[S]\r\nk=shipped\r\n");
  const std::string note = "[UseThis]\r\nOpt=" + std::string(perUser_.begin(), perUser_.end()) + "\r\n";
  EXPECT_EQ(ReadWholeFile(perUser_), "[S]\r\nk=mine\r\n\r\n" + note);

  RestoreSystemSeams();
  Open(&store);
  EXPECT_EQ(Chosen(&store), perUser_) << "the next start keeps the per-user file";
  EXPECT_EQ(Get(&store, "S", "k"), "mine");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, WhereNoNewFileCanBeMadeBesideTheProgramTheSaveGoesWholeToThePerUserFile) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nk=shipped\r\n");
  folder_.MakeFolder(L"prog\\QVRXt.INI.new~");
  SettingsStore store;
  Open(&store);
  ProfileSetString(&store, "S", "k", "mine");
  EXPECT_EQ(ProfileSave(&store), 0);
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[S]\r\nk=shipped\r\n") << "never rewritten in place";
  const std::string note = "[UseThis]\r\nOpt=" + std::string(perUser_.begin(), perUser_.end()) + "\r\n";
  EXPECT_EQ(ReadWholeFile(perUser_), "[S]\r\nk=mine\r\n\r\n" + note);
}

TEST_F(ProfileStore, AFileThatCouldNotBeReadIsNeverOverwritten) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[S]\r\nk=everything the user set\r\n");
  SettingsStore store;
  {
    SystemSeamsScope scope;
    g_systemSeams.createFileW = RefuseReading;
    ProfileStoreConstruct(&store, beside_.c_str(), 0);
    EXPECT_EQ(Get(&store, "S", "k", "default"), "default");
  }
  ProfileSetString(&store, "S", "other", "1");
  EXPECT_EQ(ProfileSave(&store), ERROR_SHARING_VIOLATION);
  ProfileStoreDestroy(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "[S]\r\nk=everything the user set\r\n");
}

TEST_F(ProfileStore, AFileReadOnlyInPartIsNeverOverwritten) {
  const std::string text("[QVRX]\r\nFilter=a\0b\r\n\r\n[Keep]\r\nAlpha=1\r\n", 39);
  const auto utf16 = [](const std::string& narrow, bool bigEndian, bool mark) {
    std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    for (char c : narrow) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
  };
  const std::string plain = "[QVRX]\r\nLastFolder=C:\\x\r\n";
  const std::string files[] = {text, utf16(plain, false, true), utf16(plain, false, false), utf16(plain, true, true),
                               utf16(plain, true, false)};
  for (const std::string& bytes : files) {
    folder_.WriteFile(L"prog\\QVRXt.INI", bytes);
    SettingsStore store;
    ProfileStoreConstruct(&store, beside_.c_str(), kProfileMainStore);
    EXPECT_EQ(Get(&store, "QVRX", "Filter"), bytes == text ? "a" : "") << "what comes before the zero byte is read";
    ProfileSetString(&store, "QVRX", "LastFolder", "D:\\y");
    EXPECT_NE(ProfileSave(&store), 0);
    ProfileStoreDestroy(&store);
    EXPECT_EQ(ReadWholeFile(beside_), bytes);
  }
}

namespace {

std::atomic<bool> g_faultAtNextOpen{false};

HANDLE WINAPI FaultAtNextOpen(LPCWSTR name, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE templateFile) {
  if (g_faultAtNextOpen.exchange(false)) *static_cast<volatile int*>(InaccessibleMemory()) = 1;
  return ::CreateFileW(name, access, sharing, security, disposition, flags, templateFile);
}

}  // namespace

// A value that cannot be read faults inside an edit; a fault while a save reads the file strikes inside both the
// store's lock and the file's. The caller's guard takes the fault, and the next user has both.
TEST_F(ProfileStore, AFaultInsideAnEditOrASaveLeavesTheStoreAndTheFileToTheNextUser) {
  ExpectCaughtFaults();
  SystemSeamsScope seams;
  g_systemSeams.createFileW = FaultAtNextOpen;
  const struct {
    const char* what;
    std::function<void(SettingsStore*)> faulting;
  } cases[] = {
      {"an edit", [](SettingsStore* s) { ProfileSetString(s, "S", "k", static_cast<const char*>(InaccessibleMemory())); }},
      {"a save",
       [](SettingsStore* s) {
         ProfileSetString(s, "S", "k", "1");
         g_faultAtNextOpen = true;
         ProfileSave(s);
       }},
  };
  for (const auto& c : cases) {
    DeleteFileW(beside_.c_str());
    SettingsStore store;
    ProfileStoreConstruct(&store, beside_.c_str(), 0);
    EXPECT_TRUE(NextUserAfterCaughtFault([&] { c.faulting(&store); }, [&] {
      ProfileSetString(&store, "S", "next", "2");
      return Get(&store, "S", "next") == "2" && ProfileSave(&store) == 0;
    })) << c.what;
    EXPECT_NE(ReadWholeFile(beside_).find("next=2\r\n"), std::string::npos) << c.what;
    ProfileStoreDestroy(&store);
  }
}

// Two threads of this process and a second process set keys of one file and save after each. The other process's
// first save stops inside the file's lock until a save of each thread has given up waiting for it: meanwhile the
// threads read and write on, and nothing is written without the lock. In the end every key of all three is there.
TEST_F(ProfileStore, TwoThreadsAndTwoProcessesSavingOneFileLoseNoKey) {
  constexpr int kKeys = 20;
  const std::wstring tag = std::to_wstring(GetCurrentProcessId());
  const std::wstring heldName = L"QVRXtest.writer.held." + tag;
  const std::wstring goName = L"QVRXtest.writer.go." + tag;
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, heldName.c_str());
  HANDLE go = CreateEventW(nullptr, TRUE, FALSE, goName.c_str());
  ProcessDriver writer;
  ASSERT_TRUE(writer.Start(ExecutableFolder() + L"\\ProfileWriter.exe",
                           L"\"" + beside_ + L"\" P " + std::to_wstring(kKeys) + L" " + heldName + L" " + goName,
                           folder_.Path()));
  ASSERT_EQ(WaitForSingleObject(held, 10000), WAIT_OBJECT_0);
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  store.fileLockWait = 100;
  std::atomic<int> gaveUp[2] = {0, 0};
  std::atomic<int> finished{0};
  std::atomic<bool> failed{false};
  auto hammer = [&](int thread) {
    const std::string section = "T" + std::to_string(thread);
    for (int i = 1; i <= kKeys && !failed; ++i) {
      const std::string key = "k" + std::to_string(i), value = "v" + std::to_string(i);
      ProfileSetString(&store, section.c_str(), key.c_str(), value.c_str());
      if (Get(&store, section.c_str(), key.c_str()) != value) failed = true;
      const int saved = ProfileSave(&store);
      if (saved == ERROR_SHARING_VIOLATION) ++gaveUp[thread];
      if (saved != 0 && saved != ERROR_SHARING_VIOLATION) failed = true;
    }
    ++finished;
  };
  std::thread first(hammer, 0), second(hammer, 1);
  while (!(gaveUp[0] > 0 && gaveUp[1] > 0) && !failed && finished < 2) Sleep(1);
  EXPECT_FALSE(failed) << "a read or write of one thread while the other's save waited";
  EXPECT_EQ(ReadWholeFile(beside_), "") << "no save wrote without the file's lock";
  SetEvent(go);
  first.join();
  second.join();
  EXPECT_FALSE(failed);
  EXPECT_EQ(writer.WaitForExit(), 0);
  EXPECT_EQ(ProfileSave(&store), 0);
  ProfileStoreDestroy(&store);
  SettingsStore reader;
  ProfileStoreConstruct(&reader, beside_.c_str(), 0);
  for (const char* section : {"T0", "T1", "P"}) {
    for (int i = 1; i <= kKeys; ++i)
      EXPECT_EQ(Get(&reader, section, ("k" + std::to_string(i)).c_str()), "v" + std::to_string(i)) << section << i;
  }
  ProfileStoreDestroy(&reader);
  CloseHandle(held);
  CloseHandle(go);
}

TEST_F(ProfileStore, WindowPositionsAndColoursAreChecked) {
  folder_.WriteFile(L"prog\\QVRXt.INI",
                    "[Narrow]\r\nPos=10,10,40,300,1\r\n[Shown]\r\nPos=1,2,300,200,2\r\n[Grey]\r\nP=#808080,7f7f7f\r\n");
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  WindowPlacementRecord position = {};
  ProfileGetWindowPos(&store, "Narrow", &position, 300, 200);
  EXPECT_EQ(position.x, kPlacementUnset);
  EXPECT_EQ(position.width, ScaleByScreenWidth(300));
  ProfileGetWindowPos(&store, "Shown", &position, 300, 200);
  EXPECT_EQ(position.x, 1);
  EXPECT_EQ(position.showState, 0);
  NormalizeWindowPosition(nullptr, &store, "Shown");
  EXPECT_EQ(Get(&store, "Shown", "Pos"), "-2147483648,-2147483648,300,200,2");
  uint32_t pair[3] = {1, 1, 1};
  EXPECT_FALSE(ProfileGetColorPair(&store, "Grey", "P", pair)) << "colours too close to read apart";
  EXPECT_EQ(pair[0] + pair[1] + pair[2], 0u);
  COLORREF white[kCustomColorCount];
  for (COLORREF& color : white) color = 0xFFFFFF;
  ProfileSetCustomColors(&store, "Grey", white);
  EXPECT_EQ(Get(&store, "Grey", "CC", "none"), "none");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, ColumnWidthsAreReadInTableOrderOrByColumnId) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[W]\r\nL=120;52,70;5;99999\r\n");
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  ColumnLayout table[] = {{50, 0, 0, 0}, {51, 0, 1, 0}, {52, 80, 2, 0}, {53, 0, 3, 0}, {0, 0, 0, 0}};
  ProfileGetColumnWidths(&store, table, "W", nullptr);
  // "52,70" sets column 52 without taking a place; a width too narrow or too wide leaves 0 as 100.
  EXPECT_EQ(table[0].width, 120);
  EXPECT_EQ(table[1].width, 100);
  EXPECT_EQ(table[2].width, 70);
  EXPECT_EQ(table[3].width, 0);
  ProfileSetColumnWidths(&store, table, "W", "Out");
  EXPECT_EQ(Get(&store, "W", "Out"), "120;100;70;0");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, AMainStoreNotesADesktopOfAnotherSizeAndItsVersion) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[Desk]\r\n.=#1,1\r\n[F]\r\nFont=-12,0,0,0,400,0,0,0,0,0,0,0,0,Tahoma\r\n");
  SettingsStore store;
  Open(&store, kProfileMainStore);
  EXPECT_TRUE(ProfileDesktopSizeChanged(&store));
  EXPECT_EQ(ProfileGetFont(&store, "F", "Font"), nullptr) << "fonts of another desktop are not used";
  ProfileStoreDestroy(&store);
  EXPECT_NE(ReadWholeFile(beside_).find("[QVRX]\r\nVersion=26.01\r\n"), std::string::npos);
  Open(&store, kProfileMainStore);
  EXPECT_FALSE(ProfileDesktopSizeChanged(&store));
  HFONT font = ProfileGetFont(&store, "F", "Font");
  EXPECT_NE(font, nullptr);
  DeleteObject(font);
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, AUtf8FileIsReadAndWrittenAsUtf8) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "\xEF\xBB\xBF[S]\r\np=caf\xC3\xA9\r\n");
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  EXPECT_EQ(GetPath(&store, "S", "p"), L"caf\u00E9");
  ProfileSetPath(&store, "S", "q", L"\u03A9mega");
  ProfileSave(&store);
  EXPECT_EQ(ReadWholeFile(beside_), "\xEF\xBB\xBF[S]\r\np=caf\xC3\xA9\r\nq=\xCE\xA9mega\r\n");
  ProfileStoreDestroy(&store);
}

TEST_F(ProfileStore, SectionsAreCopiedAndVisitedLineByLine) {
  folder_.WriteFile(L"prog\\QVRXt.INI", "[QK]\r\nR1=<Case,1>\r\n\r\nnote\r\n R2 = \"  x\"\r\n=skipped\r\n[Next]\r\n");
  SettingsStore store;
  ProfileStoreConstruct(&store, beside_.c_str(), 0);
  char lines[64];
  EXPECT_EQ(ProfileCopySection(&store, "QK", lines, sizeof lines), 39);
  EXPECT_EQ(std::string(lines, 39), std::string("R1=<Case,1>\0note\0 R2 = \"  x\"\0=skipped\0", 39));
  EXPECT_EQ(ProfileGetSectionLength(&store, "QK"), 39);
  EXPECT_EQ(ProfileCopySection(&store, "QK", lines, 20), 39) << "lines that do not fit are left out";
  EXPECT_EQ(std::string(lines, 18), std::string("R1=<Case,1>\0note\0\0", 18));
  std::string visited;
  const int calls = ProfileEnumSection(
      &store, "QK",
      [](const char* key, const char* value, void* data) {
        *static_cast<std::string*>(data) += std::string(key) + "|" + value + ";";
        return 0;
      },
      &visited);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(visited, "R1|<Case,1>; R2|\"  x\";") << "values come as they stand";
  ProfileStoreDestroy(&store);
}

namespace {

struct ProblemCase {
  const char* what;
  std::string bytes;           // the file beside the program
  const wchar_t* refusedIn;    // folder under the test folder where writes are refused, or null
  int kind;                    // 0: none
  int error;
};

}  // namespace

// What the user must hear of: named once with the file; after a move, with the file the settings went to.
TEST_F(ProfileStore, TroublesWithTheFileAreGivenOnceWithTheirFile) {
  const std::string utf16("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0\r\0\n\0", 22);
  const ProblemCase cases[] = {
      {"a UTF-16 file", utf16, nullptr, kProfileUnreadable, ERROR_INVALID_DATA},
      {"a folder that refuses writes", "[S]\r\nk=v\r\n", L"prog", kProfileMovedAway, ERROR_OPEN_FAILED},
      {"nowhere to write", "[S]\r\nk=v\r\n", L"", kProfileNotSaved, ERROR_OPEN_FAILED},
      {"a file that takes the save", "[S]\r\nk=v\r\n", nullptr, 0, 0},
  };
  for (const ProblemCase& c : cases) {
    DeleteFileW(perUser_.c_str());
    folder_.WriteFile(L"prog\\QVRXt.INI", c.bytes);
    SystemSeamsScope scope;
    if (c.refusedIn) {
      g_refusedFolder = folder_ / c.refusedIn;
      g_systemSeams.createFileW = RefuseWritesInFolder;
    }
    SettingsStore store;
    Open(&store);
    ProfileSetString(&store, "S", "k", "mine");
    const bool saved = ProfileSave(&store) == 0;
    EXPECT_EQ(saved, c.kind == 0 || c.kind == kProfileMovedAway) << c.what;
    ProfileProblem problem = {};
    ASSERT_EQ(ProfileTakeProblem(&store, &problem), c.kind != 0) << c.what;
    if (c.kind != 0) {
      EXPECT_EQ(problem.kind, c.kind) << c.what;
      EXPECT_EQ(problem.error, c.error) << c.what;
      EXPECT_EQ(std::wstring(problem.path), beside_) << c.what;
      if (c.kind == kProfileMovedAway) {
        EXPECT_EQ(std::wstring(problem.movedTo), perUser_) << c.what;
      }
    }
    // Told once: the next failing save says nothing new.
    ProfileSetString(&store, "S", "k", "again");
    ProfileSave(&store);
    EXPECT_FALSE(ProfileTakeProblem(&store, &problem)) << c.what;
    ProfileStoreDestroy(&store);
  }
}

namespace {

// Two instances of the program on one file: each store read the file before the other saved.
struct TwoStoresCase {
  const char* what;
  std::function<void(SettingsStore*)> first;   // saved first
  std::function<void(SettingsStore*)> second;  // saved last
  std::vector<std::pair<std::string, std::string>> expected;  // "section/key" and value ("" missing)
};

// The recent files as the shell writes them: newest first, the section declared a list of recent entries.
void SetRecentList(SettingsStore* store, const std::vector<const char*>& paths, uint32_t limit) {
  ProfileDeclareRecentList(store, "MRU", limit);
  ProfileDeleteSection(store, "MRU");
  for (size_t i = 0; i < paths.size(); ++i) ProfileSetString(store, "MRU", std::to_string(i + 1).c_str(), paths[i]);
}

void SetChain(SettingsStore* store, const std::vector<const char*>& steps) {
  ProfileDeleteSection(store, "QK");
  for (size_t i = 0; i < steps.size(); ++i)
    ProfileSetString(store, "QK", ("R" + std::to_string(i + 1)).c_str(), steps[i]);
}

}  // namespace

TEST_F(ProfileStore, TwoInstancesOnOneFileKeepEachOthersChanges) {
  const std::string start =
      "[QVRX]\r\nOpt=32\r\nPos=1\r\n\r\n[QK]\r\nR1=<Case,n,1>\r\nR2=<Ext,1>\r\n\r\n[MRU]\r\n1=C:\\a.zqr\r\n";
  const TwoStoresCase cases[] = {
      {"different keys and lists",
       [](SettingsStore* s) {
         SetChain(s, {"<Case,n,2>"});
         ProfileSetString(s, "MRU", "1", "C:\\s.zqr");
         ProfileSetString(s, "MRU", "2", "C:\\a.zqr");
         ProfileSetString(s, "New", "k", "1");
       },
       [](SettingsStore* s) {
         ProfileSetString(s, "QVRX", "LastFolder", "C:\\b");
         ProfileDeleteKey(s, "QVRX", "Pos");
         SetChain(s, {"<Case,n,1>", "<Ext,1>"});  // written again as it was: no change
       },
       {{"QK/R1", "<Case,n,2>"}, {"QK/R2", ""}, {"MRU/1", "C:\\s.zqr"}, {"MRU/2", "C:\\a.zqr"}, {"New/k", "1"},
        {"QVRX/LastFolder", "C:\\b"}, {"QVRX/Pos", ""}, {"QVRX/Opt", "32"}}},
      {"one key and one list changed by both",
       [](SettingsStore* s) {
         ProfileSetString(s, "QVRX", "Opt", "1");
         SetChain(s, {"<A,1>", "<A,2>", "<A,3>"});
       },
       [](SettingsStore* s) {
         ProfileSetString(s, "QVRX", "Opt", "2");
         SetChain(s, {"<B,1>"});
       },
       {{"QVRX/Opt", "2"}, {"QK/R1", "<B,1>"}, {"QK/R2", ""}, {"QK/R3", ""}, {"QVRX/Pos", "1"}}},
      {"a list emptied by the second",
       [](SettingsStore* s) { ProfileSetString(s, "MRU", "2", "C:\\t.zqr"); },
       [](SettingsStore* s) { SetChain(s, {}); },
       {{"QK/R1", ""}, {"MRU/1", "C:\\a.zqr"}, {"MRU/2", "C:\\t.zqr"}}},
      {"a value the second read as its default and wrote back",
       [](SettingsStore* s) { ProfileSetInt(s, "QVRX", "Sort", 4); },
       [](SettingsStore* s) { ProfileSetInt(s, "QVRX", "Sort", ProfileGetInt(s, "QVRX", "Sort", 0)); },
       {{"QVRX/Sort", "4"}}},
      {"a value the second wrote back after a save that took in the first's",
       [](SettingsStore* s) { ProfileSetString(s, "QVRX", "Opt", "1"); },
       [](SettingsStore* s) {
         ProfileSetString(s, "QVRX", "LastFolder", "C:\\b");
         ProfileSave(s);
         ProfileSetString(s, "QVRX", "Opt", "32");
       },
       {{"QVRX/Opt", "1"}, {"QVRX/LastFolder", "C:\\b"}}},
      {"recent lists changed by both: the last's new entries first, what it removed stays out",
       [](SettingsStore* s) { SetRecentList(s, {"C:\\s.zqr", "C:\\u.zqr", "C:\\a.zqr"}, 8); },
       [](SettingsStore* s) { SetRecentList(s, {"C:\\t.zqr"}, 8); },
       {{"MRU/1", "C:\\t.zqr"}, {"MRU/2", "C:\\s.zqr"}, {"MRU/3", "C:\\u.zqr"}, {"MRU/4", ""}}},
      {"recent lists changed by both, entries compared ignoring case, cut to their limit",
       [](SettingsStore* s) { SetRecentList(s, {"C:\\s.zqr", "C:\\a.zqr"}, 2); },
       [](SettingsStore* s) { SetRecentList(s, {"C:\\t.zqr", "C:\\A.ZQR"}, 2); },
       {{"MRU/1", "C:\\t.zqr"}, {"MRU/2", "C:\\s.zqr"}, {"MRU/3", ""}}},
  };
  for (const TwoStoresCase& c : cases) {
    folder_.WriteFile(L"prog\\QVRXt.INI", start);
    SettingsStore last;
    SettingsStore first;
    ProfileStoreConstruct(&last, beside_.c_str(), 0);
    Get(&last, "QVRX", "Opt");
    ProfileStoreConstruct(&first, beside_.c_str(), 0);
    c.first(&first);
    ASSERT_EQ(ProfileSave(&first), 0) << c.what;
    ProfileStoreDestroy(&first);
    c.second(&last);
    ASSERT_EQ(ProfileSave(&last), 0) << c.what;
    ProfileStoreDestroy(&last);
    SettingsStore reader;
    ProfileStoreConstruct(&reader, beside_.c_str(), 0);
    for (const auto& [name, value] : c.expected) {
      const size_t slash = name.find('/');
      EXPECT_EQ(Get(&reader, name.substr(0, slash).c_str(), name.substr(slash + 1).c_str()), value)
          << c.what << ": " << name;
    }
    ProfileStoreDestroy(&reader);
  }
}
