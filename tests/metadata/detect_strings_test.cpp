// Detect strings: the byte programs they compile to, the refusals, and what the programs say of files.
#include "metadata/detect_strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compile(const std::string& text, int capacity = 1024, int* result = nullptr) {
  Bytes program(static_cast<size_t>(capacity), 0xCC);
  const int length = CompileDetectString(text.c_str(), program.data(), capacity);
  if (result != nullptr) *result = length;
  if (length < 0) return {};
  program.resize(static_cast<size_t>(length) + 1);
  return program;
}

int Evaluate(const std::string& text, const char* extension, const std::string& data, uint64_t size) {
  const Bytes program = Compile(text);
  const DetectSubject subject{extension, reinterpret_cast<const uint8_t*>(data.data()),
                              static_cast<uint32_t>(data.size()), size};
  return EvaluateDetectProgram(program.data(), subject);
}

std::string RepeatedNumbers(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "1 ";
  return text;
}

}  // namespace

TEST(DetectStrings, CompileToTheDocumentedBytes) {
  const struct {
    const char* text;
    Bytes program;  // with its terminating zero
  } cases[] = {
      {"EXT=\"TXT\"", {0x65, 0x3D, 0x74, 0x03, 0x54, 0x58, 0x54, 0x00}},
      {"SIZE > 100", {0x73, 0x3E, 0x6E, 0x64, 0x00, 0x00, 0x00, 0x00}},
      {"[0] = 77", {0x69, 0x00, 0x00, 0x3D, 0x6E, 0x4D, 0x00, 0x00, 0x00, 0x00}},
      {"[70000]=1", {0x69, 0xFF, 0xFF, 0x3D, 0x6E, 0x01, 0x00, 0x00, 0x00, 0x00}},
      {"ext != \"a\" | findi(\"Pk\")", {0x65, 0x7E, 0x74, 0x01, 0x61, 0x7C, 0x49, 0x02, 0x50, 0x6B, 0x00}},
      {"!(MULTIMEDIA & FORCE)", {0x21, 0x28, 0x6D, 0x26, 0x66, 0x29, 0x00}},
      {"FIND()", {0x46, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    int length = 0;
    EXPECT_EQ(Compile(c.text, 1024, &length), c.program) << c.text;
    EXPECT_EQ(length, static_cast<int>(c.program.size()) - 1) << c.text;
  }
}

TEST(DetectStrings, RefuseUnknownWordsAndMalformedOrOversizedOperands) {
  const std::string longString = "FIND(\"" + std::string(256, 'a') + "\")";
  const struct {
    std::string text;
    int capacity;
    int result;
  } cases[] = {
      {"FOO", 1024, kDetectUnknownWord},
      {"EXT=\"TXT\" # 1", 1024, kDetectUnknownWord},
      {longString, 1024, kDetectSyntaxError},
      {"FIND(\"PK\"", 1024, kDetectSyntaxError},
      {"FIND(", 1024, kDetectSyntaxError},
      {"\"" + std::string(256, 'b') + "\"", 1024, kDetectSyntaxError},
      // Room for the code byte but not for the number after it, nor for the terminator.
      {"SIZE>1", 4, kDetectSyntaxError},
      {"EXT", 1, kDetectSyntaxError},
      // Five bytes for every two characters of text.
      {RepeatedNumbers(500), 1024, kDetectSyntaxError},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> program(static_cast<size_t>(c.capacity) + 16, 0xCC);
    EXPECT_EQ(CompileDetectString(c.text.c_str(), program.data(), c.capacity), c.result) << c.text.substr(0, 20);
    for (size_t i = static_cast<size_t>(c.capacity); i < program.size(); ++i) {
      ASSERT_EQ(program[i], 0xCC) << "wrote past the buffer for " << c.text.substr(0, 20);
    }
  }
}

TEST(DetectStrings, EvaluateAgainstExtensionBytesAndSize) {
  std::string block(8192, '\0');
  block[8191] = 1;
  const struct {
    const char* text;
    const char* extension;
    std::string data;
    uint64_t size;
    bool matches;
  } cases[] = {
      {"EXT=\"JPG\" | EXT=\"JPEG\"", "jpeg", "", 10, true},
      {"EXT=\"JPG\" | EXT=\"JPEG\"", "png", "", 10, false},
      {"EXT=\"TXT\" & SIZE>100", "txt", "", 50, false},
      {"EXT=\"TXT\" & SIZE>100", "txt", "", 200, true},
      {"EXT=\"TXT\" & SIZE>100", "doc", "", 200, false},
      {"!EXT=\"TXT\"", "txt", "", 1, false},
      {"!EXT=\"TXT\"", "doc", "", 1, true},
      {"EXT<\"M\"", "abc", "", 1, true},
      {"EXT>\"M\"", "abc", "", 1, false},
      {"SIZE!=5", "", "", 5, false},
      {"SIZE<5", "", "", 4, true},
      {"[0]=255", "", "\xFF\x01", 2, true},
      {"[1]>0", "", "\xFF\x00", 2, false},
      {"[0]=\"P\"", "", "PK", 2, true},
      {"[8191]=1", "", block, 8192, true},
      {"[9000]=1", "", block, 20000, false},
      {"[65536]=0", "", std::string(8, '\0'), 8, false},
      {"FIND(\"PK\")", "", "xxPKyy", 6, true},
      {"FINDI(\"pk\")", "", "xxPkyy", 6, true},
      {"FIND(\"pk\")", "", "xxPKyy", 6, false},
      {"FIND(\"yyy\")", "", "xxPKyy", 6, false},
      {"MULTIMEDIA", "", "", 0, true},
      {"FORCE", "", "", 0, false},
      {"(EXT=\"A\" | EXT=\"B\") & SIZE>1", "b", "", 2, true},
      {"(EXT=\"A\" | EXT=\"B\") & SIZE>1", "c", "", 2, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Evaluate(c.text, c.extension, c.data, c.size) != 0, c.matches) << c.text << " on ." << c.extension;
  }
}

TEST(DetectStrings, ProgramsThatEndInsideATestReadNothingBeyondTheirEnd) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const DWORD page = system.dwPageSize;
  for (const char* text : {"EXT", "SIZE>", "[0]", "EXT=", "[3]<"}) {
    const Bytes program = Compile(text);
    ASSERT_FALSE(program.empty()) << text;
    uint8_t* pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &old));
    uint8_t* copy = pages + page - program.size();
    memcpy(copy, program.data(), program.size());
    const DetectSubject subject{"txt", reinterpret_cast<const uint8_t*>("abcd"), 4, 4};
    EXPECT_EQ(EvaluateDetectProgram(copy, subject), 0) << text;
    VirtualFree(pages, 0, MEM_RELEASE);
  }
}

TEST(DetectStrings, OnlyContentTestsNeedTheFile) {
  const struct {
    const char* text;
    bool readsFile;
  } cases[] = {
      {"EXT=\"TXT\" | EXT=\"LOG\"", false}, {"MULTIMEDIA", false},      {"EXT=\"A\" & SIZE>1", true},
      {"[0]=1", true},                    {"FIND(\"x\")", true},       {"EXT=\"[\" | FINDI(\"s\")", true},
  };
  for (const auto& c : cases) {
    const Bytes program = Compile(c.text);
    EXPECT_EQ(DetectProgramReadsFile(program.data()), c.readsFile) << c.text;
  }
}
