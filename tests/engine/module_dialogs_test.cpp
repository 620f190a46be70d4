// The rename modules' dialogs on their resource templates, driven through window messages: the layout of every
// dialog with the program's English texts, the rules of positions, counts and the step spin, help, a dialog
// without a sample, Cancel, and the memory a dialog holds while the user types.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/module_dialog_ids.h"
#include "engine/module_table.h"
#include "engine/modules/date_time_modules.h"
#include "engine/modules/pattern_modules.h"
#include "foundation/win32/owner_drawn_controls.h"
#include "foundation/win32/system_functions.h"
#include "foundation/ui/resource_library.h"
#include "foundation/ui/ui_seams.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "program_state_scope.h"
#include "support/dialog_action.h"
#include "support/temp_folder.h"
#include "support/test_window.h"
#include "tests/metadata/plugin_scope.h"
#include "ui_seams_scope.h"

namespace {

std::wstring Text(HWND dialog, int id) {
  wchar_t text[1100];
  GetDlgItemTextW(dialog, id, text, 1100);
  return text;
}

void Press(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::wstring TextForm(const ModuleInstance* step) {
  wchar_t text[2048];
  SerializeModuleInstance(step, text, 2048);
  return text;
}

// Every module that has a dialog.
std::vector<uint32_t> ModulesWithDialogs() {
  std::vector<uint32_t> modules;
  for (uint32_t index = 0; index < kModuleSlotCount; ++index) {
    if (g_moduleDescriptors[index].showDialog != nullptr) modules.push_back(index);
  }
  return modules;
}

class ModuleDialogs : public testing::Test {
 protected:
  ModuleDialogs() {
    InitModuleDescriptors();
    InitCommonControlClasses();
    const ResourceLibrary* library = LoadResourceLibrary();
    if (library != nullptr) state_->uiStrings = library->languages[0].table;
    memcpy(state_->languageCode, "US", 3);
  }

  // Shows the step's dialog on the sample; `action` runs once the dialog is up and ends it. The dialog's
  // result as EditModuleInstance gives it.
  static ModuleInstance* Edit(ModuleInstance* step, const wchar_t* sample, std::function<void(HWND)> action,
                              const void* context = nullptr) {
    DialogAction acting(std::move(action));
    return EditModuleInstance(nullptr, step, context, sample);
  }

  // A step read from its text form; the test fails without one.
  static ModuleInstance* Step(const wchar_t* text) {
    ModuleInstance* step = CreateModuleFromText(text);
    EXPECT_NE(step, nullptr) << text;
    return step;
  }

  ProgramStateScope state_;
};

int AverageCharWidth(HDC dc) {
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size = {};
  GetTextExtentPoint32W(dc, kLetters, 52, &size);
  return (size.cx / 26 + 1) / 2;
}

// The width of a text in dialog units of the font in `dc`.
double TextUnits(HDC dc, const std::wstring& text) {
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx * 4.0 / AverageCharWidth(dc);
}

bool HasClass(HWND window, const wchar_t* name) {
  wchar_t found[32];
  GetClassNameW(window, found, 32);
  return _wcsicmp(found, name) == 0;
}

LONG_PTR ButtonType(HWND control) { return GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK; }

// The texts a control must show whole (a label's or button's text, each item of a drop-down list), and the
// pixels at 96 DPI it needs besides: the glyph of a check box or radio button, a group box's caption indent, a
// push button's frame, a list's arrow.
std::vector<std::wstring> ShownTexts(HWND control, int* extra) {
  std::vector<std::wstring> texts;
  wchar_t text[256] = {};
  if (HasClass(control, L"ComboBox")) {
    *extra = GetSystemMetrics(SM_CXVSCROLL) + 8;
    for (int item = 0; SendMessageW(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text)) > 0; ++item)
      texts.push_back(text);
    return texts;
  }
  const LONG_PTR type = ButtonType(control);
  const bool button = HasClass(control, L"Button");
  *extra = !button ? 0 : type == BS_GROUPBOX ? 16 : type == BS_AUTORADIOBUTTON || type == BS_AUTOCHECKBOX ? 19 : 8;
  if ((button || HasClass(control, L"Static")) && GetWindowTextW(control, text, 256) > 0) texts.push_back(text);
  return texts;
}

RECT ChildRect(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Group boxes hold other controls, and a spin control lies over the border of its edit.
bool MayOverlap(HWND one, HWND other) {
  const auto spinOf = [](HWND spin, HWND edit) {
    return HasClass(spin, UPDOWN_CLASSW) && reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)) == edit;
  };
  return ButtonType(one) == BS_GROUPBOX || ButtonType(other) == BS_GROUPBOX || spinOf(one, other) || spinOf(other, one);
}

