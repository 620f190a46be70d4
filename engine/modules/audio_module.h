// The Audio module (key "Audio"): the name part from the file's audio tags (metadata/audio_tags.h) by a
// pattern such as "Artist" - "Title". Tracks are written with two digits, years from 1900 on.
#pragma once
#include "engine/modules/pattern_modules.h"

enum AudioFieldKind : uint8_t {
  kAudioTitle = 1,
  kAudioArtist = 2,
  kAudioAlbum = 3,
  kAudioTrack = 4,
  kAudioYear = 5,
  kAudioGenre = 6,
  kAudioComment = 7,
  kAudioOriginalName = 8,  // "OFN": the file name without its extension
};

// The 8 fields, "OFN" last, ended by an all-zero row.
extern const ModuleFieldRow AudioFieldTable[];

extern const ModuleDescriptor kAudioModule;
