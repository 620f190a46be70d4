#include "engine/modules/audio_module.h"

#include <cwchar>

#include "engine/module_formatting.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/audio_tags.h"
#include "metadata/field_types.h"
#include "metadata/name_patterns.h"

const ModuleFieldRow AudioFieldTable[] = {
    {kAudioTitle, kTextFieldTitle, L"Title", kFieldTypeModuleText},
    {kAudioArtist, kTextFieldArtist, L"Artist", kFieldTypeModuleText},
    {kAudioAlbum, kTextFieldAlbum, L"Album", kFieldTypeModuleText},
    {kAudioTrack, kTextFieldTrack, L"Track", kFieldTypeInteger},
    {kAudioYear, kTextFieldYear, L"Year", kFieldTypeInteger},
    {kAudioGenre, kTextFieldGenre, L"Genre", kFieldTypeModuleText},
    {kAudioComment, kTextComment, L"Comment", kFieldTypeModuleText},
    {kAudioOriginalName, 0, L"OFN", kFieldTypeNone},
    {},
};

namespace {

constexpr PatternModuleForm kAudioForm = {L"Audio", kTextModuleAudio};
constexpr uint16_t kFirstYear = 1900;

const wchar_t* AudioText(const AudioTagInfo& tags, uint8_t kind) {
  switch (kind) {
    case kAudioTitle:
      return tags.title;
    case kAudioArtist:
      return tags.artist;
    case kAudioAlbum:
      return tags.album;
    case kAudioGenre:
      return tags.genre;
    case kAudioComment:
      return tags.comment;
    default:
      return L"";
  }
}

// A field's text: the tag text, the track with two digits (none for 0), the year from 1900 on.
void FormatAudioField(const AudioTagInfo& tags, uint8_t kind, wchar_t* out, int capacity) {
  out[0] = 0;
  if (kind == kAudioTrack && tags.track != 0) swprintf(out, capacity, L"%02u", tags.track);
  if (kind == kAudioYear && tags.year >= kFirstYear) swprintf(out, capacity, L"%u", tags.year);
  if (kind != kAudioTrack && kind != kAudioYear) CopyWideString(AudioText(tags, kind), out, capacity);
}

struct AudioReference {
  const wchar_t* path;
  const AudioTagInfo* tags;
};

bool ReadAudioReference(const wchar_t* reference, wchar_t* value, void* context) {
  const ModuleFieldRow* row = FindFieldRow(AudioFieldTable, reference);
  if (row == nullptr) return false;
  const AudioReference* file = static_cast<const AudioReference*>(context);
  if (row->kind == kAudioOriginalName) {
    FileTitleOfPath(file->path, value, kPatternCapacity);
  } else {
    FormatAudioField(*file->tags, row->kind, value, kPatternCapacity);
  }
  return true;
}

int ExpandAudioPattern(const wchar_t* path, const PatternSettings* settings, wchar_t* name) {
  AudioTagInfo tags{};
  const int read = ReadAudioTags(path, &tags);
  if (read != 0) return ReaderFailure(read);
  AudioReference file{path, &tags};
  return ExpandPatternSettings(settings, ReadAudioReference, &file, name);
}

int GetAudioFieldValue(const void* context, int fieldNumber, void* out, int outSize) {
  const ModuleFieldRow* row = FieldRowAt(AudioFieldTable, fieldNumber);
  const wchar_t* path = static_cast<const wchar_t*>(context);
  AudioTagInfo tags{};
  if (row == nullptr || row->type == kFieldTypeNone || path == nullptr || ReadAudioTags(path, &tags) != 0) return 0;
  if (row->kind == kAudioTrack) return PutFieldInteger(tags.track, kFieldTypeInteger, out, outSize);
  if (row->kind == kAudioYear) return PutFieldInteger(tags.year, kFieldTypeInteger, out, outSize);
  return PutFieldText(AudioText(tags, row->kind), row->type, out, outSize);
}

}  // namespace

const ModuleDescriptor kAudioModule = PatternModuleDescriptor<kAudioForm, ExpandAudioPattern, ModuleFieldRow,
                                                              AudioFieldTable, GetAudioFieldValue, kAudioDialog>();
