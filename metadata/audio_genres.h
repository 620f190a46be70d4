// Genre names by number: ID3v1 tags store a genre as an index, ID3v2 tags as "(n)" or "n", MP4 "gnre" items
// as the index plus one. All of them read this one table.
#pragma once
#include <cstdint>

constexpr int kGenreNameCount = 148;

extern const wchar_t* const Id3v1GenreNames[kGenreNameCount];

// The name of genre `index`; null outside 0 to 147.
const wchar_t* GenreNameAt(int64_t index);
