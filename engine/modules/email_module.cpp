#include "engine/modules/email_module.h"

#include <cwchar>

#include "engine/module_formatting.h"
#include "foundation/text/packed_date.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_types.h"
#include "metadata/mail_info.h"

namespace {

constexpr PatternModuleForm kEMailForm = {L"eMail", kTextModuleMail};

// A reference: the field's name, the picture after the first ',', and the compact form of a name that ends
// with '.'.
struct MailReference {
  const MailFieldRow* row;
  const wchar_t* picture;
  bool compact;
};

MailReference ReadMailReference(wchar_t* reference) {
  MailReference read{nullptr, nullptr, false};
  wchar_t* comma = wcschr(reference, L',');
  if (comma != nullptr) {
    *comma = 0;
    if (comma[1] != 0) read.picture = comma + 1;
  }
  const size_t length = WideLength(reference);
  if (length >= 2 && reference[length - 1] == L'.') {
    reference[length - 1] = 0;
    read.picture = nullptr;
    read.compact = true;
  }
  read.row = FindFieldRow(EMailFieldTable, reference);
  return read;
}

// The date as the file list of the mail program shows it: "yyyy.MM.dd  HH.mm.ss" in local time.
void FormatMailDateDefault(PackedDateTime date, wchar_t* out, int capacity) {
  wchar_t time[kDateTextCapacity];
  FormatPackedDate(date, L"yyyy.MM.dd", out, capacity);
  FormatPackedTime(date, L"HH.mm.ss", time, kDateTextCapacity);
  AppendWideBounded(L"  ", out, capacity);
  AppendWideBounded(time, out, capacity);
}

void FormatMailDate(PackedDateTime date, const MailReference& reference, wchar_t* out, int capacity) {
  if (PackedDay(date) == 0) return;
  if (reference.picture != nullptr || reference.compact) {
    FormatPackedDate(date, reference.picture, out, capacity);
  } else {
    FormatMailDateDefault(date, out, capacity);
  }
}

const wchar_t* MailTextOf(const MailInfo& info, uint8_t kind) {
  switch (kind) {
    case kMailSubject:
      return info.subject;
    case kMailFrom:
      return info.sender;
    case kMailTo:
      return info.recipients;
    case kMailCc:
      return info.copyRecipients;
    default:
      return L"";
  }
}

void FormatMailField(const MailInfo& info, const MailReference& reference, wchar_t* out, int capacity) {
  out[0] = 0;
  switch (reference.row->kind) {
    case kMailDate:
      FormatMailDate(info.date, reference, out, capacity);
      break;
    case kMailTime:
      FormatPackedTime(info.date, reference.picture, out, capacity);
      break;
    case kMailDateTime:
      FormatPackedDateTimeCompact(info.date, out, capacity);
      break;
    case kMailOriginalFileName:
      FileTitleOfPath(info.path, out, capacity);
      break;
    default:
      CopyWideString(MailTextOf(info, reference.row->kind), out, capacity);
  }
}

bool ReadMailField(const wchar_t* text, wchar_t* value, void* context) {
  wchar_t reference[kPatternCapacity];
  CopyWideString(text, reference, kPatternCapacity);
  const MailReference read = ReadMailReference(reference);
  if (read.row == nullptr) return false;
  FormatMailField(*static_cast<const MailInfo*>(context), read, value, kPatternCapacity);
  return true;
}

// Reads the message at `path` into `info`: 0, or the error of reading it.
int ReadMessage(const wchar_t* path, MailInfo* info) {
  *info = MailInfo{};
  CopyWideString(path, info->path, kMailTextCapacity);
  return ReadMailInfo(info);
}

int ExpandMailPattern(const wchar_t* path, const PatternSettings* settings, wchar_t* name) {
  MailInfo info;
  const int read = ReadMessage(path, &info);
  return read != 0 ? ReaderFailure(read) : ExpandPatternSettings(settings, ReadMailField, &info, name);
}

// The message's date and time in UTC; none without a date.
int PutMailDate(PackedDateTime date, void* out, int outSize) {
  if (PackedDay(date) == 0) return 0;
  const SYSTEMTIME local = UnpackDateTime(date);
  FILETIME utc{};
  return LocalSystemTimeToFileTime(&local, &utc) ? PutFieldFileTime(utc, out, outSize) : 0;
}

// A field without its header has no value.
int GetEMailFieldValue(const void* context, int fieldNumber, void* out, int outSize) {
  const MailFieldRow* row = FieldRowAt(EMailFieldTable, fieldNumber);
  const wchar_t* path = static_cast<const wchar_t*>(context);
  MailInfo info;
  if (row == nullptr || row->type == kFieldTypeNone || path == nullptr || ReadMessage(path, &info) != 0) return 0;
  if (row->type == kFieldTypeDateTime) return PutMailDate(info.date, out, outSize);
  const wchar_t* text = MailTextOf(info, row->kind);
  return text[0] != 0 ? PutFieldText(text, row->type, out, outSize) : 0;
}

}  // namespace

const ModuleDescriptor kEMailModule = PatternModuleDescriptor<kEMailForm, ExpandMailPattern, MailFieldRow,
                                                              EMailFieldTable, GetEMailFieldValue, kEMailDialog>();
