// Reading the profile file a test run left: its lines and the key lines of one section.
#pragma once
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::vector<std::string> SectionLines(const std::string& text, const std::string& section) {
  std::vector<std::string> found;
  bool inside = false;
  for (const std::string& line : TextLines(text)) {
    if (!line.empty() && line[0] == '[') {
      inside = line == "[" + section + "]";
    } else if (inside) {
      found.push_back(line);
    }
  }
  return found;
}

// The value of a key line in the lines, or "(missing)".
inline std::string ValueOf(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "(missing)";
}
