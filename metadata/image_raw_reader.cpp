// Raw camera files through LibRaw, headers only: the library identifies the camera's format and tells the
// size of the developed image; nothing is unpacked. LibRaw reads through the sniff, so it never opens the
// file itself. The library's build keeps state of its own between calls, so one thread at a time uses it.
// LibRaw brings winsock2.h, which must come before windows.h.
#include <libraw/libraw.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "foundation/core/guard.h"
#include "metadata/image_readers.h"

namespace {

// What a developed raw image would have.
constexpr uint16_t kRawDevelopedBits = 24;
constexpr int kScanWordCapacity = 32;

SRWLOCK g_rawLock = SRWLOCK_INIT;

class SniffDatastream : public LibRaw_abstract_datastream {
 public:
  explicit SniffDatastream(ImageSniff* sniff) : sniff_(sniff) {}

  int valid() override { return 1; }

  int read(void* target, size_t itemBytes, size_t count) override {
    if (itemBytes == 0 || count == 0) return 0;
    const uint64_t wanted = count > UINT32_MAX / itemBytes ? UINT32_MAX : itemBytes * count;
    const uint32_t got = ReadSniffBytesUpTo(sniff_, position_, target, static_cast<uint32_t>(wanted));
    position_ += got;
    return static_cast<int>(got / itemBytes);
  }

  int seek(INT64 offset, int whence) override {
    INT64 base = 0;
    if (whence == SEEK_CUR) base = static_cast<INT64>(position_);
    if (whence == SEEK_END) base = size();
    if (offset < -base || offset > size() - base) offset = offset < 0 ? -base : size() - base;
    position_ = static_cast<uint64_t>(base + offset);
    return 0;
  }

  INT64 tell() override { return static_cast<INT64>(position_); }

  INT64 size() override { return static_cast<INT64>(sniff_->size); }

  int get_char() override {
    uint8_t c = 0;
    if (ReadSniffBytesUpTo(sniff_, position_, &c, 1) != 1) return -1;
    ++position_;
    return c;
  }

  char* gets(char* line, int capacity) override {
    if (capacity <= 0) return nullptr;
    return ReadTextLine([this] { return get_char(); }, line, capacity) > 0 ? line : nullptr;
  }

  // One word read with a scanf format; the position moves past it when it was read.
  int scanf_one(const char* format, void* value) override {
    char word[kScanWordCapacity] = {};
    const uint32_t got = ReadSniffBytesUpTo(sniff_, position_, word, kScanWordCapacity - 1);
    const int read = sscanf(word, format, value);
    if (read > 0) {
      uint32_t at = 0;
      while (at < got && (word[at] == ' ' || word[at] == '\t' || word[at] == '\n')) ++at;
      while (at < got && word[at] != 0 && word[at] != ' ' && word[at] != '\t' && word[at] != '\n') ++at;
      position_ += at;
    }
    return read;
  }

  int eof() override { return position_ >= sniff_->size; }

  void* make_jas_stream() override { return nullptr; }

 private:
  ImageSniff* sniff_;
  uint64_t position_ = 0;
};

bool IdentifyRaw(ImageSniff* sniff, ImageSize* size) {
  auto processor = std::make_unique<LibRaw>(LIBRAW_OPIONS_NO_MEMERR_CALLBACK | LIBRAW_OPIONS_NO_DATAERR_CALLBACK);
  SniffDatastream stream(sniff);
  if (processor->open_datastream(&stream) != LIBRAW_SUCCESS) return false;
  const libraw_image_sizes_t& sizes = processor->imgdata.sizes;
  const bool turned = (sizes.flip & 4) != 0;
  size->width = turned ? sizes.height : sizes.width;
  size->height = turned ? sizes.width : sizes.height;
  size->bits = kRawDevelopedBits;
  processor->recycle();
  return true;
}

}  // namespace

bool ReadRawCameraHeader(ImageSniff* sniff, ImageSize* size) {
  AcquireSRWLockExclusive(&g_rawLock);
  // Guarded here as well, so that the lock is released whatever happens inside.
  const bool read = GuardedCall(false, [&] { return IdentifyRaw(sniff, size); });
  ReleaseSRWLockExclusive(&g_rawLock);
  return read;
}
