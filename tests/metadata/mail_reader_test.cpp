// The e-mail header reader on messages as mail programs write them, and on hostile ones.
#include "metadata/mail_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <random>
#include <string>

#include "foundation/date_checks.h"
#include "foundation/text/date_text.h"
#include "hostile_input.h"
#include "page_end.h"
#include "support/temp_folder.h"

namespace {

const char kSample[] =
    "Return-Path: <jd@x.org>\r\n"
    "Received: from mx.example.org (mx [10.0.0.1])\r\n"
    "\tby mail.example.org with ESMTP id 4711\r\n"
    "\tfor <rcpt@example.org>; Mon, 5 Feb 2024 14:03:10 +0100\r\n"
    "From: \"Doe, John\" <jd@x.org>\r\n"
    "To: Jane Roe <jr@example.org>, <k@example.org>\r\n"
    "Cc: =?ISO-8859-1?Q?Ren=E9?= <rene@example.org>\r\n"
    "Subject: =?utf-8?B?w6lsw6h2ZQ==?=\r\n"
    " =?utf-8?Q?_au_caf=C3=A9?=\r\n"
    "Date: Mon, 5 Feb 2024 14:03:09 +0100\r\n"
    "MIME-Version: 1.0\r\n"
    "\r\n"
    "Subject: body\r\n";

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

std::unique_ptr<MailInfo> ReadMessage(const std::string& bytes, int* result = nullptr) {
  TempFolder folder;
  auto info = std::make_unique<MailInfo>();
  *info = {};
  const std::wstring path = folder.WriteFile(L"message.eml", bytes);
  wcscpy(info->path, path.c_str());
  const int read = ReadMailInfo(info.get());
  if (result != nullptr) *result = read;
  return info;
}

std::string Header(const std::string& message, const char* name, int capacity = kMailTextCapacity) {
  std::string out(capacity, '?');
  FindMailHeaderValue(message.data(), message.size(), name, out.data(), capacity);
  return out.c_str();
}

std::wstring Decoded(const char* value) {
  wchar_t out[kMailTextCapacity];
  DecodeMimeEncodedWords(value, out, kMailTextCapacity);
  return out;
}

std::wstring DisplayName(const wchar_t* address) {
  wchar_t text[kMailTextCapacity];
  wcscpy(text, address);
  ExtractMailDisplayName(text);
  return text;
}

PackedDateTime Packed(const SYSTEMTIME& time) { return PackDateTime(time); }

}  // namespace

TEST(MailReader, ReadsTheFieldsOfAMessageWithEitherLineEnd) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  for (const std::string& message : {std::string(kSample), WithoutCarriageReturns(kSample)}) {
    int result = -1;
    const auto info = ReadMessage(message, &result);
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(info->subject, L"\u00E9l\u00E8ve au caf\u00E9");
    EXPECT_STREQ(info->sender, L"Doe, John");
    EXPECT_STREQ(info->recipients, L"Jane Roe");
    EXPECT_STREQ(info->copyRecipients, L"Ren\u00E9");
    EXPECT_EQ(info->date, Packed(DateTime(2024, 2, 5, 14, 3, 9)));
  }
}

TEST(MailReader, DatesConvertToLocalTimeAcrossDaylightSavingChanges) {
  SKIP_UNLESS_CENTRAL_EUROPE();
  struct Case {
    const char* date;
    SYSTEMTIME local;
  } cases[] = {
      {"Sun, 31 Mar 2024 00:30:00 +0000", DateTime(2024, 3, 31, 1, 30)},
      {"Sun, 31 Mar 2024 01:30:00 +0000", DateTime(2024, 3, 31, 3, 30)},
      {"Sun, 27 Oct 2024 02:30:00 +0200", DateTime(2024, 10, 27, 2, 30)},
      {"Sun, 27 Oct 2024 02:30:00 +0100", DateTime(2024, 10, 27, 2, 30)},
      {"27 Oct 24 01:30:00 GMT", DateTime(2024, 10, 27, 2, 30)},
  };
  for (const Case& c : cases) {
    const auto info = ReadMessage(std::string("Date: ") + c.date + "\n\n");
    EXPECT_EQ(info->date, Packed(c.local)) << c.date;
  }
  const auto delivered = ReadMessage("Delivery-date: Tue, 2 Jul 2024 08:00:00 +0000\n\n");
  EXPECT_EQ(delivered->date, Packed(DateTime(2024, 7, 2, 10, 0)));
}

