// Audio tags: the one record every audio reader fills, and the one entry through which the rename modules and
// the field columns read it. `ReadAudioTags` chooses a reader by the file name (".wma" ASF, ".ogg"/".ogm" Ogg
// Vorbis, ".flac" FLAC, ".m4a"/".m4v" MP4, anything else MP3 with ID3v1 and ID3v2 tags) and lets it fill the
// caller's record.
//
// What a caller may rely on:
// - Zero-fill the record before the call; readers only write fields, so a field no reader set stays 0 or
//   empty. Several tags in one file fill the record by each format's own precedence.
// - Every text is UTF-16, terminated inside its array and cut to it (15, 31 or 255 characters). Texts keep
//   what the tag holds apart from leading and trailing blanks: control characters (a CR or TAB at the end of
//   a title) stay in the record, and whoever builds a file name from a text must replace them.
// - track, year and the texts are what a user sees in other players; year is 0 when absent or below 1900.
//   channels, sample rate, bitrate (negative: the average of a variable bitrate) and duration come from the
//   stream headers and may be 0 when unknown.
// - Any file may be handed over: a file of another kind, a truncated or hostile one gives a failure code or
//   a record with whatever could be read; no file makes a reader hang, crash or take more than a few
//   megabytes.
#pragma once
#include <cstdint>

constexpr int kAudioFormatCapacity = 16;
constexpr int kAudioGenreCapacity = 32;
constexpr int kAudioTextCapacity = 256;

#pragma pack(push, 1)
struct AudioTagInfo {
  uint16_t channels;                     // 0 when unknown
  uint16_t track;                        // 0 when none
  uint16_t trackTotal;                   // number of tracks of the set, 0 when none
  uint16_t bpm;                          // beats per minute, 0 when none
  uint16_t year;                         // 0 when absent or below 1900
  int32_t duration;                      // seconds
  int32_t sampleRate;                    // samples per second
  int32_t bitrate;                       // kbit/s
  wchar_t format[kAudioFormatCapacity];  // "MP3", "Ogg Vorbis", "WMA", "FLAC", "M4A", "M4V", "MP4"
  wchar_t genre[kAudioGenreCapacity];
  wchar_t title[kAudioTextCapacity];
  wchar_t artist[kAudioTextCapacity];
  wchar_t album[kAudioTextCapacity];
  wchar_t comment[kAudioTextCapacity];
};
#pragma pack(pop)
static_assert(sizeof(AudioTagInfo) == 2166, "the audio tag record is 2166 bytes");

// Fills `info` from the file at `path`: 0 when the record was filled; -1 when the file is not of the kind its
// name promises or could not be read; for a file that goes to the MP3 reader, the file layer's error when it
// could not be opened or its last 128 bytes could not be read. A file without any tag still gives 0 from the
// MP3 reader, with an empty record.
int ReadAudioTags(const wchar_t* path, AudioTagInfo* info);
