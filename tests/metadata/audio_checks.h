// Reading a test file's tags into a fresh record, the rule every record must keep, and comparisons of a
// record with what a test expects.
#pragma once
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "metadata/audio_tags.h"

struct AudioReadResult {
  int result;
  AudioTagInfo info;
};

inline AudioReadResult ReadTags(const std::wstring& path) {
  AudioReadResult read{};
  read.result = ReadAudioTags(path.c_str(), &read.info);
  return read;
}

// Every text ends inside its array.
inline bool TextsTerminated(const AudioTagInfo& info) {
  return wmemchr(info.format, 0, kAudioFormatCapacity) && wmemchr(info.genre, 0, kAudioGenreCapacity) &&
         wmemchr(info.title, 0, kAudioTextCapacity) && wmemchr(info.artist, 0, kAudioTextCapacity) &&
         wmemchr(info.album, 0, kAudioTextCapacity) && wmemchr(info.comment, 0, kAudioTextCapacity);
}

struct ExpectedTexts {
  std::wstring title, artist, album, comment, genre;
};

inline void ExpectTexts(const AudioTagInfo& info, const ExpectedTexts& expected) {
  EXPECT_EQ(std::wstring(info.title), expected.title);
  EXPECT_EQ(std::wstring(info.artist), expected.artist);
  EXPECT_EQ(std::wstring(info.album), expected.album);
  EXPECT_EQ(std::wstring(info.comment), expected.comment);
  EXPECT_EQ(std::wstring(info.genre), expected.genre);
}

inline void ExpectTrackAndYear(const AudioTagInfo& info, uint16_t track, uint16_t total, uint16_t year) {
  EXPECT_EQ(info.track, track);
  EXPECT_EQ(info.trackTotal, total);
  EXPECT_EQ(info.year, year);
}

inline void ExpectStream(const AudioTagInfo& info, uint16_t channels, int32_t sampleRate, int32_t duration) {
  EXPECT_EQ(info.channels, channels);
  EXPECT_EQ(info.sampleRate, sampleRate);
  EXPECT_EQ(info.duration, duration);
}
