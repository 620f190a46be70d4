// The Date and Time modules on real files whose times are set with SetFileTime and read back by the folder
// listing: the chosen stamp in local time (Central European, across both daylight-saving changes of 2024),
// the fall-back to the last-write time for stamps before 1980, and the preset pictures.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "date_checks.h"
#include "engine/modules/date_time_modules.h"
#include "foundation/files/paths.h"
#include "module_steps.h"
#include "run_fixture.h"

namespace {

struct FileTimes {
  SYSTEMTIME write;
  SYSTEMTIME creation;
  SYSTEMTIME access;
};

const SYSTEMTIME kBefore1980 = DateTime(1979, 6, 1, 12);

// Last write 2024-03-05 14:07:09 UTC, created in 1975, last read 2023-12-24 10:00 UTC.
const FileTimes kOrdinary = {DateTime(2024, 3, 5, 14, 7, 9), DateTime(1975, 6, 1), DateTime(2023, 12, 24, 10)};

class DateTimeModules : public RunFixture {
 protected:
  void AddTimedFile(const std::wstring& name, const FileTimes& times) {
    const std::wstring path = temp_.WriteFile(L"one\\" + name, "x");
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const FILETIME creation = UtcFileTime(times.creation);
    const FILETIME access = UtcFileTime(times.access);
    const FILETIME write = UtcFileTime(times.write);
    EXPECT_TRUE(SetFileTime(file, &creation, &access, &write));
    CloseHandle(file);
  }

  // The file's FileInfo as the folder listing gives it.
  const FileInfo* Listed(const std::wstring& name) {
    if (ItemStoreCount(&files_->rows) == 0) ListFolder(1);
    for (uint32_t i = 0; i < ItemStoreCount(&files_->rows); ++i) {
      if (name == Row(i)->currentName) return &Row(i)->info;
    }
    ADD_FAILURE() << "not listed: " << Narrow(name);
    return nullptr;
  }
};

}  // namespace

TEST_F(DateTimeModules, InsertTheChosenStampInLocalTime) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  AddTimedFile(L"ordinary.txt", kOrdinary);
  AddTimedFile(L"old.txt", {kBefore1980, kBefore1980, kBefore1980});
  const struct {
    const wchar_t* step;
    const wchar_t* file;
    const wchar_t* name;
    const wchar_t* expected;
  } cases[] = {
      {L"<Date,n,m,0,\"yyyy.MM.dd\">", L"ordinary.txt", L"abc.txt", L"2024.03.05abc.txt"},
      {L"<Date,n,m,5,\"yyyy.MM.dd\">", L"ordinary.txt", L"abc.txt", L"abc2024.03.05.txt"},
      {L"<Date,n,m,1,\"yyyy\">", L"ordinary.txt", L"abc.txt", L"a2024bc.txt"},
      {L"<Time,n,m,0,\"HH.mm.ss\">", L"ordinary.txt", L"abc.txt", L"15.07.09abc.txt"},
      {L"<Date,n,c,0,\"yyyy\">", L"ordinary.txt", L"abc.txt", L"2024abc.txt"},
      {L"<Date,n,a,0,\"yyyy.MM.dd\">", L"ordinary.txt", L"abc.txt", L"2023.12.24abc.txt"},
      {L"<Time,n,a,0,\"HH.mm\">", L"ordinary.txt", L"abc.txt", L"11.00abc.txt"},
      {L"<Date,e,m,0,\"yyyy\">", L"ordinary.txt", L"abc", L"abc.2024"},
      {L"<Time,e,m,9,\"HH\">", L"ordinary.txt", L"abc.txt", L"abc.txt15"},
      {L"<Date,n,m,0,\"yyyy.MM.dd\">", L"old.txt", L"abc.txt", L"abc.txt"},
      {L"<Time,n,c,0,\"HH.mm.ss\">", L"old.txt", L"abc.txt", L"00.00.00abc.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Renamed(c.step, c.name, Listed(c.file)), c.expected) << Narrow(c.step) << " " << Narrow(c.file);

  ExpectStepFails(L"<Date,n,m,0,\"yyyy\">", L"abc.txt");  // no FileInfo, no date
}

TEST_F(DateTimeModules, FollowTheDaylightSavingRuleOfEachStampsOwnDate) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  const struct {
    const wchar_t* file;
    SYSTEMTIME write;
    const wchar_t* expected;
  } cases[] = {
      {L"before spring.txt", DateTime(2024, 3, 31, 0, 30), L"2024.03.31 01.30"},
      {L"after spring.txt", DateTime(2024, 3, 31, 1, 30), L"2024.03.31 03.30"},
      {L"summer.txt", DateTime(2024, 7, 1, 12), L"2024.07.01 14.00"},
      {L"before autumn.txt", DateTime(2024, 10, 27, 0, 59), L"2024.10.27 02.59"},
      {L"after autumn.txt", DateTime(2024, 10, 27, 1, 0), L"2024.10.27 02.00"},
      {L"new year.txt", DateTime(2024, 12, 31, 23, 30), L"2025.01.01 00.30"},
  };
  for (const auto& c : cases) AddTimedFile(c.file, {c.write, c.write, c.write});
  for (const auto& c : cases) {
    const std::wstring time = Renamed(L"<Time,n,m,0,\"HH.mm\">", L"", Listed(c.file));
    const std::wstring stamp = Renamed(L"<Date,n,m,0,\"yyyy.MM.dd \">", time.c_str(), Listed(c.file));
    EXPECT_EQ(stamp, c.expected) << Narrow(c.file);
  }
}

TEST_F(DateTimeModules, PresetPicturesGiveUsableNames) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  AddTimedFile(L"ordinary.txt", kOrdinary);
  // The pictures without names of months, days or day halves, from the stamp's fields.
  const std::map<std::wstring, std::wstring> numeric = {
      {L"yyyy.MM.dd", L"2024.03.05"}, {L"dd.MM.yy", L"05.03.24"}, {L"d.MM.yy", L"5.03.24"},
      {L"d.M.yy", L"5.3.24"},         {L"d.M.yyyy", L"5.3.2024"}, {L"HH.mm.ss", L"15.07.09"},
      {L"HH.mm", L"15.07"},           {L"H.mm", L"15.07"}};
  int presets = 0;
  for (const wchar_t* const* list : {kDatePatternPresets, kTimePatternPresets}) {
    const wchar_t* key = list == kDatePatternPresets ? L"Date" : L"Time";
    for (const wchar_t* const* preset = list; *preset != nullptr; ++preset, ++presets) {
      const std::wstring step = std::wstring(L"<") + key + L",n,m,0,\"" + *preset + L"\">";
      const std::wstring inserted = Renamed(step.c_str(), L"", Listed(L"ordinary.txt"));
      EXPECT_FALSE(inserted.empty()) << Narrow(*preset);
      EXPECT_EQ(FindInvalidFileNameChar(inserted.c_str(), false), 0) << Narrow(*preset);
      const auto known = numeric.find(*preset);
      if (known != numeric.end()) {
        EXPECT_EQ(inserted, known->second) << Narrow(*preset);
      }
    }
  }
  EXPECT_EQ(presets, 11);
}
