// Every metadata reader reads a bounded part of a file, however large the file is: what lies beyond that part
// is not found, while the same data within it is.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "audio_checks.h"
#include "audio_samples.h"
#include "image_samples.h"
#include "metadata/image_header.h"
#include "metadata/mail_info.h"
#include "support/temp_folder.h"

using namespace audio_samples;
using namespace image_samples;

namespace {

// Header lines of a message that hold none of the fields, `length` bytes of them.
std::string UnmatchedHeaderLines(size_t length) {
  std::string lines;
  while (lines.size() < length) lines += "Received: by relay.example.org with SMTP id 4711;\r\n";
  return lines;
}

std::wstring MailSubject(const TempFolder& folder, const std::string& bytes) {
  auto info = std::make_unique<MailInfo>();
  *info = {};
  wcscpy(info->path, folder.WriteFile(L"message.eml", bytes).c_str());
  EXPECT_EQ(ReadMailInfo(info.get()), 0);
  return info->subject;
}

std::wstring Mp3Format(const TempFolder& folder, const std::string& bytes) {
  return ReadTags(folder.WriteFile(L"sound.mp3", bytes)).info.format;
}

int XbmWidth(const TempFolder& folder, const std::string& bytes) {
  ImageHeaderInfo info{};
  SniffImageHeader(folder.WriteFile(L"picture.xbm", bytes).c_str(), &info);
  return info.width;
}

}  // namespace

TEST(ReaderBounds, DataBeyondTheHeaderRegionIsNotRead) {
  TempFolder folder;
  const size_t beyond = 8u << 20;
  const std::string subject = "Subject: far\r\n\r\n";
  EXPECT_EQ(MailSubject(folder, UnmatchedHeaderLines(kMailHeaderLimit - 4096) + subject), L"far");
  EXPECT_EQ(MailSubject(folder, UnmatchedHeaderLines(beyond) + subject), L"");

  EXPECT_EQ(Mp3Format(folder, std::string(1024, '\0') + MpegFrame(2000)), L"MP3");
  EXPECT_EQ(Mp3Format(folder, std::string(beyond, '\0') + MpegFrame(2000)), L"");

  const std::string textStart = "/* #define */\n";
  EXPECT_EQ(XbmWidth(folder, textStart + std::string(1024, '\n') + XbmBitmap("a", 8, 8)), 8);
  EXPECT_EQ(XbmWidth(folder, textStart + std::string(beyond, '\n') + XbmBitmap("a", 8, 8)), 0);
}
