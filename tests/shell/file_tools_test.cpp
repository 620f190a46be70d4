// The attributes and timestamps tools on real files of the running program, on the Central European clock:
// attributes and times set and read back through the system, times from EXIF capture dates, mail dates and
// name digits, the changes Wine does not make listed instead of reported as done, and 10 000 files changed in
// one run with its progress, and stopped half-way, with nothing else about them changed.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "date_checks.h"
#include "engine/rename_run.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/core/jobs.h"
#include "foundation/text/packed_date.h"
#include "foundation/ui/command_ids.h"
#include "program_fixture.h"
#include "shell/attributes_tool.h"
#include "shell/timestamp_options.h"
#include "shell/timestamps_tool.h"
#include "tests/metadata/exif_samples.h"
#include "views/file_list_row.h"
#include "views/items_view.h"

namespace {

FILETIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0) {
  return LocalFileTime(DateTime(year, month, day, hour, minute, second));
}

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0) {
  return UtcFileTime(DateTime(year, month, day, hour, minute, second));
}

uint64_t Value(const FILETIME& time) { return FileTimeToUInt64(time); }

WIN32_FILE_ATTRIBUTE_DATA OnDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(AsGiven(path).c_str(), GetFileExInfoStandard, &data);
  return data;
}

void SetTimes(const std::wstring& path, const FILETIME* creation, const FILETIME* lastWrite) {
  HANDLE file =
      CreateFileW(AsGiven(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(SetFileTime(file, creation, nullptr, lastWrite));
  CloseHandle(file);
}

// Whether the file system keeps a creation time apart from the last-write time (Wine does not).
bool SystemKeepsCreationTimes(const std::wstring& folder) {
  const std::wstring path = folder + L"\\creation.probe";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const FILETIME creation = Utc(2001, 1, 1, 0);
  const FILETIME lastWrite = Utc(2002, 2, 2, 0);
  SetFileTime(file, &creation, nullptr, &lastWrite);
  CloseHandle(file);
  const bool kept = Value(OnDisk(path).ftCreationTime) == Value(creation);
  DeleteFileW(path.c_str());
  return kept;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// A JPEG whose EXIF data holds the original date-time.
std::string JpegTakenAt(const char* dateTime) {
  TiffBuilder tiff(false);
  const int first = tiff.Directory();
  const int exif = tiff.Directory();
  tiff.Link(first, 0x8769, exif);
  tiff.AddText(exif, 0x9003, dateTime);
  return JpegFile(ExifSegment(tiff.Build()) + FrameHeader(8, 8));
}

class FileTools : public ProgramFixture {
 protected:
  std::wstring File(const std::wstring& name) const { return FilesFolder() + L"\\" + name; }

  // Selects the rows of these names only.
  void Select(const std::vector<std::wstring>& names) {
    Gui([&] {
      ItemListControl* files = g_app->fileList;
      ItemsViewSelectItems(files, -1, 0);
      for (uint32_t i = 0; i < ItemStoreCount(&files->rows); ++i) {
        const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&files->rows, i));
        if (std::find(names.begin(), names.end(), row->currentName) != names.end())
          ItemsViewSelectItems(files, static_cast<int>(i), 1);
      }
    });
  }

  FileInfo Listed(const std::wstring& name) const {
    FileInfo info = {};
    Gui([&] {
      const ItemStore* rows = &g_app->fileList->rows;
      for (uint32_t i = 0; i < ItemStoreCount(rows); ++i) {
        const auto* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(rows, i));
        if (name == row->currentName) info = row->info;
      }
    });
    return info;
  }

  // A run over many files on a loaded machine: up to two minutes.
  bool WaitLongUntilIdle() const {
    for (int i = 0; i < 12; ++i) {
      if (WaitUntilIdle()) return true;
    }
    return false;
  }

  // Lists the folder again and waits until the listing is done.
  bool Relist(size_t count) {
    SendMessageW(window_, WM_COMMAND, IDM_RELOAD_LIST, 0);
    return WaitFor([&] { return g_app->busyCounter == 0 && ItemStoreCount(&g_app->fileList->rows) == count; });
  }
};

}  // namespace