std::string Named(const char* fault, HWND control) { return fault + std::to_string(GetDlgCtrlID(control)); }

// Texts cut short at the dialog's font and at that font half as large again (what 144 DPI gives), controls
// that overlap, and controls outside the client area.
std::vector<std::string> LayoutFaults(HWND dialog) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  LOGFONTW large = {};
  GetObjectW(font, sizeof large, &large);
  large.lfHeight = large.lfHeight * 3 / 2;
  HFONT largeFont = CreateFontIndirectW(&large);
  HDC dc = CreateCompatibleDC(nullptr);
  HDC largeDc = CreateCompatibleDC(nullptr);
  SelectObject(dc, font);
  SelectObject(largeDc, largeFont);
  const int base = AverageCharWidth(dc);
  RECT client = {};
  GetClientRect(dialog, &client);
  std::vector<HWND> controls;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    if (IsWindowVisible(control)) controls.push_back(control);
  }
  std::vector<std::string> faults;
  for (HWND control : controls) {
    const RECT rect = ChildRect(dialog, control);
    int extra = 0;
    for (const std::wstring& text : ShownTexts(control, &extra)) {
      const double room = (rect.right - rect.left - extra) * 4.0 / base;
      if (TextUnits(dc, text) > room || TextUnits(largeDc, text) > room)
        faults.push_back(Named("cut text in ", control));
    }
    RECT common = {};
    if (!IntersectRect(&common, &rect, &client) || !EqualRect(&common, &rect))
      faults.push_back(Named("outside: ", control));
    for (HWND other : controls) {
      const RECT otherRect = ChildRect(dialog, other);
      if (other > control && !MayOverlap(control, other) && IntersectRect(&common, &rect, &otherRect))
        faults.push_back(Named("overlap: ", control) + Named(" ", other));
    }
  }
  DeleteDC(largeDc);
  DeleteDC(dc);
  DeleteObject(largeFont);
  return faults;
}

}  // namespace

TEST_F(ModuleDialogs, EveryLabelIsWholeAt96And144DpiAndNoControlsOverlap) {
  ASSERT_NE(state_->uiStrings, nullptr);
  const std::vector<uint32_t> modules = ModulesWithDialogs();
  EXPECT_EQ(modules.size(), 21u);
  for (uint32_t module : modules) {
    ModuleInstance* step = CreateDefaultModule(module);
    std::vector<std::string> faults;
    std::wstring caption;
    Edit(step, L"sample.txt", [&](HWND dialog) {
      faults = LayoutFaults(dialog);
      wchar_t text[128];
      GetWindowTextW(dialog, text, 128);
      caption = text;
      Press(dialog, IDC_MODULE_CANCEL);
    });
    EXPECT_EQ(caption.substr(0, 1), L" ") << module;
    EXPECT_GT(caption.size(), 1u) << module;
    for (const std::string& fault : faults) ADD_FAILURE() << "module " << module << ": " << fault;
    FreeModuleInstance(step);
  }
}

