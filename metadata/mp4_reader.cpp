// The M4A reader: the atoms of an MP4 file, walked inside the containers that lead to the media header
// ("mdhd": time scale and duration), the sample descriptions ("stsd": channels, rate, bitrate) and the item
// list of the user data ("ilst": the texts, track, tempo, genre). Every atom is read within its parent, and
// containers are entered at most 16 levels deep, so a file of nested atoms cannot exhaust the stack.
#include <cstring>

#include "metadata/audio_genres.h"
#include "metadata/audio_readers.h"
#include "metadata/audio_tags.h"
#include "metadata/audio_text.h"
#include "metadata/byte_reads.h"
#include "metadata/file_ranges.h"

namespace {

constexpr uint64_t kShortestM4aFile = 127;
constexpr int kContainerDepthLimit = 16;
constexpr uint32_t kItemTextBytes = 511;

constexpr uint32_t FourCc(const char (&name)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(name[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(name[2])) << 8 | static_cast<uint8_t>(name[3]);
}

constexpr uint32_t kContainers[] = {FourCc("moov"), FourCc("trak"), FourCc("mdia"), FourCc("minf"),
                                    FourCc("stbl"), FourCc("udta"), FourCc("edts")};

struct M4aReadContext {
  AudioTagInfo* info;
  uint32_t timeScale;  // of the last media header
  uint64_t duration;   // in time-scale units
};

struct Mp4Atom {
  uint32_t type;
  uint64_t size;        // header included
  RangeCursor payload;  // cut to the end of the file
};

enum class ItemField : uint8_t { Title, Artist, Album, Genre, Comment, Year };

struct Mp4TextItem {
  uint32_t type;
  ItemField field;
  bool onlyWhenEmpty;
};

constexpr Mp4TextItem kTextItems[] = {
    {FourCc("\251nam"), ItemField::Title, false}, {FourCc("\251ART"), ItemField::Artist, false},
    {FourCc("aART"), ItemField::Artist, true}, {FourCc("\251alb"), ItemField::Album, false},
    {FourCc("\251gen"), ItemField::Genre, false}, {FourCc("\251cmt"), ItemField::Comment, false},
    {FourCc("\251day"), ItemField::Year, false},
};

// Reads the atom header at the cursor and moves the cursor past the whole atom: false when there is no
// whole header or its size is 0 or below the header, and, with `mustFit`, when the atom passes the cursor's
// end.
bool NextMp4Atom(RangeCursor* range, bool mustFit, Mp4Atom* atom) {
  RangeCursor at = *range;
  uint8_t header[8];
  if (!CursorRead(&at, header, 8)) return false;
  atom->type = ReadU32Be(header + 4);
  atom->size = ReadU32Be(header);
  uint32_t headerBytes = 8;
  if (atom->size == 1) {
    if (!CursorRead(&at, header, 8)) return false;
    atom->size = ReadU64Be(header);
    headerBytes = 16;
  }
  if (atom->size < headerBytes) return false;
  const uint64_t left = CursorLeft(*range);
  if (mustFit && atom->size > left) return false;
  atom->payload = SubCursor(at, atom->size - headerBytes);
  range->position += atom->size < left ? atom->size : left;
  return true;
}

// The value of an item's "data" atom (past its type and locale), at most `capacity` bytes: the count, or -1
// when the item holds no data atom.
int ReadMp4ItemData(RangeCursor item, uint8_t* bytes, uint32_t capacity) {
  Mp4Atom data;
  if (!NextMp4Atom(&item, true, &data) || data.type != FourCc("data") || !CursorSkip(&data.payload, 8)) return -1;
  const uint64_t left = CursorLeft(data.payload);
  const uint32_t count = left < capacity ? static_cast<uint32_t>(left) : capacity;
  return CursorRead(&data.payload, bytes, count) ? static_cast<int>(count) : -1;
}

void ReadMp4TextItem(const Mp4TextItem& item, RangeCursor payload, AudioTagInfo* info) {
  uint8_t bytes[kItemTextBytes];
  const int length = ReadMp4ItemData(payload, bytes, kItemTextBytes);
  if (length < 0) return;
  wchar_t text[kAudioTextCapacity];
  Utf8RangeToWide(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length), text, kAudioTextCapacity);
  switch (item.field) {
    case ItemField::Title:
      return SetTagText(info->title, text);
    case ItemField::Artist:
      if (!item.onlyWhenEmpty || info->artist[0] == 0) SetTagText(info->artist, text);
      return;
    case ItemField::Album:
      return SetTagText(info->album, text);
    case ItemField::Genre:
      return SetTagText(info->genre, text);
    case ItemField::Comment:
      return SetTagText(info->comment, text);
    case ItemField::Year:
      info->year = ParseYear(text, 4);
      return;
  }
}

// Track ("trkn": 0, track, total), tempo ("tmpo") and genre number ("gnre"), as big-endian 16-bit words.
void ReadMp4NumberItem(uint32_t type, RangeCursor payload, AudioTagInfo* info) {
  uint8_t bytes[8];
  const int length = ReadMp4ItemData(payload, bytes, 8);
  if (length < 2) return;
  const uint16_t first = ReadU16Be(bytes);
  if (type == FourCc("gnre") && info->genre[0] == 0 && first >= 1) {
    const wchar_t* name = GenreNameAt(first - 1);
    if (name != nullptr) SetTagText(info->genre, name);
  }
  if (type == FourCc("tmpo") && first != 0 && info->bpm == 0) info->bpm = first;
  if (type != FourCc("trkn") || length < 4 || ReadU16Be(bytes + 2) == 0 || info->track != 0) return;
  info->track = ReadU16Be(bytes + 2);
  info->trackTotal = length >= 8 && first == 0 ? ReadU16Be(bytes + 4) : first;
}

void ReadMp4MediaHeader(M4aReadContext* context, RangeCursor payload) {
  uint8_t bytes[32];
  const uint64_t left = CursorLeft(payload);
  if (!CursorRead(&payload, bytes, left < 32 ? static_cast<uint32_t>(left) : 32) || left < 20) return;
  if (bytes[0] == 1 && left >= 32) {
    context->timeScale = ReadU32Be(bytes + 20);
    context->duration = ReadU64Be(bytes + 24);
  } else {
    context->timeScale = ReadU32Be(bytes + 12);
    if (ReadU32Be(bytes + 16) != 0xFFFFFFFF) context->duration = ReadU32Be(bytes + 16);
  }
  if (context->timeScale != 0) {
    const uint64_t seconds = context->duration / context->timeScale;
    context->info->duration = seconds > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(seconds);
  }
}

// Descriptor lengths: up to four groups of seven bits, the high bit announcing another.
bool ReadDescriptorLength(RangeCursor* cursor, uint32_t* length) {
  *length = 0;
  for (int i = 0; i < 4; ++i) {
    uint8_t byte = 0;
    if (!CursorRead(cursor, &byte, 1)) return false;
    *length = *length << 7 | (byte & 0x7F);
    if (!(byte & 0x80)) return true;
  }
  return true;
}

// The average bitrate of the decoder configuration of an elementary stream descriptor.
void ReadMp4Esds(RangeCursor payload, AudioTagInfo* info) {
  uint8_t tag = 0;
  uint32_t length = 0;
  if (!CursorSkip(&payload, 4) || !CursorRead(&payload, &tag, 1)) return;
  if (tag == 3) {
    if (!ReadDescriptorLength(&payload, &length) || length < 20 || !CursorSkip(&payload, 3)) return;
  } else if (!CursorSkip(&payload, 2)) {
    return;
  }
  uint8_t config[12];
  if (!CursorRead(&payload, &tag, 1) || tag != 4 || !ReadDescriptorLength(&payload, &length) || length < 13 ||
      !CursorSkip(&payload, 1) || !CursorRead(&payload, config, 12)) {
    return;
  }
  const uint32_t average = ReadU32Be(config + 8);
  if (average != 0) info->bitrate = static_cast<int32_t>((static_cast<uint64_t>(average) + 500) / 1000);
}

void ReadMp4aSampleEntry(RangeCursor payload, AudioTagInfo* info) {
  uint8_t bytes[28];
  if (!CursorRead(&payload, bytes, 28)) return;
  const uint16_t soundVersion = ReadU16Be(bytes + 8);
  info->channels = ReadU16Be(bytes + 16);
  info->sampleRate = static_cast<int32_t>(ReadU32Be(bytes + 22));
  // QuickTime sound descriptions of versions 1 and 2 add 16 and 36 bytes before the child atoms.
  if (soundVersion != 0 && !CursorSkip(&payload, soundVersion == 1 ? 16 : 36)) return;
  Mp4Atom child;
  while (NextMp4Atom(&payload, true, &child)) {
    if (child.type == FourCc("esds")) return ReadMp4Esds(child.payload, info);
  }
}

void ReadAlacSampleEntry(RangeCursor payload, AudioTagInfo* info) {
  uint8_t bytes[34];
  if (!CursorRead(&payload, bytes, 34)) return;
  info->channels = ReadU16Be(bytes + 16);
  info->sampleRate = ReadU16Be(bytes + 24);
}

void ReadMp4SampleDescriptions(RangeCursor payload, AudioTagInfo* info) {
  uint8_t head[8];
  if (!CursorRead(&payload, head, 8)) return;
  Mp4Atom entry;
  for (uint32_t count = ReadU32Be(head + 4); count > 0 && NextMp4Atom(&payload, true, &entry); --count) {
    if (entry.type == FourCc("mp4a")) ReadMp4aSampleEntry(entry.payload, info);
    if (entry.type == FourCc("alac")) ReadAlacSampleEntry(entry.payload, info);
  }
}

// The brand of "ftyp": "M4A ", "M4V " and the like name the format; "MP4..." gives "MP4".
void ReadMp4Atom(RangeCursor payload, AudioTagInfo* info) {
  if (info->format[0] != 0) return;
  char brand[32] = {};
  const uint64_t left = CursorLeft(payload);
  if (!CursorRead(&payload, reinterpret_cast<uint8_t*>(brand), left < 31 ? static_cast<uint32_t>(left) : 31)) return;
  for (char& c : brand) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (strncmp(brand, "M4", 2) == 0 && brand[3] == ' ') {
    const wchar_t format[4] = {static_cast<wchar_t>(brand[0]), static_cast<wchar_t>(brand[1]),
                               static_cast<wchar_t>(static_cast<uint8_t>(brand[2])), 0};
    SetTagText(info->format, format);
  } else if (strncmp(brand, "MP4", 3) == 0) {
    SetTagText(info->format, L"MP4");
  }
}

bool IsContainer(uint32_t type) {
  for (uint32_t container : kContainers) {
    if (type == container) return true;
  }
  return false;
}

void WalkMp4Atoms(M4aReadContext* context, RangeCursor range, int depth);

void VisitMp4Atom(M4aReadContext* context, const Mp4Atom& atom, int depth) {
  RangeCursor payload = atom.payload;
  if (IsContainer(atom.type) || atom.type == FourCc("ilst")) return WalkMp4Atoms(context, payload, depth + 1);
  if (atom.type == FourCc("meta")) {
    if (CursorSkip(&payload, 4)) WalkMp4Atoms(context, payload, depth + 1);
    return;
  }
  if (atom.type == FourCc("mdhd")) return ReadMp4MediaHeader(context, payload);
  if (atom.type == FourCc("stsd")) return ReadMp4SampleDescriptions(payload, context->info);
  if (atom.type == FourCc("trkn") || atom.type == FourCc("tmpo") || atom.type == FourCc("gnre")) {
    return ReadMp4NumberItem(atom.type, payload, context->info);
  }
  for (const Mp4TextItem& item : kTextItems) {
    if (atom.type == item.type) return ReadMp4TextItem(item, payload, context->info);
  }
}

void WalkMp4Atoms(M4aReadContext* context, RangeCursor range, int depth) {
  if (depth > kContainerDepthLimit) return;
  Mp4Atom atom;
  while (NextMp4Atom(&range, true, &atom)) VisitMp4Atom(context, atom, depth);
}

// The top-level atoms, each as far as the file holds it: the size of the last one read, or the file's size
// when the walk ended on an atom that could not be read.
uint64_t WalkM4aTopLevel(M4aReadContext* context, RangeFile* file) {
  RangeCursor top = WholeFileCursor(file);
  uint64_t lastSize = file->size;
  Mp4Atom atom;
  while (CursorLeft(top) > 0) {
    if (!NextMp4Atom(&top, false, &atom)) return file->size;
    lastSize = atom.size;
    if (IsContainer(atom.type)) WalkMp4Atoms(context, atom.payload, 1);
    if (atom.type == FourCc("ftyp")) ReadMp4Atom(atom.payload, context->info);
  }
  return lastSize;
}

}  // namespace

int ReadM4aInfo(const wchar_t* path, AudioTagInfo* info) {
  RangeFile file;
  if (OpenRangeFile(&file, path) != 0) return -1;
  if (file.size < kShortestM4aFile) {
    CloseRangeFile(&file);
    return -1;
  }
  M4aReadContext context{info, 0, 0};
  const uint64_t lastSize = WalkM4aTopLevel(&context, &file);
  CloseRangeFile(&file);
  if (info->bitrate == 0 && context.timeScale != 0 && context.duration != 0) {
    const unsigned __int128 rate =
        (static_cast<unsigned __int128>(lastSize) * context.timeScale * 8 / context.duration + 500) / 1000;
    info->bitrate = rate > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(rate);
  }
  if (info->format[0] == 0) SetTagText(info->format, L"M4A");
  FinishAudioTagRecord(info);
  return 0;
}