TEST(MailReader, FindsHeaderLinesByNameInTheHeaderBlock) {
  struct Case {
    const char* message;
    const char* name;
    const char* value;
  } cases[] = {
      {"Subject: Hello\r\n World\r\n\r\n", "Subject:", "Hello World"},
      {"Subject: Hello\n\t World\nX: y\n", "Subject:", "Hello World"},
      {"subject: lower case\r\n", "Subject:", "lower case"},
      {"X: a\r\n\r\nSubject: body\r\n", "Subject:", ""},
      {"X: a\n\nSubject: body\n", "Subject:", ""},
      {"X: a\rSubject: cr only\r", "Subject:", "cr only"},
      {"Subject:\r\n on the next line\r\n", "Subject:", "on the next line"},
      {"Subject:\r\nX: y\r\n", "Subject:", ""},
      {"  Subject: indented\r\n", "Subject:", "indented"},
      {"X-Subject: no\r\nSubject: yes\r\n", "Subject:", "yes"},
      {"Subject: no line end", "Subject:", "no line end"},
      {"Subject: x\r\n\r\n continued body\r\n", "Subject:", "x"},
      {"Subject:", "Subject:", ""},
      {"To: \r\nReceived: from a by b\r\n\tfor <r@b.c>; Mon, 5 Feb 2024\r\n\r\n", "To:", "<r@b.c>"},
      {"To: \r\nEnvelope-to: e@b.c\r\n\r\n", "To:", "e@b.c"},
      {"To: \r\n\r\nThanks for your help\r\n", "To:", ""},
      {"To: \r\nReceived: by b for <a@b.c>;\r\nX-Original-To: d@e.f\r\n", "To:", "<a@b.c>,  <d@e.f>"},
      {"To: Ann <a@b.c>\r\nX-Original-To: A@B.C\r\n", "To:", "Ann <a@b.c>"},
      {"To: Ann;\r\nX-Original-To: <d@e.f>\r\n", "To:", "Ann  <d@e.f>"},
      {"To: a@b.c,\r\nX-Original-To: d@e.f\r\n", "To:", "a@b.c, d@e.f"},
  };
  for (const Case& c : cases) EXPECT_EQ(Header(c.message, c.name), c.value) << c.message;
}

TEST(MailReader, LongValuesAreCutToTheCapacity) {
  const std::string address(3000, 'x');
  const std::string message = "To: Ann <a@b.c>\r\nX-Original-To: " + address + "\r\n\r\n";
  const std::string value = Header(message, "To:");
  EXPECT_EQ(value.size(), kMailTextCapacity - 1u);
  EXPECT_EQ(value.substr(0, 16), "Ann <a@b.c>,  <x");
  EXPECT_EQ(Header("Subject: 0123456789\r\n", "Subject:", 5), "0123");
}

