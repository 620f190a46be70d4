// The steps of the main window that other parts of the program provide: the panes and bars, the commands,
// the menus and the theme. Each entry is null until its part fills it in, and a null entry leaves its step
// out. Every call goes through the guard, so a failing step cannot take the main window down with it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "foundation/guard.h"

struct ShellHooks {
  // A run of the program.
  void (*installKeyboardHook)();
  void (*freeMainMenu)();

  // Theme and owner-drawn menus.
  // Modes 0 to 3 set the preference (3 light) and give the dark flag; 5 asks whether dark mode is available.
  int (*setDarkModePreference)(int mode);
  void (*applyWindowTheme)(HWND window);
  void (*clearThemeColorCache)();
  LRESULT (*drawMenuItem)(DRAWITEMSTRUCT* item);
  void (*makePopupMenuOwnerDrawn)(HWND window, HMENU popup);

  // Panes and bars: creation, options and the splitters between the panes.
  HWND (*createFolderTree)(HWND window);
  void (*createAddressBar)(HWND window);
  void (*createToolbar)(HWND window);
  void (*createStatusBar)(HWND window);
  void (*applyFileIconsOption)(HWND window);
  void (*applyListFont)(HWND window);
  void (*collectTabStopPanes)();
  void (*loadSplitterPosition)(HWND window);
  void (*onSplitterMouse)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void (*refreshFileListColours)();
  void (*showSelectionCounts)();

  // Settings applied at creation and saved at the end.
  void (*applyViewOptions)(HWND window);
  void (*applyAlwaysOnTop)(HWND window);
  void (*loadLanguage)(HWND window);
  void (*saveChain)();
  void (*freeUndoList)();

  // Commands and menus.
  bool (*isCommandDisabled)(int commandId);
  void (*onCommand)(HWND window, WPARAM wParam, LPARAM lParam);
  void (*onClose)(HWND window);
  void (*refreshAllMenuStates)();
  void (*setViewMenuChecks)(HMENU popup, int position);
  void (*onMenuSelect)(HWND window, WPARAM wParam, LPARAM lParam);
  void (*onExitMenuLoop)(HWND window);
  void (*onDropFiles)(HWND window, HDROP drop);
  void (*showHelp)(HWND window, const HELPINFO* info);
  void (*onContextMenu)(HWND window, HWND source, LPARAM screenPoint);
  void (*showMenuDefinition)(HWND window, WPARAM definition);
  LRESULT (*showHeaderMenu)(HWND window, LPARAM record);
  void (*showHistoryMenu)(HWND window, bool older);

  // Folders.
  void (*setCurrentFolder)(const wchar_t* path);
  void (*navigateToFolder)(HWND window, const wchar_t* path);
  void (*treeItemPath)(const NMTREEVIEWW* change, wchar_t* path, int capacity);
  void (*freeTreeItem)(const NMTREEVIEWW* deletion);
  void (*expandTreeItem)(const NMTREEVIEWW* expansion);

  // The two lists.
  void (*chainRowText)(NMLVDISPINFOW* request);
  void (*fileRowText)(NMLVDISPINFOW* request);
  LRESULT (*fileRowInfoTip)(NMTTDISPINFOW* request);
  LRESULT (*beginFileRename)(NMLVDISPINFOW* request);
  LRESULT (*endFileRename)(NMLVDISPINFOW* request);
  void (*sortFileList)(int column);
  void (*dragChainStep)(HWND window);
  void (*openFocusedFile)(HWND window);
};

extern ShellHooks g_shellHooks;

// Calls a hook inside the guard; nothing happens without one.
template <typename... Params, typename... Args>
void CallShellHook(void (*hook)(Params...), Args&&... args) {
  if (!hook) return;
  GuardedCall(0, [&] {
    hook(std::forward<Args>(args)...);
    return 0;
  });
}

// The same for a hook with a result; `otherwise` without a hook and when it fails.
template <typename Result, typename... Params, typename... Args>
Result CallShellHookOr(Result (*hook)(Params...), Result otherwise, Args&&... args) {
  if (!hook) return otherwise;
  return GuardedCall(otherwise, [&] { return hook(std::forward<Args>(args)...); });
}
