#include "engine/module_formatting.h"

#include "foundation/text/bounded_text.h"
#include "foundation/ui/ui_strings.h"

namespace {

constexpr int kDescriptionPieceCapacity = 256;

}  // namespace

void AppendDescriptionPiece(int textId, wchar_t* text, int capacity) {
  wchar_t piece[kDescriptionPieceCapacity];
  GetUiText(textId, piece, kDescriptionPieceCapacity);
  if (piece[0] == 0) return;
  if (text[0] != 0) AppendWideBounded(L", ", text, capacity);
  AppendWideBounded(piece, text, capacity);
}
