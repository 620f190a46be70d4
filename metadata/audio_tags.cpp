#include "metadata/audio_tags.h"

#include "foundation/text/pattern_list.h"
#include "metadata/audio_readers.h"
#include "metadata/audio_text.h"

namespace {

// The Ogg reader has no result of its own: a Vorbis stream is what names the format.
int ReadOggAudioTags(const wchar_t* path, AudioTagInfo* info) {
  ReadOggVorbisInfo(path, info);
  if (info->format[0] == 0) return -1;
  FinishAudioTagRecord(info);
  return 0;
}

struct AudioReaderByName {
  const wchar_t* masks;
  int (*read)(const wchar_t* path, AudioTagInfo* info);
};

constexpr AudioReaderByName kAudioReaders[] = {
    {L"*.WMA", ReadWmaInfo},
    {L"*.OGG;*.OGM", ReadOggAudioTags},
    {L"*.FLAC", ReadFlacInfo},
    {L"*.M4A;*.M4V", ReadM4aInfo},
};

}  // namespace

int ReadAudioTags(const wchar_t* path, AudioTagInfo* info) {
  for (const AudioReaderByName& reader : kAudioReaders) {
    if (MatchesPatternList(path, reader.masks)) return reader.read(path, info);
  }
  return ReadMp3Info(path, info);
}
