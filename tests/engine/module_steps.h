// Rename steps given by their text forms, as the modules' tests use them: the name after one step, a step's
// text form, the check that a settings record comes back byte for byte through a save and a load, and tables
// of names, text forms and descriptions.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/module_table.h"
#include "foundation/text/bounded_text.h"

inline std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The name after the step, prepared first as a preview pass prepares it (unless not), or "(refused)" when its
// text is refused. The step must leave the name usable: applied, or the file passed over.
inline std::wstring Renamed(const wchar_t* step, const wchar_t* name, const void* context = nullptr,
                            bool prepare = true) {
  ModuleInstance* settings = CreateModuleFromText(step);
  EXPECT_NE(settings, nullptr) << "refused: " << Narrow(step);
  if (settings == nullptr) return L"(refused)";
  wchar_t buffer[260];
  CopyWideBounded(name, buffer, 260);
  if (prepare) PrepareModuleInstance(settings);
  const int result = ApplyModuleToFileName(settings, context, buffer, 260);
  EXPECT_TRUE(result == kStepApplied || result == kStepLeftAlone) << Narrow(step) << ": " << result;
  FreeModuleInstance(settings);
  return buffer;
}

// The step fails on the name and leaves it as it was.
inline void ExpectStepFails(const wchar_t* step, const wchar_t* name, const void* context = nullptr) {
  ModuleInstance* settings = CreateModuleFromText(step);
  ASSERT_NE(settings, nullptr) << Narrow(step);
  wchar_t buffer[260];
  CopyWideBounded(name, buffer, 260);
  EXPECT_NE(ApplyModuleToFileName(settings, context, buffer, 260), 0) << Narrow(step);
  EXPECT_STREQ(buffer, name);
  FreeModuleInstance(settings);
}

inline std::wstring Serialized(const ModuleInstance* settings) {
  wchar_t text[4096];
  EXPECT_EQ(SerializeModuleInstance(settings, text, 4096), 0);
  return text;
}

// Saves a step and loads it again: the loaded record equals the saved one, and saving it again gives the same
// text.
template <typename Settings>
void ExpectRoundTrip(const Settings& original) {
  const std::wstring text = Serialized(&original.header);
  ModuleInstance* loaded = CreateModuleFromText(text.c_str());
  ASSERT_NE(loaded, nullptr) << "refused: " << Narrow(text);
  EXPECT_EQ(memcmp(loaded, &original, sizeof(Settings)), 0) << Narrow(text);
  EXPECT_EQ(Serialized(loaded), text);
  FreeModuleInstance(loaded);
}

// Comments that test the comment part's quoting.
inline const wchar_t* const kStepComments[] = {L"", L"first line\r\nsecond line", L"a;b>c", L"say \"hi\"",
                                               L"C:\\new"};

struct StepRenameCase {
  const wchar_t* step;
  const wchar_t* name;
  const wchar_t* renamed;
};

template <size_t N>
void ExpectRenamed(const StepRenameCase (&cases)[N]) {
  for (const StepRenameCase& c : cases) EXPECT_EQ(Renamed(c.step, c.name), c.renamed) << Narrow(c.step);
}

struct StepTextCase {
  const wchar_t* given;
  const wchar_t* written;  // null: the text is refused
};

// Each given text creates a step that writes the expected text, or is refused.
template <size_t N>
void ExpectTextForms(const StepTextCase (&cases)[N]) {
  for (const StepTextCase& c : cases) {
    ModuleInstance* settings = CreateModuleFromText(c.given);
    if (c.written == nullptr) {
      EXPECT_EQ(settings, nullptr) << Narrow(c.given);
    } else if (settings == nullptr) {
      ADD_FAILURE() << "refused: " << Narrow(c.given);
    } else {
      EXPECT_EQ(Serialized(settings), c.written);
    }
    FreeModuleInstance(settings);
  }
}

struct StepDescriptionCase {
  const wchar_t* step;
  const wchar_t* description;
};

template <size_t N>
void ExpectDescriptions(const StepDescriptionCase (&cases)[N]) {
  for (const StepDescriptionCase& c : cases) {
    ModuleInstance* settings = CreateModuleFromText(c.step);
    ASSERT_NE(settings, nullptr) << Narrow(c.step);
    wchar_t text[256];
    DescribeModuleInstance(settings, text, 256);
    EXPECT_STREQ(text, c.description);
    FreeModuleInstance(settings);
  }
}
