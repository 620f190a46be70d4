// The e-mail fields and the reading of a message's header values into MailInfo.
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/text/bounded_text.h"
#include "metadata/field_types.h"
#include "metadata/mail_info.h"

const MailFieldRow EMailFieldTable[] = {
    {kMailSubject, 8021, L"Subject", "Subject:", kFieldTypeModuleText},
    {kMailFrom, 8022, L"From", "From:", kFieldTypeModuleText},
    {kMailTo, 8023, L"To", "To:", kFieldTypeModuleText},
    {kMailCc, 8024, L"Cc", "Cc:", kFieldTypeModuleText},
    {kMailDate, 2358, L"Date", "Date:", kFieldTypeDateTime},
    {kMailTime, 2359, L"Time", "Date:", kFieldTypeDateTime},
    {kMailDateTime, 8036, L"Date/Time", "Date:", kFieldTypeDateTime},
    {kMailOriginalFileName, 0, L"OFN", nullptr, kFieldTypeNone},
    {0, 0, nullptr, nullptr, kFieldTypeNone},
};

namespace {

constexpr char kDeliveryDateHeader[] = "Delivery-date:";
// Messages whose header block ends within this many bytes are read in one piece, which costs less than a
// mapping; longer header blocks are searched in the whole file mapped.
constexpr uint32_t kReadInOnePiece = 64 * 1024;

// The text of a message: its first bytes read into memory, or the whole file mapped.
struct MailText {
  uint8_t* read = nullptr;
  MappedFile mapped;
  const char* text = nullptr;
  size_t length = 0;

  MailText() { InitMappedFile(&mapped); }
  ~MailText() {
    FreeAndNull(&read);
    CloseMappedFile(&mapped);
  }
  MailText(const MailText&) = delete;
  MailText& operator=(const MailText&) = delete;
};

// Reads the start of the file; 0 with `*got` bytes read, or the error.
int ReadStart(const wchar_t* path, MailText* mail, uint64_t* size, uint32_t* got) {
  BufferedFile file;
  InitBufferedFile(&file);
  int result = FileOpenRead(&file, path);
  if (result != 0) return result;
  *size = FileGetSize64(&file);
  *got = *size < kReadInOnePiece ? static_cast<uint32_t>(*size) : kReadInOnePiece;
  if (*got > 0) {
    mail->read = static_cast<uint8_t*>(AllocZeroed(*got));
    result = mail->read == nullptr ? ERROR_NOT_ENOUGH_MEMORY : FileReadExact(&file, mail->read, *got);
    // A file that shrank since its size was taken gives what it still holds.
    if (result < 0) *got = static_cast<uint32_t>(-result);
  }
  CloseBufferedFile(&file);
  return result > 0 ? result : 0;
}

int OpenMailText(const wchar_t* path, MailText* mail) {
  uint64_t size = 0;
  uint32_t got = 0;
  const int result = ReadStart(path, mail, &size, &got);
  if (result != 0) return result;
  const char* start = reinterpret_cast<const char*>(mail->read);
  if (got == size || MailHeaderBlockLength(start, got) < got) {
    mail->text = start;
    mail->length = got;
    return 0;
  }
  FreeAndNull(&mail->read);
  const int mapped = MapWholeFile(&mail->mapped, path);
  mail->text = reinterpret_cast<const char*>(mail->mapped.view);
  mail->length = mail->mapped.size;
  return mapped;
}

// The text field of an address or subject row; null for the date rows.
wchar_t* TextFieldOf(MailInfo* info, uint8_t kind) {
  switch (kind) {
    case kMailSubject: return info->subject;
    case kMailFrom: return info->sender;
    case kMailTo: return info->recipients;
    case kMailCc: return info->copyRecipients;
    default: return nullptr;
  }
}

void ReadTextField(const MailText& mail, const MailFieldRow& row, MailInfo* info) {
  char value[kMailTextCapacity];
  if (FindMailHeaderValue(mail.text, mail.length, row.header, value, kMailTextCapacity) == 0) return;
  wchar_t* field = TextFieldOf(info, row.kind);
  DecodeMimeEncodedWords(value, field, kMailTextCapacity);
  if (row.kind != kMailSubject) ExtractMailDisplayName(field);
}

// The message's date in local time; the delivery date when the message has none.
void ReadDate(const MailText& mail, MailInfo* info) {
  char value[kMailTextCapacity];
  if (FindMailHeaderValue(mail.text, mail.length, "Date:", value, kMailTextCapacity) == 0)
    FindMailHeaderValue(mail.text, mail.length, kDeliveryDateHeader, value, kMailTextCapacity);
  FILETIME utc;
  SYSTEMTIME local;
  if (value[0] == 0 || !ParseRfc822Date(value, &utc, kMailTextCapacity)) return;
  if (UtcFileTimeToLocalSystemTime(&utc, &local) != 0) info->date = PackDateTime(local);
}

}  // namespace

int ReadMailInfo(MailInfo* info) {
  MailText mail;
  const int result = OpenMailText(info->path, &mail);
  if (result != 0) return result;
  for (const MailFieldRow* row = EMailFieldTable; row->kind != 0; ++row)
    if (TextFieldOf(info, row->kind) != nullptr) ReadTextField(mail, *row, info);
  ReadDate(mail, info);
  return 0;
}
