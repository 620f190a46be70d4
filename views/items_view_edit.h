// In-place renaming: an edit field over a row's label. The parent hears LVN_BEGINLABELEDITW when it opens
// (a non-zero answer cancels) and LVN_ENDLABELEDITW with the new text when a changed, non-empty text is
// committed. The open editor is the application's inline editor: the keyboard hook commits it with
// kEditorCommitMessage and cancels it with WM_CLOSE. The list's own header: opening and ending the editor are in
// views/items_view.h.
#pragma once
#include <windows.h>

#include "views/items_view.h"

// The posted request: ends the editor only when it is still the one meant.
void ItemsViewEndEditRequest(ItemListControl* control, bool commit, HWND editor);