TEST_F(FileTools, AttributesAndTimesReachTheSelectedFilesAndWhatDidNotHappenIsListed) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  ASSERT_TRUE(Start({L"a.txt", L"b.txt", L"c.txt"}, {}));
  const FILETIME winter = Local(2020, 3, 15, 12);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) SetTimes(File(name), &winter, &winter);
  ASSERT_TRUE(Relist(3));
  Select({L"a.txt", L"b.txt"});
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  AttributeChanges changes = {};
  changes.set = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_COMPRESSED;
  changes.changeTimes = true;
  changes.times.lower.dateUnit = 'D';
  changes.times.lower.dateValue = Value(Utc(2019, 1, 2, 3, 4, 5));
  changes.times.upper.dateUnit = 'L';
  changes.times.upper.dateValue = 1;
  bool started = false;
  Gui([&] { started = StartAttributesJob(window_, changes); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());

  const bool creationKept = SystemKeepsCreationTimes(FilesFolder());
  const std::wstring report = boxes.LastText();
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) {
    SCOPED_TRACE(testing::Message() << Narrow(name));
    const WIN32_FILE_ATTRIBUTE_DATA disk = OnDisk(File(name));
    EXPECT_EQ(disk.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0x3u);
    // A month on keeps 12:00 on the clock across the change to summer time.
    EXPECT_EQ(Value(disk.ftLastWriteTime), Value(Local(2020, 4, 15, 12)));
    const FileInfo row = Listed(name);
    EXPECT_EQ(row.attributes, disk.dwFileAttributes & 0x4C37);
    EXPECT_EQ(Value(row.lastWriteTime), Value(disk.ftLastWriteTime));
    EXPECT_EQ(Value(row.creationTime), Value(disk.ftCreationTime));
    // What the system did not do is listed with the file, never passed over.
    const std::wstring path = File(name);
    if (creationKept) {
      EXPECT_EQ(Value(disk.ftCreationTime), Value(Utc(2019, 1, 2, 3, 4, 5)));
    } else {
      EXPECT_TRUE(Contains(report, path + L": Created: ")) << Narrow(report);
    }
    if ((disk.dwFileAttributes & FILE_ATTRIBUTE_COMPRESSED) == 0) {
      EXPECT_TRUE(Contains(report, path + L": Compressed: ")) << Narrow(report);
    }
    EXPECT_FALSE(Contains(report, path + L": Read-only")) << "a change that happened is not listed";
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  EXPECT_FALSE(Contains(report, L"c.txt"));
  const WIN32_FILE_ATTRIBUTE_DATA untouched = OnDisk(File(L"c.txt"));
  EXPECT_EQ(Value(untouched.ftLastWriteTime), Value(winter));
  EXPECT_EQ(untouched.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
  EXPECT_EQ(Close(), 0);
}

TEST_F(FileTools, TheListedFileIsChangedNotItsTwinWithoutTheTrailingDot) {
  ASSERT_TRUE(Start({L"notes", L"notes."}, {}));
  Select({L"notes."});
  const WIN32_FILE_ATTRIBUTE_DATA twin = OnDisk(File(L"notes"));
  const WIN32_FILE_ATTRIBUTE_DATA listed = OnDisk(File(L"notes."));
  AttributeChanges changes = {};
  changes.set = FILE_ATTRIBUTE_READONLY;
  changes.changeTimes = true;
  changes.times.upper.dateUnit = 'H';
  changes.times.upper.dateValue = 1;
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  bool started = false;
  Gui([&] { started = StartAttributesJob(window_, changes); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  const WIN32_FILE_ATTRIBUTE_DATA changed = OnDisk(File(L"notes."));
  EXPECT_EQ(Value(changed.ftLastWriteTime), Value(listed.ftLastWriteTime) + 3600 * kFileTimeUnitsPerSecond);
  EXPECT_TRUE(changed.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Value(OnDisk(File(L"notes")).ftLastWriteTime), Value(twin.ftLastWriteTime));
  EXPECT_EQ(OnDisk(File(L"notes")).dwFileAttributes, twin.dwFileAttributes);
  EXPECT_EQ(Value(Listed(L"notes.").lastWriteTime), Value(changed.ftLastWriteTime));
  EXPECT_EQ(boxes.Answered(), 0) << Narrow(boxes.LastText());
  SetFileAttributesW(AsGiven(File(L"notes.")).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(Close(), 0);
}

TEST_F(FileTools, TimestampsComeFromExifDatesMailDatesAndNameDigits) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  const std::vector<std::wstring> names = {L"photo.jpg", L"message.eml", L"IMG_20200503_121314.txt",
                                           L"IMG_20200503_000000.txt", L"plain.txt"};
  ASSERT_TRUE(Start(names, {}));
  temp_.WriteFile(L"files\\photo.jpg", JpegTakenAt("2021:06:01 10:20:30"));
  // Summer time in Berlin ends on 31 October 2021 at 03:00.
  temp_.WriteFile(L"files\\message.eml", "From: a@b.c\r\nDate: Sun, 31 Oct 2021 02:30:00 +0100\r\n\r\nText\r\n");
  const FILETIME before = Utc(2010, 1, 1, 0);
  for (const std::wstring& name : names) SetTimes(File(name), nullptr, &before);
  ASSERT_TRUE(Relist(names.size()));
  Select(names);
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  bool started = false;
  Gui([&] {
    started = StartTimestampJob(window_, 1 | kTimestampFromExif | kTimestampFromMail | kTimestampFromNameDigits |
                                             kTimestampSetModification);
  });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  const struct {
    const wchar_t* name;
    FILETIME expected;
  } cases[] = {{L"photo.jpg", Utc(2021, 6, 1, 8, 20, 30)},
               {L"message.eml", Utc(2021, 10, 31, 1, 30)},
               {L"IMG_20200503_121314.txt", Utc(2020, 5, 3, 10, 13, 14)},
               {L"IMG_20200503_000000.txt", Utc(2020, 5, 2, 22, 0, 0)},
               {L"plain.txt", before}};
  for (const auto& c : cases) {
    EXPECT_EQ(Value(OnDisk(File(c.name)).ftLastWriteTime), Value(c.expected)) << Narrow(c.name);
    EXPECT_EQ(Value(Listed(c.name).lastWriteTime), Value(c.expected)) << Narrow(c.name);
  }
  EXPECT_EQ(boxes.Answered(), 0) << Narrow(boxes.LastText());
  EXPECT_EQ(Close(), 0);
}

TEST_F(FileTools, TimesRoundToTheTwoSecondsOfDos) {
  ASSERT_TRUE(Start({L"odd.txt"}, {}));
  const FILETIME lastWrite = UInt64ToFileTime(Value(Utc(2022, 8, 9, 10, 11, 13)) + 5000000);
  SetTimes(File(L"odd.txt"), nullptr, &lastWrite);
  ASSERT_TRUE(Relist(1));
  Select({L"odd.txt"});
  bool started = false;
  Gui([&] { started = StartTimestampJob(window_, kTimestampRoundToDos | kTimestampSetModification); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Value(OnDisk(File(L"odd.txt")).ftLastWriteTime), Value(Utc(2022, 8, 9, 10, 11, 12)));
  EXPECT_EQ(Close(), 0);
}

TEST_F(FileTools, TheOtherTimeIsCopiedIntoTheChosenOne) {
  ASSERT_TRUE(Start({L"copied.txt"}, {}));
  if (!SystemKeepsCreationTimes(FilesFolder())) GTEST_SKIP() << "the file system keeps no creation time of its own";
  const FILETIME creation = Utc(2021, 1, 1, 0);
  const FILETIME lastWrite = Utc(2022, 8, 9, 10);
  SetTimes(File(L"copied.txt"), &creation, &lastWrite);
  ASSERT_TRUE(Relist(1));
  Select({L"copied.txt"});
  bool started = false;
  Gui([&] { started = StartTimestampJob(window_, kTimestampCopyOtherTime | kTimestampSetCreation); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Value(OnDisk(File(L"copied.txt")).ftCreationTime), Value(lastWrite));
  EXPECT_EQ(Close(), 0);
}

// The dialog greys the copy while both times are chosen: a box left checked then copies nothing and lets the
// name digits set both times.
TEST_F(FileTools, WithBothTimesChosenNothingIsCopiedAndTheNameDigitsCount) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  const wchar_t name[] = L"IMG_20200503_121314.txt";
  ASSERT_TRUE(Start({name}, {}));
  const FILETIME before = Utc(2010, 1, 1, 0);
  SetTimes(File(name), nullptr, &before);
  ASSERT_TRUE(Relist(1));
  Select({name});
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  bool started = false;
  Gui([&] {
    started = StartTimestampJob(window_, kTimestampCopyOtherTime | kTimestampFromNameDigits | kTimestampSetCreation |
                                             kTimestampSetModification);
  });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Value(OnDisk(File(name)).ftLastWriteTime), Value(Local(2020, 5, 3, 12, 13, 14)));
  EXPECT_EQ(Close(), 0);
}

// A step reads the times a tool changed: the next run renames to what the files have now.
TEST_F(FileTools, NamesFollowTheTimesATimeToolChangedBeforeTheNextRun) {
  ASSERT_TRUE(Start({L"a.txt", L"b.txt"}, {"<Date,n,m,0,\"yyyy\">"}));
  const FILETIME summer2021 = Utc(2021, 6, 15, 12);
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) SetTimes(File(name), nullptr, &summer2021);
  ASSERT_TRUE(Relist(2));
  ASSERT_EQ(NewNames(), (std::vector<std::wstring>{L"2021a.txt", L"2021b.txt"}));
  Select({L"a.txt", L"b.txt"});
  AttributeChanges changes = {};
  changes.changeTimes = true;
  changes.times.upper.dateUnit = 'Y';
  changes.times.upper.dateValue = 3;
  bool started = false;
  Gui([&] { started = StartAttributesJob(window_, changes); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  Gui([&] { started = StartRenameRun(window_); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(Disk(), (std::vector<std::wstring>{L"2024a.txt", L"2024b.txt"}));
  EXPECT_EQ(Close(), 0);
}

// Thousands of refusals must not mean thousands of boxes, each holding the run up: one list at the end.
TEST_F(FileTools, TimesThatCannotBeSetAreListedOnceAtTheEnd) {
  const std::vector<std::wstring> names = {L"IMG_20200503_121314_1.txt", L"IMG_20200503_121314_2.txt",
                                           L"IMG_20200503_121314_3.txt"};
  ASSERT_TRUE(Start(names, {}));
  Select(names);
  for (const std::wstring& name : names) ASSERT_TRUE(DeleteFileW(File(name).c_str()));
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  bool started = false;
  Gui([&] { started = StartTimestampJob(window_, kTimestampFromNameDigits | kTimestampSetModification); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(boxes.Answered(), 1);
  for (const std::wstring& name : names) EXPECT_TRUE(Contains(boxes.LastText(), File(name))) << Narrow(name);
  EXPECT_EQ(Close(), 0);
}

namespace {

// The percentages a job shows; at `stopAt` per cent it asks the job to stop.
struct ProgressRecord {
  std::mutex lock;
  std::vector<uint32_t> shown;
  uint32_t stopAt = 101;
};
ProgressRecord g_progress;

void RecordProgress(uint32_t percent) {
  std::lock_guard<std::mutex> hold(g_progress.lock);
  g_progress.shown.push_back(percent);
  if (percent >= g_progress.stopAt) RequestJobStop();
}

}  // namespace

// Two thousand files give every percentage of the progress and a stop within one per cent of twenty files.
TEST_F(FileTools, TwoThousandFilesGetNewTimesWithProgressAndAStopLeavesTheRestAsTheyWere) {
  constexpr int kCount = 2000;
  std::vector<std::wstring> names;
  for (int i = 0; i < kCount; ++i) names.push_back(L"f" + std::to_wstring(100000 + i) + L".txt");
  ASSERT_TRUE(Start(names, {}));
  std::vector<WIN32_FILE_ATTRIBUTE_DATA> before;
  for (const std::wstring& name : names) before.push_back(OnDisk(File(name)));
  SendMessageW(window_, WM_COMMAND, IDM_SELECT_ALL, 0);
  DialogWatcher boxes(GetCurrentProcessId(), IDOK);
  const auto previous = g_jobNotices.setProgressPercent;
  g_jobNotices.setProgressPercent = RecordProgress;
  AttributeChanges changes = {};
  changes.changeTimes = true;
  changes.times.upper.dateUnit = 'H';
  changes.times.upper.dateValue = 1;
  const uint64_t hour = 3600 * kFileTimeUnitsPerSecond;

  bool started = false;
  Gui([&] { started = StartAttributesJob(window_, changes); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitLongUntilIdle());
  std::vector<uint32_t> shown;
  {
    std::lock_guard<std::mutex> hold(g_progress.lock);
    shown.swap(g_progress.shown);
    g_progress.stopAt = 30;
  }
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_EQ(shown.back(), 100u);
  EXPECT_GT(std::unique(shown.begin(), shown.end()) - shown.begin(), 50);

  Gui([&] { started = StartAttributesJob(window_, changes); });
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitLongUntilIdle());
  g_jobNotices.setProgressPercent = previous;

  // Every file moved by an hour, those before the stop by two; nothing else changed.
  int twice = 0;
  for (int i = 0; i < kCount; ++i) {
    const WIN32_FILE_ATTRIBUTE_DATA now = OnDisk(File(names[i]));
    const uint64_t moved = Value(now.ftLastWriteTime) - Value(before[i].ftLastWriteTime);
    if (moved == 2 * hour) ++twice;
    ASSERT_EQ(moved, twice == i + 1 ? 2 * hour : hour) << Narrow(names[i]) << ": a stopped run goes in list order";
    ASSERT_EQ(Value(now.ftLastAccessTime), Value(before[i].ftLastAccessTime)) << Narrow(names[i]);
    ASSERT_EQ(now.dwFileAttributes, before[i].dwFileAttributes) << Narrow(names[i]);
    ASSERT_EQ(ReadWholeFile(File(names[i])), Narrow(names[i]));
  }
  EXPECT_GE(twice, kCount * 30 / 100);
  EXPECT_LT(twice, kCount * 31 / 100);
  EXPECT_EQ(boxes.Answered(), 0) << Narrow(boxes.LastText());
  EXPECT_EQ(Disk(), [&] {
    std::vector<std::wstring> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  }());
  EXPECT_EQ(Close(), 0);
}
