// A fresh folder under the temporary path, removed with everything in it when the object goes. Files are made,
// read and removed by the names they are given, also names that end in a dot or a blank.
#pragma once
#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  // Full path of a name inside the folder.
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Creates a file with the given bytes; subfolders on the way are created too.
  std::wstring WriteFile(const std::wstring& name, const std::string& bytes) const;
  std::wstring MakeFolder(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// A full drive path in the form the system takes as it stands ("\\?\" first); other paths as they are.
std::wstring AsGiven(const std::wstring& path);
// Reads a whole file into a byte string; an empty optional-like flag through `ok`.
std::string ReadWholeFile(const std::wstring& path, bool* ok = nullptr);
bool PathExists(const std::wstring& path);
// The folder holding the running test executable (the build's bin folder).
std::wstring ExecutableFolder();
