// The surroundings of a content-plug-in test: a program state, a profile store in a temporary folder whose
// section "pgnCont" the test fills, the test plug-ins built beside the test program, and every plug-in
// unloaded when the test ends. The test keeps its own reference to a test plug-in it asks about, so that the
// library (and what it recorded) stays in memory when the host frees it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/profile/profile_store.h"
#include "metadata/plugin_host.h"
#include "metadata/plugin_list.h"
#include "support/temp_folder.h"
#include "tests/foundation/program_state_scope.h"

constexpr wchar_t kPublishedPlugin[] = L"PublishedTestPlugin.wdx64";
constexpr wchar_t kFieldlessPlugin[] = L"FieldlessTestPlugin.wdx64";
constexpr wchar_t kNarrowPlugin[] = L"NarrowTestPlugin.wdx64";
constexpr wchar_t kManyFieldsPlugin[] = L"ManyFieldsTestPlugin.wdx64";
constexpr wchar_t kOwnPlugin[] = L"OwnTestPlugin.wdx64";

inline std::wstring TestPluginPath(const wchar_t* name) { return ExecutableFolder() + L"\\" + name; }

inline std::string NarrowText(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A profile value naming a test plug-in: name, the sign and the library, detect override, init parameter.
inline std::string PluginValue(const char* name, const wchar_t* library, const char* sign = "+",
                               const char* detect = "", const char* parameter = "") {
  return std::string(name) + ";" + sign + NarrowText(TestPluginPath(library)) + ";" + detect + ";" + parameter;
}

class PluginScope {
 public:
  explicit PluginScope(const std::vector<std::string>& section = {}) {
    ProfileStoreConstruct(&g_settingsStore, (temp_ / L"QVRX.INI").c_str(), kProfileNoAutoLocation);
    Configure(section);
  }
  ~PluginScope() {
    UnloadAllPlugins();
    ProfileStoreDestroy(&g_settingsStore);
  }
  PluginScope(const PluginScope&) = delete;
  PluginScope& operator=(const PluginScope&) = delete;

  // Section "pgnCont" with these values as "1", "2", ...
  void Configure(const std::vector<std::string>& section) {
    ProfileDeleteSection(&g_settingsStore, kPluginSection);
    for (size_t i = 0; i < section.size(); ++i) {
      ProfileSetString(&g_settingsStore, kPluginSection, std::to_string(i + 1).c_str(), section[i].c_str());
    }
  }

  std::wstring File(const std::wstring& name, const std::string& bytes = "x") const {
    return temp_.WriteFile(name, bytes);
  }

  ProgramStateScope state_;
  TempFolder temp_;
};

// A test plug-in loaded by the test itself, for its test exports.
class TestLibrary {
 public:
  explicit TestLibrary(const wchar_t* name) : module_(LoadLibraryW(TestPluginPath(name).c_str())) {}
  ~TestLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  TestLibrary(const TestLibrary&) = delete;
  TestLibrary& operator=(const TestLibrary&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};