TEST(MailReader, DecodesEncodedWordsOfManyCharacterSets) {
  struct Case {
    const char* value;
    const wchar_t* decoded;
  } cases[] = {
      {"=?utf-8?B?w6lsw6h2ZQ==?= =?ISO-8859-1?Q?Caf=E9?=", L"\u00E9l\u00E8veCaf\u00E9"},
      {"=?utf-8?B?w6lsw6h2ZQ==?=\r\n =?utf-8?Q?_x?=", L"\u00E9l\u00E8ve x"},
      {"a =?utf-8?Q?b?= c", L"a b c"},
      {"my_file", L"my_file"},
      {"=?utf-8?Q?a_b?= x_y", L"a b x_y"},
      {"=?utf-8?B?bXlfZmlsZQ==?=", L"my_file"},
      {"=?utf-8?B?w6ls w6h2ZQ?=", L"\u00E9l\u00E8ve"},
      {"=?utf-8?B?w6n?=", L"\u00E9"},
      {"=?utf-8?B?\xC3\xA9w6k=?=", L"\u00E9"},
      {"=?iso-8859-15?Q?=A4_5?=", L"\u20AC 5"},
      {"=?windows-1252?q?=80?=", L"\u20AC"},
      {"=?utf-8*en?Q?x?=", L"x"},
      {"=?x-unknown?Q?Caf=E9?=", L"Caf\u00E9"},
      {"Caf\xE9", L"Caf\u00E9"},
      {"=?unicode-1-1-utf-7?Q?+AOk-t+AOk-?=", L"\u00E9t\u00E9"},
      {"=?utf-7?Q?1+-1 +AOkA6Q?=", L"1+1 \u00E9\u00E9"},
      {"=?utf-8?X?abc?=", L"abc"},
      {"=?utf-8?Q?=ZZ=00ok=?=", L"ZZ00ok"},
      {"  =?utf-8?Q?x?=  ", L"x"},
      {"=?utf-8?B?abc", L"=?utf-8?B?abc"},
      {"Re: =??Q?x?=", L"Re: =??Q?x?="},
  };
  for (const Case& c : cases) EXPECT_EQ(Decoded(c.value), c.decoded) << c.value;
}

