#include "support/dialog_template.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void AppendDword(std::vector<WORD>& words, DWORD value) {
  words.push_back(LOWORD(value));
  words.push_back(HIWORD(value));
}

}  // namespace

DialogTemplate::DialogTemplate(const wchar_t* title, short width, short height, DWORD style) {
  AppendDword(words_, style);
  AppendDword(words_, 0);
  words_.push_back(0);  // control count, raised by AddControl
  words_.push_back(0);
  words_.push_back(0);
  words_.push_back(static_cast<WORD>(width));
  words_.push_back(static_cast<WORD>(height));
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  AppendText(title);
  if (style & DS_SETFONT) {
    words_.push_back(8);
    AppendText(L"MS Shell Dlg");
  }
}

void DialogTemplate::AddControl(const wchar_t* className, const wchar_t* text, WORD id, DWORD style, short x,
                                short y, short width, short height) {
  AlignToDword();
  AppendDword(words_, style | WS_CHILD | WS_VISIBLE);
  AppendDword(words_, 0);
  words_.push_back(static_cast<WORD>(x));
  words_.push_back(static_cast<WORD>(y));
  words_.push_back(static_cast<WORD>(width));
  words_.push_back(static_cast<WORD>(height));
  words_.push_back(id);
  AppendText(className);
  AppendText(text ? text : L"");
  words_.push_back(0);  // no creation data
  ++words_[4];
}

HWND DialogTemplate::Create(HWND parent, DLGPROC procedure, LPARAM parameter) const {
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), Template(), parent,
                                    procedure ? procedure : PlainDialogProc, parameter);
}

void DialogTemplate::AppendText(const wchar_t* text) {
  for (; *text; ++text) words_.push_back(static_cast<WORD>(*text));
  words_.push_back(0);
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2 != 0) words_.push_back(0);
}
