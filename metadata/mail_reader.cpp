// The e-mail fields and the reading of a message's header values into MailInfo.
#include <cstring>

#include "foundation/core/memory.h"
#include "foundation/files/file_io.h"
#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_types.h"
#include "metadata/mail_info.h"

const MailFieldRow EMailFieldTable[] = {
    {kMailSubject, kTextFieldSubject, L"Subject", "Subject:", kFieldTypeModuleText},
    {kMailFrom, kTextFieldFrom, L"From", "From:", kFieldTypeModuleText},
    {kMailTo, kTextFieldTo, L"To", "To:", kFieldTypeModuleText},
    {kMailCc, kTextFieldCc, L"Cc", "Cc:", kFieldTypeModuleText},
    {kMailDate, kTextFieldDate, L"Date", "Date:", kFieldTypeDateTime},
    {kMailTime, kTextFieldTime, L"Time", "Date:", kFieldTypeDateTime},
    {kMailDateTime, kTextFieldDateTime, L"Date/Time", "Date:", kFieldTypeDateTime},
    {kMailOriginalFileName, 0, L"OFN", nullptr, kFieldTypeNone},
    {0, 0, nullptr, nullptr, kFieldTypeNone},
};

namespace {

constexpr char kDeliveryDateHeader[] = "Delivery-date:";
// The header region is read in pieces of this size, so that the usual short header block costs one piece.
constexpr uint32_t kReadPiece = 64 * 1024;

// The header region of a message in memory: from the start of the file up to the end of its header block, or
// up to kMailHeaderLimit bytes.
struct MailText {
  uint8_t* read = nullptr;
  const char* text = nullptr;
  size_t length = 0;

  MailText() = default;
  ~MailText() { FreeAndNull(&read); }
  MailText(const MailText&) = delete;
  MailText& operator=(const MailText&) = delete;
};

bool HeaderBlockEnded(const uint8_t* bytes, uint32_t count) {
  return MailHeaderBlockLength(reinterpret_cast<const char*>(bytes), count) < count;
}

// Reads pieces until the header block has ended, the file has ended or the limit is reached; `*got` bytes
// were read. 0 or the error of reading.
int ReadHeaderPieces(BufferedFile* file, uint8_t* bytes, uint32_t most, uint32_t* got) {
  while (*got < most) {
    const uint32_t piece = most - *got < kReadPiece ? most - *got : kReadPiece;
    const int result = FileReadExact(file, bytes + *got, piece);
    // A file that shrank since its size was taken gives what it still holds.
    if (result < 0) *got += static_cast<uint32_t>(-result);
    if (result != 0) return result > 0 ? result : 0;
    *got += piece;
    if (HeaderBlockEnded(bytes, *got)) return 0;
  }
  return 0;
}

int ReadHeaderRegion(const wchar_t* path, MailText* mail) {
  BufferedFile file;
  InitBufferedFile(&file);
  int result = FileOpenRead(&file, path);
  if (result != 0) return result;
  const uint64_t size = FileGetSize64(&file);
  const uint32_t most = size < kMailHeaderLimit ? static_cast<uint32_t>(size) : kMailHeaderLimit;
  uint32_t got = 0;
  if (most > 0) {
    mail->read = static_cast<uint8_t*>(AllocZeroed(most));
    result = mail->read == nullptr ? ERROR_NOT_ENOUGH_MEMORY : ReadHeaderPieces(&file, mail->read, most, &got);
  }
  CloseBufferedFile(&file);
  mail->text = reinterpret_cast<const char*>(mail->read);
  mail->length = got;
  return result;
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

int FindMailHeaderValueInFile(const wchar_t* path, const char* name, char* out, int capacity) {
  if (out != nullptr && capacity > 0) out[0] = 0;
  MailText mail;
  const int result = ReadHeaderRegion(path, &mail);
  if (result == 0) FindMailHeaderValue(mail.text, mail.length, name, out, capacity);
  return result;
}

int ReadMailInfo(MailInfo* info) {
  MailText mail;
  const int result = ReadHeaderRegion(info->path, &mail);
  if (result != 0) return result;
  for (const MailFieldRow* row = EMailFieldTable; row->kind != 0; ++row)
    if (TextFieldOf(info, row->kind) != nullptr) ReadTextField(mail, *row, info);
  ReadDate(mail, info);
  return 0;
}
