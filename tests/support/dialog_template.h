// Dialog templates built in memory, so that tests need no dialog resources.
#pragma once
#include <windows.h>

#include <vector>

class DialogTemplate {
 public:
  // A dialog with a caption, sized in dialog units, using the 8-point "MS Shell Dlg" font.
  DialogTemplate(const wchar_t* title, short width, short height,
                 DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);

  // Adds a control by window class name ("BUTTON", "EDIT", "LISTBOX", "COMBOBOX", "SysListView32", ...);
  // WS_CHILD | WS_VISIBLE are added to the style.
  void AddControl(const wchar_t* className, const wchar_t* text, WORD id, DWORD style, short x, short y,
                  short width, short height);

  const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

  // A modeless dialog on the calling thread; destroy it with DestroyWindow.
  HWND Create(HWND parent, DLGPROC procedure = nullptr, LPARAM parameter = 0) const;

 private:
  void AppendText(const wchar_t* text);
  void AlignToDword();
  std::vector<WORD> words_;
};
