// Header values of stored e-mail messages (RFC 822/5322 text files such as saved .eml files): the record
// ReadMailInfo fills, the table of its fields, and the steps callers may use on their own.
//
// Headers are 8-bit text (the file's bytes) and are searched only in the header block, which ends at the
// first empty line (CR LF or LF line ends). Folded lines are joined with one blank. Decoding gives wide
// text: RFC 2047 encoded words (B and Q) in the character set they name, everything else in the active code
// page. Dates are read as RFC 822 dates with their zone and kept in UTC or, in MailInfo, in local time.
// No function reads outside the text it is given, whose end need not be terminated.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "foundation/text/packed_date.h"

constexpr int kMailTextCapacity = 1024;

// Filled by ReadMailInfo; the caller clears it and sets the path.
struct MailInfo {
  wchar_t path[kMailTextCapacity];
  wchar_t sender[kMailTextCapacity];          // "From:", display name
  wchar_t recipients[kMailTextCapacity];      // "To:", display name
  wchar_t copyRecipients[kMailTextCapacity];  // "Cc:", display name
  wchar_t subject[kMailTextCapacity];         // "Subject:"
  PackedDateTime date;                        // "Date:" (else "Delivery-date:") in local time
};

enum MailFieldKind : uint8_t {
  kMailSubject = 1,
  kMailFrom = 2,
  kMailTo = 3,
  kMailCc = 4,
  kMailDate = 5,
  kMailTime = 6,
  kMailDateTime = 7,
  kMailOriginalFileName = 8,  // "OFN": the file name without its extension
};

// One field: its kind, the UI text of its display name, the name used in patterns and menus, the header
// searched in the message (null for "OFN") and its field type (metadata/field_types.h).
struct MailFieldRow {
  uint8_t kind;
  uint16_t textId;
  const wchar_t* name;
  const char* header;
  uint32_t type;
};
// The 8 fields, "OFN" last, ended by an all-zero row.
extern const MailFieldRow EMailFieldTable[];

// The length of the header block at the start of `text`: up to the first empty line (the line break before
// it included), or all of it.
size_t MailHeaderBlockLength(const char* text, size_t length);

// The value of the first header line named `name` (with its colon, compared ignoring case) in the first
// `length` bytes of `text`, folded lines joined, cut to capacity - 1 bytes; an empty text when there is none.
// For "To:" an empty value is taken from the first " for " clause of a "Received:" line, else from
// "Envelope-to:", and "X-Original-To:" is added when it names another address. The result is the value's
// length.
int FindMailHeaderValue(const char* text, size_t length, const char* name, char* out, int capacity);

// Decodes a header value: encoded words by their character set (blanks between two of them dropped, '_' of
// the Q encoding a blank), other text in the active code page. A malformed encoded word is kept as it stands,
// with the rest of the value. Leading and trailing blanks go when the value held an encoded word.
void DecodeMimeEncodedWords(const char* value, wchar_t* out, int capacity);

// Reads an RFC 822 date ("[Day,] d Mon yy[yy] hh:mm:ss [zone]") from `text` and replaces the text with the
// local date and time as the file list shows them (seconds when the compare mode asks for them), at most
// capacity - 1 bytes. `utc` (optional) gets the time in UTC, or 0 when the text is no date; such a text is
// emptied. True when a date was read.
bool ParseRfc822Date(char* text, FILETIME* utc, int capacity);

// Reduces an address header value (at most kMailTextCapacity characters) in place to its display name:
// "\"Doe, John\" <jd@x.org>" gives "Doe, John"; an address without a name gives the address.
void ExtractMailDisplayName(wchar_t* text);

// The files of the readers below are read from their start up to the end of the header block, and never
// beyond this many bytes: a file that is no message (a large text without an empty line, say) costs no more
// than that, and header lines beyond it are not found.
constexpr uint32_t kMailHeaderLimit = 256 * 1024;

// Reads the fields of the message at `info->path`. 0, or the error of opening or reading the file.
int ReadMailInfo(MailInfo* info);

// FindMailHeaderValue on the message at `path`. 0, or the error of opening or reading the file (`out` is then
// empty).
int FindMailHeaderValueInFile(const wchar_t* path, const char* name, char* out, int capacity);
