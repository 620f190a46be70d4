// Vorbis comments ("KEY=value", the value in UTF-8), as Ogg Vorbis streams and FLAC files carry them: the
// seven keys the record takes and the well-formedness rules the Ogg reader applies before taking one.
#pragma once
#include <cstddef>

struct AudioTagInfo;

// Stores a comment of `length` bytes whose key (compared ignoring case) is TITLE, ARTIST, ALBUM, GENRE or
// COMMENT as that text, TRACKNUMBER as track and total, DATE as the year; a later comment replaces an
// earlier one with the same key. Other keys and comments without '=' are ignored.
void StoreVorbisComment(const char* comment, size_t length, AudioTagInfo* info);

// True when the comment has a '=', every key character lies between 0x20 and 0x7D, and the value is
// well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate, nothing above U+10FFFF and no
// sequence cut by the end.
bool IsWellFormedVorbisComment(const char* comment, size_t length);
