// In-place renaming: an edit field over a row's label. The parent hears LVN_BEGINLABELEDITW when it opens
// (a non-zero answer cancels) and LVN_ENDLABELEDITW with the new text when a changed, non-empty text is
// committed. The open editor is the application's inline editor: the keyboard hook commits it with WM_USER
// and cancels it with WM_CLOSE.
#pragma once
#include <windows.h>

#include "views/item_list_control.h"

// Opens the editor on a row; a negative index ends an open editor instead (-1 commits, lower values cancel).
// Nothing opens while the mouse is away from the press of a click, without the rename-by-click view bit, for a
// row without a label part or an empty label. The editor, or null.
HWND ItemsViewBeginEdit(ItemListControl* control, int index);
// Commits or cancels an open editor; from another thread the request is posted to the control's window.
void ItemsViewEndEdit(ItemListControl* control, bool commit);
// The posted request: ends the editor only when it is still the one meant.
void ItemsViewEndEditRequest(ItemListControl* control, bool commit, HWND editor);