TEST(MailReader, DecodesKoi8r) {
  if (!IsValidCodePage(20866) && !IsValidCodePage(1251))
    GTEST_SKIP() << "the system has neither the KOI8-R nor the Windows-1251 code page";
  EXPECT_EQ(Decoded("=?KOI8-R?B?8NLJ18XU?="), L"\u041F\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(Decoded("=?koi8-r?Q?=F0=D2=C9=D7=C5=D4_=FF?="), L"\u041F\u0440\u0438\u0432\u0435\u0442 \u042A");
}

TEST(MailReader, ParsesRfc822Dates) {
  struct Case {
    const char* text;
    SYSTEMTIME utc;  // all zero: no date
  } cases[] = {
      {"Mon, 5 Feb 2024 14:03:09 +0100", DateTime(2024, 2, 5, 13, 3, 9)},
      {"5 Feb 99 14:03:09 -0530", DateTime(1999, 2, 5, 19, 33, 9)},
      {"5 Feb 7 14:03:09 GMT", DateTime(2007, 2, 5, 14, 3, 9)},
      {"5 Feb 100 14:03:09", DateTime(2000, 2, 5, 14, 3, 9)},
      {"5 Foo 2024 14:03:09", DateTime(2024, 1, 5, 14, 3, 9)},
      {"Tue,6 Feb 2024 02:03:09 PM", DateTime(2024, 2, 6, 14, 3, 9)},
      {" , Wed, 31 Dec 2025 23:59:59 -0100 (EST)", DateTime(2026, 1, 1, 0, 59, 59)},
      {"5 Feb 2024 14:03", {}},
      {"31 Feb 2024 10:00:00", {}},
      {"5 Feb 2024 99999999999:00:00", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    char text[kMailTextCapacity];
    strcpy(text, c.text);
    FILETIME utc = {1, 1};
    const bool read = ParseRfc822Date(text, &utc, kMailTextCapacity);
    const FILETIME expected = UtcFileTime(c.utc);
    EXPECT_EQ(read, c.utc.wYear != 0) << c.text;
    EXPECT_EQ(FileTimeToUInt64(utc), FileTimeToUInt64(expected)) << c.text;
    wchar_t shown[128];
    FormatFileDate(0, &expected, shown, 128);
    char shownNarrow[128];
    WideCharToMultiByte(CP_ACP, 0, shown, -1, shownNarrow, 128, nullptr, nullptr);
    EXPECT_STREQ(text, shownNarrow) << c.text;
  }
}

TEST(MailReader, DisplayNamesOfAddressHeaders) {
  struct Case {
    const wchar_t* address;
    const wchar_t* name;
  } cases[] = {
      {L"\"Doe, John\" <jd@x.org>", L"Doe, John"},
      {L"<a@b.c>", L"a@b.c"},
      {L"<<a@b.c>>", L"a@b.c"},
      {L"<a@b.c>,  <d@e.f>", L"a@b.c"},
      {L"Jane Roe <jr@x.org>, <k@x.org>", L"Jane Roe"},
      {L"'Ann' <a@b.c>", L"Ann"},
      {L"Ann <a@b.c>; Bob", L"Ann"},
      {L"\"Ann\" a@b.c", L"Ann"},
      {L"\"Ann\" a@b.c, \"Bob\" b@b.c", L"Ann  Bob b@b.c"},
      {L"a@b.c", L"a@b.c"},
      {L"\"\"", L""},
      {L"   ", L""},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(DisplayName(c.address), c.name) << c.address;
}

TEST(MailReader, FilesThatCannotBeReadOrHoldNothing) {
  int result = 0;
  const auto empty = ReadMessage("", &result);
  EXPECT_EQ(result, 0);
  EXPECT_STREQ(empty->subject, L"");
  const auto noBreak = ReadMessage("X-A: " + std::string(4091, 'a'), &result);
  EXPECT_EQ(result, 0);
  EXPECT_STREQ(noBreak->sender, L"");
  EXPECT_EQ(noBreak->date, 0u);
  TempFolder folder;
  MailInfo missing = {};
  wcscpy(missing.path, (folder / L"missing.eml").c_str());
  EXPECT_EQ(ReadMailInfo(&missing), ERROR_FILE_NOT_FOUND);
}

// Lines of headers that the reader searches for in vain, `length` bytes ending in the start of a name, so
// that every search runs to the last byte.
std::string UnmatchedHeaders(size_t length) {
  std::string headers;
  for (int i = 0; headers.size() < length; ++i)
    headers += "Received: by relay" + std::to_string(i) + ".example.org with SMTP for x;\n";
  headers.resize(length - 7);
  return headers + "\nSubjec";
}

TEST(MailReader, HeaderBlocksLongerThanOneReadPieceAreSearchedToTheirEnd) {
  const std::string headers = UnmatchedHeaders(18 * 4096);
  const auto unmatched = ReadMessage(headers);
  EXPECT_STREQ(unmatched->subject, L"");
  EXPECT_STREQ(unmatched->recipients, L"x");
  const auto farSubject = ReadMessage(headers + "t: far away\n\n");
  EXPECT_STREQ(farSubject->subject, L"far away");
}

TEST(MailReader, HeaderSearchesStayInsideTheText) {
  PageEndBuffer buffer;
  ASSERT_TRUE(buffer.Ready());
  auto searchAtPageEnd = [&](const std::string& message) {
    const char* text = reinterpret_cast<const char*>(buffer.Place(message));
    const char* names[] = {"Subject:", "From:", "To:", "Cc:", "Date:", "Delivery-date:"};
    for (const char* name : names) {
      char value[kMailTextCapacity];
      wchar_t decoded[kMailTextCapacity];
      FindMailHeaderValue(text, message.size(), name, value, kMailTextCapacity);
      DecodeMimeEncodedWords(value, decoded, kMailTextCapacity);
      ExtractMailDisplayName(decoded);
      ParseRfc822Date(value, nullptr, kMailTextCapacity);
      EXPECT_LT(strnlen(value, kMailTextCapacity), size_t{kMailTextCapacity});
    }
  };
  std::mt19937 random(11);
  for (const std::string& sample : {std::string(kSample), UnmatchedHeaders(4096)}) {
    for (size_t length = 0; length <= sample.size(); length += 3) searchAtPageEnd(sample.substr(0, length));
    for (int i = 0; i < 2000; ++i) {
      std::string variant = sample;
      for (int change = 0; change < 4; ++change) variant[random() % variant.size()] = static_cast<char>(random());
      searchAtPageEnd(variant);
    }
  }
}

TEST(MailReader, HostileMessagesNeitherCrashNorHang) {
  RunHostileInputLoop(kSample, L".eml", [](const std::wstring& path) {
    auto info = std::make_unique<MailInfo>();
    *info = {};
    wcscpy(info->path, path.c_str());
    if (ReadMailInfo(info.get()) != 0) return false;
    const wchar_t* texts[] = {info->sender, info->recipients, info->copyRecipients, info->subject};
    for (const wchar_t* text : texts)
      if (wcsnlen(text, kMailTextCapacity) == kMailTextCapacity) return false;
    return true;
  });
}