TEST_F(ModuleDialogs, PositionsAndCountsAreHeldWithinTheirRangesAndShownAsStored) {
  struct Case {
    const wchar_t* step;
    int edit;
    const wchar_t* typed;
    const wchar_t* shown;
    const wchar_t* stored;
  };
  const Case cases[] = {
      {L"<Enum,n,3,1,1>", IDC_ENUM_POSITION, L"0", L"1", L"<Enum,n,0,1,1>"},
      {L"<Enum,n,3,1,1>", IDC_ENUM_POSITION, L"999", L"250", L"<Enum,n,249,1,1>"},
      {L"<Enum,n,3,1,1>", IDC_ENUM_POSITION, L"", L"", L"<Enum,n,0,1,1>"},
      {L"<Enum,n,0,1,1>", IDC_ENUM_STEP, L"0", L"0", L"<Enum,n,0,1,1>"},
      {L"<Enum,n,0,1,1>", IDC_ENUM_START, L"-5", L"-5", L"<Enum,n,0,4294967291,1>"},
      {L"<Enum,n,0,1,1>", IDC_ENUM_WIDTH, L"999", L"100", L"<Enum,n,0,1,1,100x0>"},
      {L"<Ins,n,l,0,\"x\">", IDC_MODULE_POSITION, L"7", L"7", L"<Ins,n,l,6,\"x\">"},
      {L"<Crop,n,l,0,3>", IDC_MODULE_COUNT, L"0", L"1", L"<Crop,n,l,0,1>"},
      {L"<Crop,n,l,0,3>", IDC_MODULE_COUNT, L"300", L"250", L"<Crop,n,l,0,250>"},
      {L"<Cut,n,0,1,1>", IDC_CUT_TARGET, L"999", L"250", L"<Cut,n,0,1,249>"},
      {L"<Date,n,m,4,\"d\">", IDC_DATE_POSITION, L"0", L"1", L"<Date,n,m,0,\"d\">"},
  };
  for (const Case& test : cases) {
    ModuleInstance* step = Step(test.step);
    std::wstring shown;
    ModuleInstance* kept = Edit(step, L"sample.txt", [&](HWND dialog) {
      SetDlgItemTextW(dialog, test.edit, test.typed);
      shown = Text(dialog, test.edit);
      Press(dialog, IDC_MODULE_OK);
    });
    EXPECT_EQ(kept, step) << test.step;
    EXPECT_EQ(shown, test.shown) << test.step << " " << test.typed;
    EXPECT_EQ(TextForm(step), test.stored) << test.step << " " << test.typed;
    FreeModuleInstance(step);
  }
}

TEST_F(ModuleDialogs, TheEnumStepSpinPassesOverZero) {
  struct Case {
    const wchar_t* step;
    WPARAM key;
    const wchar_t* shown;
  };
  const Case cases[] = {
      {L"1", VK_DOWN, L"-1"}, {L"-1", VK_UP, L"1"}, {L"2", VK_DOWN, L"1"}, {L"-2", VK_UP, L"-1"}, {L"5", VK_UP, L"6"}};
  for (const Case& test : cases) {
    ModuleInstance* step = Step((std::wstring(L"<Enum,n,0,1,") + test.step + L">").c_str());
    std::wstring shown;
    std::wstring preview;
    Edit(step, L"a.txt", [&](HWND dialog) {
      SendDlgItemMessageW(dialog, IDC_ENUM_STEP, WM_KEYDOWN, test.key, 0);
      SendDlgItemMessageW(dialog, IDC_ENUM_STEP, WM_KEYUP, test.key, 0);
      shown = Text(dialog, IDC_ENUM_STEP);
      preview = Text(dialog, IDC_MODULE_PREVIEW);
      Press(dialog, IDC_MODULE_OK);
    });
    EXPECT_EQ(shown, test.shown) << test.step;
    EXPECT_EQ(TextForm(step), std::wstring(L"<Enum,n,0,1,") + test.shown + L">");
    EXPECT_EQ(preview, L"1a.txt") << "the preview shows the counter's start";
    FreeModuleInstance(step);
  }
}

TEST_F(ModuleDialogs, WithoutASampleTheNameAndPreviewStayEmpty) {
  for (const wchar_t* sample : {L"", static_cast<const wchar_t*>(nullptr)}) {
    ModuleInstance* step = Step(L"<Ext,\"txt\">");
    std::wstring shown;
    Edit(step, sample, [&](HWND dialog) {
      SetDlgItemTextW(dialog, IDC_EXT_EXTENSION, L"bak");
      shown = Text(dialog, IDC_MODULE_SAMPLE) + L"|" + Text(dialog, IDC_MODULE_PREVIEW);
      Press(dialog, IDC_MODULE_OK);
    });
    EXPECT_EQ(shown, L"|");
    EXPECT_EQ(TextForm(step), L"<Ext,\"bak\">");
    FreeModuleInstance(step);
  }
}

