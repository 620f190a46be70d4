#include "foundation/text/pattern_list.h"

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/name_masks.h"
#include "foundation/text/name_parts.h"
#include "foundation/text/text_sizes.h"

namespace {

constexpr int kMappedNameCapacity = 2048;

bool MaskGivesNameBack(const wchar_t* name, const wchar_t* mask) {
  wchar_t mapped[kMappedNameCapacity];
  return ApplyWildcardNameMask(name, mask, mapped, kMappedNameCapacity) == 0 && EqualsIgnoreCaseWide(mapped, name);
}

}  // namespace

int MatchesPatternList(const wchar_t* path, const wchar_t* list) {
  if (path == nullptr || list == nullptr) return 0;
  const wchar_t* name = path + FileNameOffset(path);
  wchar_t masks[kPatternCapacity];
  CopyWideString(list, masks, kPatternCapacity);
  // An empty item (a leading ';', two in a row, or the end) ends the list.
  for (wchar_t* mask = masks; *mask != 0 && *mask != L';';) {
    wchar_t* end = wcschr(mask, L';');
    if (end != nullptr) *end = 0;
    if (MaskGivesNameBack(name, mask)) return 1;
    if (end == nullptr) break;
    mask = end + 1;
  }
  return 0;
}
