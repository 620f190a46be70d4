// Small formatting functions the modules share: the pieces of a step's description. The packed-date texts
// and a path's file title that modules also use live in the foundation and come with this header.
#pragma once
#include "foundation/files/paths.h"
#include "foundation/text/packed_date_text.h"

// Appends UI text `textId` to a step's description, after ", " when the description is not empty; an empty UI
// text adds nothing.
void AppendDescriptionPiece(int textId, wchar_t* text, int capacity);