namespace {

std::vector<DWORD_PTR> g_helpTopics;
HWND g_helpWindow = nullptr;

HWND WINAPI RecordHelpTopic(HWND, const wchar_t*, UINT, DWORD_PTR data) {
  g_helpTopics.push_back(data);
  return g_helpWindow;
}

}  // namespace

TEST_F(ModuleDialogs, F1OpensEachDialogsHelpTopicAndChangesNothing) {
  TempFolder folder;
  folder.WriteFile(L"QVRX_US.CHM", "help");
  UiSeamsScope seams;
  seams.PretendProgramFile(folder / L"QVRX.exe");
  g_uiSeams.htmlHelpW = RecordHelpTopic;
  OwnedWindow help(CreateTestPopup(0, 0, 10, 10));
  g_helpWindow = help;
  struct Case {
    const wchar_t* step;
    DWORD_PTR topic;  // 0: the dialog has no help
  };
  const Case cases[] = {{L"<Case,e,3>", 7}, {L"<Copy,n,1,2,3>", 0}, {L"<Date,n,a,1,\"d\">", 24}, {L"<CSV,x.csv>", 17},
                       {L"<PgnCont,0,>", 16}};
  for (const Case& test : cases) {
    g_helpTopics.clear();
    ModuleInstance* step = Step(test.step);
    const std::wstring before = TextForm(step);
    bool open = false;
    Edit(step, L"sample.txt", [&](HWND dialog) {
      HELPINFO help = {sizeof help, HELPINFO_WINDOW, IDC_MODULE_OK, GetDlgItem(dialog, IDC_MODULE_OK), 0, {}};
      SendMessageW(dialog, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
      open = IsWindow(dialog) != FALSE;
      Press(dialog, IDC_MODULE_OK);
    });
    EXPECT_TRUE(open) << test.step;
    EXPECT_EQ(g_helpTopics, test.topic != 0 ? std::vector<DWORD_PTR>{test.topic} : std::vector<DWORD_PTR>{})
        << test.step;
    EXPECT_EQ(TextForm(step), before);
    FreeModuleInstance(step);
  }
}

namespace {

// The process's private bytes: its committed private memory, summed over its address space (Wine's process
// counters leave this figure at 0).
SIZE_T PrivateBytes() {
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region = {};
  for (const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
       at < system.lpMaximumApplicationAddress && VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
  }
  return total;
}

// Types into the edit as a keyboard would: `count` keys, every second one taking the last back again.
void TypeAndTakeBack(HWND edit, int count) {
  for (int key = 0; key < count; ++key) SendMessageW(edit, WM_CHAR, key % 2 == 0 ? L'x' : L'\b', 0);
}

}  // namespace

TEST_F(ModuleDialogs, TypingAThousandCharactersKeepsNoPreviewSettings) {
  TempFolder folder;
  std::string lines;
  for (int line = 0; line < 4000; ++line) lines += "name" + std::to_string(line) + ".txt\r\n";
  const std::wstring list = folder.WriteFile(L"names.csv", lines);
  PluginScope plugins({PluginValue("Test", kPublishedPlugin)});
  const std::wstring sample = plugins.File(L"name7.txt", "abc");
  struct Case {
    std::wstring step;
    int edit;
    const void* context;
  };
  // 32 plug-in references: each preview resolves them into an array of some 10 KB, which heap room that earlier
  // steps freed cannot hide.
  std::wstring references;
  for (int pair = 0; pair < 16; ++pair) references += L"\"Test=Size\"_\"Test=Digits\"_";
  const Case cases[] = {{L"<CSV," + list + L">", IDC_LIST_FILE, nullptr},
                        {L"<RegEx,n,\"a(b|c)*\",\"x\">", IDC_MODULE_SEARCH, nullptr},
                        {L"<PgnCont,0," + references + L">", IDC_PGNCONT_PATTERN, sample.c_str()}};
  for (const Case& test : cases) {
    ModuleInstance* step = Step(test.step.c_str());
    SIZE_T growth = 0;
    std::wstring preview;
    const auto type = [&](HWND dialog) {
      HWND edit = GetDlgItem(dialog, test.edit);
      SendMessageW(edit, EM_SETSEL, 4096, 4096);
      TypeAndTakeBack(edit, 20);
      const SIZE_T before = PrivateBytes();
      TypeAndTakeBack(edit, 1000);
      const SIZE_T after = PrivateBytes();
      growth = after > before ? after - before : 0;
      preview = Text(dialog, IDC_MODULE_PREVIEW);
      Press(dialog, IDC_MODULE_CANCEL);
    };
    Edit(step, L"name7.txt", type, test.context);
    EXPECT_LT(growth, 1024u * 1024u) << test.step.c_str();
    EXPECT_NE(preview, L"name7.txt") << "the previews ran with the list, the pattern and the plug-in";
    FreeModuleInstance(step);
  }
}

namespace {

// Answers with OK each message box shown over a dialog of this thread, and keeps its text.
class BoxesOverDialog {
 public:
  explicit BoxesOverDialog(HWND dialog) {
    dialog_ = dialog;
    texts_.clear();
    timer_ = SetTimer(nullptr, 0, 20, Answer);
  }
  ~BoxesOverDialog() { KillTimer(nullptr, timer_); }
  const std::vector<std::wstring>& Texts() const { return texts_; }

 private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    if (window == dialog_ || !HasClass(window, L"#32770") || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  static void CALLBACK Answer(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr || box == answered_) return;
    answered_ = box;
    texts_.push_back(Text(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }

  UINT_PTR timer_;
  inline static HWND dialog_ = nullptr;
  inline static HWND answered_ = nullptr;
  inline static std::vector<std::wstring> texts_;
};

std::wstring UiText(int id) {
  wchar_t text[512];
  GetUiText(id, text, 512);
  return text;
}

}  // namespace

TEST_F(ModuleDialogs, OkRefusesAStepThatCouldNotBeSavedAsItStandsAndSaysWhy) {
  const std::wstring x600(600, L'x');
  struct Case {
    const wchar_t* step;
    std::vector<std::pair<int, std::wstring>> typed;
    int refusal;  // the UI text of the message; 0: the step is taken
  };
  const Case cases[] = {
      {L"<Sbst,n,\"a\",\"b\">", {{IDC_MODULE_SEARCH, x600}, {IDC_MODULE_REPLACEMENT, x600}}, kTextStepTooLong},
      {L"<Sbst,n,\"a\",\"b\">", {{IDC_MODULE_SEARCH, x600.substr(200)}, {IDC_MODULE_REPLACEMENT, x600.substr(200)}},
       0},
      {L"<Audio,0,\"Title\">", {{IDC_AUDIO_PATTERN, L"\"Title\";\"Artist\">x"}}, kTextStepNotKept},
      {L"<Audio,0,\"Title\">", {{IDC_AUDIO_PATTERN, L"\"Title\">x"}}, kTextStepNotKept},
      {L"<Audio,0,\"Title\">", {{IDC_AUDIO_PATTERN, L"\"Artist\" - \"Title\""}}, 0},
  };
  for (const Case& test : cases) {
    ModuleInstance* step = Step(test.step);
    std::vector<std::wstring> boxes;
    ModuleInstance* kept = Edit(step, L"a.mp3", [&](HWND dialog) {
      BoxesOverDialog answering(dialog);
      for (const auto& [edit, text] : test.typed) SetDlgItemTextW(dialog, edit, text.c_str());
      Press(dialog, IDC_MODULE_OK);
      boxes = answering.Texts();
      // A refused step leaves the dialog open.
      if (!boxes.empty()) Press(dialog, IDC_MODULE_CANCEL);
    });
    if (test.refusal != 0) {
      EXPECT_EQ(boxes, std::vector<std::wstring>{UiText(test.refusal)}) << test.step;
      EXPECT_EQ(kept, nullptr);
      EXPECT_EQ(TextForm(step), test.step);
    } else {
      EXPECT_TRUE(boxes.empty()) << test.step;
      EXPECT_EQ(kept, step);
      EXPECT_NE(TextForm(step), test.step);
    }
    FreeModuleInstance(step);
  }
}

// Every item of a field menu, its submenus' included, with the reference its labels stand for: the field's name,
// for a picture the field's name, ',' and the picture; the original name's label stands for "OFN".
struct MenuItemReference {
  UINT id;
  std::wstring reference;
};

void CollectItemReferences(HMENU menu, const std::wstring& field, const std::wstring& originalName,
                           std::vector<MenuItemReference>* items, int* submenus) {
  for (int position = 0; position < GetMenuItemCount(menu); ++position) {
    wchar_t label[64] = {};
    GetMenuStringW(menu, position, label, 64, MF_BYPOSITION);
    if (HMENU pictures = GetSubMenu(menu, position); pictures != nullptr) {
      ++*submenus;
      CollectItemReferences(pictures, std::wstring(label) + L",", originalName, items, submenus);
    } else if (label[0] != 0) {
      items->push_back({GetMenuItemID(menu, position), label == originalName ? L"OFN" : field + label});
    }
  }
}

TEST_F(ModuleDialogs, TheFieldMenusListTheFieldsWithTheirPicturesAndEachItemInsertsWhatItShows) {
  struct Case {
    uint32_t module;
    int fields;
    int id;
    std::wstring reference;  // empty: no item has the id
  };
  const std::wstring date = kDatePatternPresets[1];
  const std::wstring time = kTimePatternPresets[0];
  const Case cases[] = {
      {kModuleAudio, 7, 1, L"Title"},
      {kModuleAudio, 7, 8, L"OFN"},
      {kModuleAudio, 7, 9, L""},
      {kModuleAudio, 7, 256 + 1, L""},
      {kModuleExif, 35, 4 * 256 + 2, L"Date," + date},
      {kModuleExif, 35, 33 * 256 + 1, L"GPS Time," + time},
      {kModuleExif, 35, 4, L""},
      {kModuleExif, 35, 4 * 256 + 8, L""},
      {kModuleExif, 35, 6, L"Date/Time"},
      {kModuleEMail, 7, 5 * 256 + 2, L"Date," + date},
      {kModuleEMail, 7, 6 * 256 + 1, L"Time," + time},
      {kModuleEMail, 7, 7, L"Date/Time"},
      {kModuleImage, 3, 3, L"BPP"},
      {kModuleImage, 3, 4, L"OFN"},
  };
  wchar_t originalName[64];
  GetUiText(13257, originalName, 64);
  for (const Case& test : cases) {
    PatternFieldMenu menu;
    ASSERT_TRUE(BuildPatternFieldMenu(test.module, &menu));
    EXPECT_EQ(GetMenuItemCount(menu.menu), test.fields + 2) << "the fields, a separator and the original name";
    wchar_t label[64] = {};
    GetMenuStringW(menu.menu, test.fields + 1, label, 64, MF_BYPOSITION);
    EXPECT_STREQ(label, originalName);
    wchar_t reference[128];
    const bool found = GetPatternFieldReference(menu, test.id, reference, 128);
    EXPECT_EQ(found, !test.reference.empty()) << test.module << " " << test.id;
    if (found) {
      EXPECT_EQ(reference, test.reference) << test.module << " " << test.id;
    }
    FreePatternFieldMenu(&menu);
  }
  const struct {
    uint32_t module;
    int submenus;  // the date and time fields
  } modules[] = {{kModuleAudio, 0}, {kModuleExif, 8}, {kModuleEMail, 2}, {kModuleImage, 0}};
  for (const auto& test : modules) {
    PatternFieldMenu menu;
    ASSERT_TRUE(BuildPatternFieldMenu(test.module, &menu));
    std::vector<MenuItemReference> items;
    int submenus = 0;
    CollectItemReferences(menu.menu, L"", originalName, &items, &submenus);
    EXPECT_EQ(submenus, test.submenus) << test.module;
    for (const MenuItemReference& item : items) {
      wchar_t reference[128] = {};
      EXPECT_TRUE(GetPatternFieldReference(menu, static_cast<int>(item.id), reference, 128));
      EXPECT_EQ(reference, item.reference) << test.module << " " << item.id;
    }
    FreePatternFieldMenu(&menu);
  }
}

// The pixels of a button of the dialog as `paint` paints it for WM_DRAWITEM.
std::vector<COLORREF> PaintedButton(HWND dialog, int id, const std::function<void(const DRAWITEMSTRUCT&)>& paint) {
  HWND button = GetDlgItem(dialog, id);
  RECT rect = {};
  GetClientRect(button, &rect);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(rect.right, rect.bottom, 1, 32, nullptr);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  paint(DRAWITEMSTRUCT{ODT_BUTTON, static_cast<UINT>(id), 0, ODA_DRAWENTIRE, 0, button, dc, rect, 0});
  std::vector<COLORREF> pixels;
  for (int y = 0; y < rect.bottom; ++y) {
    for (int x = 0; x < rect.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

TEST_F(ModuleDialogs, MenuButtonsShowTheirTriangleAndButtonsWithACaptionTheirText) {
  const struct {
    const wchar_t* step;
    int button;
    bool triangle;  // otherwise painted as the owner-drawn text buttons are
  } cases[] = {{L"<Date,n,m,0,\"\">", IDC_DATE_PRESETS, true}, {L"<Time,n,m,0,\"\">", IDC_TIME_PRESETS, true},
               {L"<Audio,0,>", IDC_AUDIO_FIELDS, true},        {L"<EXIF,0,>", IDC_EXIF_FIELDS, true},
               {L"<eMail,0,>", IDC_EMAIL_FIELDS, true},        {L"<Image,0,>", IDC_IMAGE_FIELDS, true},
               {L"<PgnCont,0,>", IDC_PGNCONT_FIELDS, true},    {L"<CSV,>", IDC_LIST_FILE_BROWSE, false},
               {L"<Image,0,>", IDC_MODULE_OK, false}};
  const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
  for (const auto& test : cases) {
    ModuleInstance* step = Step(test.step);
    std::vector<COLORREF> painted;
    std::vector<COLORREF> asTextButton;
    Edit(step, L"sample.txt", [&](HWND dialog) {
      painted = PaintedButton(dialog, test.button, [&](const DRAWITEMSTRUCT& item) {
        SendMessageW(dialog, WM_DRAWITEM, test.button, reinterpret_cast<LPARAM>(&item));
      });
      asTextButton =
          PaintedButton(dialog, test.button, [](const DRAWITEMSTRUCT& item) { RedrawOwnerDrawnButton(&item); });
      Press(dialog, IDC_MODULE_CANCEL);
    });
    if (test.triangle) {
      EXPECT_GE(std::count(painted.begin(), painted.end(), ink), 7)
          << "a triangle seven pixels high in the text colour on " << test.button;
    } else {
      EXPECT_TRUE(painted == asTextButton) << test.button;
    }
    FreeModuleInstance(step);
  }
}

// The RegEx dialog says when the pattern is too costly: when its search gives up on the sample name, or gave
// up on a listed name in the step's last pass.
TEST_F(ModuleDialogs, TheRegExDialogSaysWhenThePatternIsTooCostly) {
  const std::wstring runaway = std::wstring(24, L'a') + L"b.txt";
  const struct {
    const wchar_t* sample;
    const wchar_t* lastPassName;  // a name the step renamed in its last pass, or null
    bool noted;
  } cases[] = {
      {runaway.c_str(), nullptr, true},
      {L"aaaa.txt", nullptr, false},
      {L"aaaa.txt", runaway.c_str(), true},
      {L"aaaa.txt", L"aaaa.txt", false},
  };
  for (const auto& c : cases) {
    ModuleInstance* step = Step(L"<RegEx,n,\"(a+)+$\",\"x\">");
    if (c.lastPassName != nullptr) {
      PrepareModuleInstance(step);
      wchar_t name[kApplyPartCapacity];
      wcscpy(name, c.lastPassName);
      ApplyModuleToFileName(step, nullptr, name, kApplyPartCapacity);
    }
    bool noted = false;
    Edit(step, c.sample, [&](HWND dialog) {
      noted = (GetWindowLongPtrW(GetDlgItem(dialog, IDC_REGEX_TOO_COSTLY), GWL_STYLE) & WS_VISIBLE) != 0;
      Press(dialog, IDC_MODULE_CANCEL);
    });
    EXPECT_EQ(noted, c.noted) << "case " << (&c - cases);
    FreeModuleInstance(step);
  }
}
