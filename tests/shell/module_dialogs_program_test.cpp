// Every module's dialog as a user works it: opened on the chain's step with a focused file, its controls typed
// into and clicked through the system's input, the preview following, Cancel leaving the step as it was and OK
// storing what was typed. A picture of each dialog is kept among the test artefacts.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/chain_list.h"
#include "foundation/ui/module_dialog_ids.h"
#include "engine/module_table.h"
#include "engine/preview.h"
#include "foundation/core/app_state.h"
#include "foundation/core/item_store.h"
#include "foundation/files/shell_folders.h"
#include "foundation/ui/command_ids.h"
#include "program_copy.h"
#include "program_fixture.h"
#include "support/dialog_action.h"
#include "support/system_input.h"
#include "tests/metadata/image_samples.h"
#include "views/file_list_row.h"
#include "views/item_list_control.h"
#include "views/items_view_state.h"
#include "window_image.h"

using namespace audio_samples;
using namespace image_samples;

namespace {


using Names = std::vector<std::wstring>;

// Polls the condition for up to 2 s: enough for a change a click makes at once.
bool WaitForState(const std::function<bool()>& condition) {
  for (int i = 0; i < 100; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

// Polls the condition on the test's thread for up to 10 s.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 500; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

// What a user does in a dialog: type into an edit (its whole text replaced), click a button, choose the
// item of a list, or pick an item from the menu of an arrow button with the keys given.
enum class Act { kType, kClick, kChoose, kMenu };

struct Action {
  Act act;
  int id;
  std::wstring text;
  std::vector<WORD> keys;
};

// The keys that move `item` places down and take the item there.
std::vector<WORD> Down(int item) {
  std::vector<WORD> keys(static_cast<size_t>(item), VK_DOWN);
  keys.push_back(VK_RETURN);
  return keys;
}

Action Type(int id, const std::wstring& text) { return {Act::kType, id, text, {}}; }
Action Click(int id) { return {Act::kClick, id, L"", {}}; }
// A list's choice starts from its first item, a menu's from none.
Action Choose(int id, int item) {
  std::vector<WORD> keys = Down(item);
  keys.insert(keys.begin(), VK_HOME);
  return {Act::kChoose, id, L"", keys};
}
Action Preset(int id, int item) { return {Act::kMenu, id, L"", Down(item)}; }
Action Menu(int id, const std::vector<WORD>& keys) { return {Act::kMenu, id, L"", keys}; }
// The item `item` places down in the menu, then in its submenu (opened on its first item) `subitem` further.
Action Submenu(int id, int item, int subitem) {
  std::vector<WORD> keys(static_cast<size_t>(item), VK_DOWN);
  keys.push_back(VK_RIGHT);
  const std::vector<WORD> rest = Down(subitem);
  keys.insert(keys.end(), rest.begin(), rest.end());
  return Menu(id, keys);
}

struct DialogCase {
  const char* name;
  std::string step;
  std::vector<Action> actions;
  // The step's text form after OK; "%LIST%" stands for the list file of the test, as the step stores it.
  std::wstring expected;
  // The focused file, and what it holds when that is more than its name.
  std::wstring file = L"alpha.txt";
  std::string bytes = "";
  std::string moreProfile = "";
};

// Names a case by its module in test names.
void PrintTo(const DialogCase& test, std::ostream* out) { *out << test.name; }

std::wstring Text(HWND window) {
  wchar_t text[1100] = {};
  GetWindowTextW(window, text, 1100);
  return text;
}

// Clicks a check box or radio button until its check changes: a click that reaches a dialog still settling is
// now and then lost. Other controls are clicked once.
void ClickCheckable(HWND control) {
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  const bool checkable = type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
  const LRESULT before = SendMessageW(control, BM_GETCHECK, 0, 0);
  constexpr int kClicks = 3;
  for (int click = 0; click < kClicks; ++click) {
    ClickWindow(control);
    if (!checkable || WaitForState([&] { return SendMessageW(control, BM_GETCHECK, 0, 0) != before; })) return;
  }
}

// Each action waits until the dialog has taken it where the next one depends on that: keys reach the window
// that had the focus when the system took them, so they must not come before the click that moves the focus.
void Perform(HWND dialog, const Action& action) {
  HWND control = GetDlgItem(dialog, action.id);
  if (action.act == Act::kType) {
    EXPECT_TRUE(TypeOver(control, action.text)) << "control " << action.id << " took no focus";
    return;
  }
  if (action.act == Act::kClick) {
    ClickCheckable(control);
    return;
  }
  // A click that reaches the dialog while it is still settling is lost now and then: click again until the
  // list or menu is open.
  constexpr int kClicks = 3;
  bool opened = false;
  for (int click = 0; click < kClicks && !opened; ++click) {
    ClickWindow(control);
    opened = action.act == Act::kChoose
                 ? Eventually([&] { return SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != 0; })
                 : WaitForMenuMode(dialog);
  }
  EXPECT_TRUE(opened) << "no list or menu opened on control " << action.id;
  for (WORD key : action.keys) PressKey(key);
}

// Keeps the dialog as the screen shows it, frame and caption included, among the test artefacts.
bool SavePicture(HWND dialog, const char* module) {
  const std::string name = std::string("module_dialog_") + module + ".png";
  return SaveScreenPicture(dialog, std::wstring(name.begin(), name.end()).c_str());
}

std::wstring Replaced(std::wstring text, const std::wstring& mark, const std::wstring& by) {
  const size_t at = text.find(mark);
  return at == std::wstring::npos ? text : text.replace(at, mark.size(), by);
}

class ModuleDialogsInteractive : public ProgramFixture, public testing::WithParamInterface<DialogCase> {
 protected:
  // The dialog of step 0 with file 0 focused, opened by the edit command as a user opens it.
  HWND OpenDialog() {
    Gui([&] {
      ItemsViewFocusItem(g_app->fileList, 0, false);
      ItemsViewFocusItem(g_app->chainList, 0, false);
    });
    PostMessageW(window_, WM_COMMAND, IDM_EDIT_STEP, 0);
    HWND dialog = nullptr;
    Eventually([&] { return (dialog = FindShownDialog(GetWindowThreadProcessId(window_, nullptr))) != nullptr; });
    return dialog;
  }

  // Clicks the button and waits for the dialog to go.
  static bool Close(HWND dialog, int button) {
    ClickWindow(GetDlgItem(dialog, button));
    return Eventually([&] { return !IsWindow(dialog); });
  }

  std::wstring StepText() const {
    std::wstring text;
    Gui([&] {
      wchar_t form[2048] = {};
      SerializeModuleInstance(GetStepInstance(0), form, 2048);
      text = form;
    });
    return text;
  }

  // What the step written `text` makes of the focused file's name.
  std::wstring Renamed(const std::wstring& text) const {
    std::wstring name;
    Gui([&] {
      ModuleInstance* step = CreateModuleFromText(text.c_str());
      const FileListRow* row = reinterpret_cast<const FileListRow*>(ItemStoreGet(&g_app->fileList->rows, 0));
      FileContext context;
      InitFileContext(&context, row);
      wchar_t renamed[1024] = {};
      wcscpy(renamed, row->currentName);
      PrepareModuleInstance(step);
      ApplyModuleToFileName(step, GetStepContext(step, &context), renamed, 1024);
      FreeModuleInstance(step);
      name = renamed;
    });
    return name;
  }

  // The list files the list steps read, and the text form of their path as a step stores it.
  std::wstring WriteLists() {
    temp_.WriteFile(L"list.csv", "alpha.txt;omega.txt\r\n");
    temp_.WriteFile(L"list.txt", "zeta.txt\r\n");
    wchar_t compact[1024];
    CompactPathPlaceholders((temp_ / L"list").c_str(), compact, 1024);
    return compact;
  }
};

const DialogCase kDialogCases[] = {
    {"Case", "<Case,n,1>", {Click(IDC_CASE_FIRST_CONVERSION + 1), Type(IDC_MODULE_COMMENT, L"upper")}, L"<Case,n,2;\"upper\">"},
    {"Ext", "<Ext,\"txt\">", {Type(IDC_EXT_EXTENSION, L"bak")}, L"<Ext,\"bak\">"},
    {"Enum", "<Enum,n,0,1,1>", {Type(IDC_ENUM_START, L"5"), Type(IDC_ENUM_WIDTH, L"3")}, L"<Enum,n,0,5,1,3x0>"},
    {"Ins",
     "<Ins,n,l,0,\"\">",
     {Type(IDC_INS_TEXT, L"x-"), Type(IDC_MODULE_POSITION, L"3"), Click(IDC_MODULE_FROM_RIGHT)},
     L"<Ins,n,r,2,\"x-\">"},
    {"Crop",
     "<Crop,n,l,0,1>",
     {Type(IDC_MODULE_COUNT, L"2"), Type(IDC_MODULE_FROM, L"2"), Click(IDC_MODULE_FROM_RIGHT)},
     L"<Crop,n,r,1,2>"},
    {"Sbst",
     "<Sbst,n,\"\",\"\">",
     {Type(IDC_MODULE_SEARCH, L"a"), Type(IDC_MODULE_REPLACEMENT, L"o"), Click(IDC_SBST_EVERY_OCCURRENCE)},
     L"<Sbst,n,a,\"a\",\"o\">"},
    {"RegEx",
     "<RegEx,n,\"\",\"\">",
     {Type(IDC_MODULE_SEARCH, L"l+"), Type(IDC_MODULE_REPLACEMENT, L"L"), Click(IDC_MODULE_CASE_SENSITIVE)},
     L"<RegEx,n,c,\"l+\",\"L\">"},
    {"FaC", "<FaC,n,\"\">", {Type(IDC_MODULE_SEARCH, L"p"), Choose(IDC_FAC_SIDE, 1)}, L"<FaC,n,b,\"p\">"},
    {"Date",
     "<Date,n,m,0,\"\">",
     {Type(IDC_DATE_POSITION, L"6"), Choose(IDC_DATE_SOURCE, 1), Preset(IDC_DATE_PRESETS, 1)},
     L"<Date,n,c,5,\"yyyy.MM.dd\">"},
    {"Time", "<Time,n,m,0,\"\">", {Choose(IDC_MODULE_PART, 1), Preset(IDC_TIME_PRESETS, 2)}, L"<Time,e,m,0,\"HH.mm\">"},
    {"Dir", "<Dir,n,l,0>", {Click(IDC_MODULE_FROM_RIGHT)}, L"<Dir,n,r,0>"},
    {"DOS", "<DOS,\"\">", {Type(IDC_DOS_MASK, L"*.bak")}, L"<DOS,\"*.bak\">"},
    {"Cut",
     "<Cut,n,0,1,1>",
     {Type(IDC_MODULE_COUNT, L"2"), Type(IDC_MODULE_FROM, L"1"), Type(IDC_CUT_TARGET, L"4")},
     L"<Cut,n,0,2,3>"},
    {"Copy", "<Copy,n,0,1,1>", {Type(IDC_CUT_TARGET, L"6")}, L"<Copy,n,0,1,5>"},
    {"CSV", "<CSV,>", {Type(IDC_LIST_FILE, L"%LISTPATH%.csv")}, L"<CSV,%LIST%.csv>"},
    {"Text", "<Text,>", {Type(IDC_LIST_FILE, L"%LISTPATH%.txt")}, L"<Text,%LIST%.txt>"},
    // The field menus insert at the caret: at the start of a pattern the dialog shows, at the end of a typed one.
    {"Audio",
     "<Audio,0, - \"Title\">",
     {Preset(IDC_AUDIO_FIELDS, 2), Click(IDC_MODULE_FAIL_WITHOUT_FIELDS)},
     L"<Audio,1,\"Artist\" - \"Title\">",
     L"song.mp3",
     Id3v2Tag(3, Id3v2Frame(3, "TPE1", std::string("\0Band", 5)) + Id3v2Frame(3, "TIT2", std::string("\0Song", 5))) +
         MpegFrame(400)},
    {"EXIF",
     "<EXIF,0,>",
     {Type(IDC_EXIF_PATTERN, L"Photo "), Submenu(IDC_EXIF_FIELDS, 7, 1)},
     L"<EXIF,0,Photo \"Date Original,dd.MM.yy\">",
     L"photo.jpg",
     ExifSampleJpeg({})},
    {"eMail",
     "<eMail,0,>",
     {Type(IDC_EMAIL_PATTERN, L"Mail "), Submenu(IDC_EMAIL_FIELDS, 6, 1), Click(IDC_MODULE_FAIL_WITHOUT_FIELDS)},
     L"<eMail,1,Mail \"Time,HH.mm\">",
     L"message.eml",
     "Subject: Hello\r\nDate: Mon, 5 Feb 2024 14:03:09 +0100\r\n\r\nbody\r\n"},
    {"Image",
     "<Image,0,_\"Width\"x\"Height\">",
     {Menu(IDC_IMAGE_FIELDS, {VK_UP, VK_RETURN})},
     L"<Image,0,\"OFN\"_\"Width\"x\"Height\">",
     L"picture.png",
     EncodePng(64, 48, PNG_COLOR_TYPE_RGB, 8)},
    {"PgnCont",
     "<PgnCont,0,_\"OFN\">",
     {Submenu(IDC_PGNCONT_FIELDS, 1, 1), Click(IDC_MODULE_FAIL_WITHOUT_VALUES)},
     L"<PgnCont,1,\"Test=Name\"_\"OFN\">",
     L"alpha.txt",
     "",
     "[pgnCont]\r\n1=Test;+" + Narrow(ExecutableFolder() + L"\\PublishedTestPlugin.wdx64") + ";;\r\n"},
};

}  // namespace

TEST_P(ModuleDialogsInteractive, TypedSettingsShowInThePreviewAndOnlyOkStoresThem) {
  const DialogCase& test = GetParam();
  // The file's bytes are in place before the program starts reading them.
  if (!test.bytes.empty()) temp_.WriteFile(L"files\\" + test.file, test.bytes);
  ASSERT_TRUE(Start({test.file}, {test.step}, test.moreProfile));
  const std::wstring list = WriteLists();
  const std::wstring expected = Replaced(test.expected, L"%LIST%", list);
  const std::wstring before = StepText();
  for (int button : {IDC_MODULE_CANCEL, IDC_MODULE_OK}) {
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Text(GetDlgItem(dialog, IDC_MODULE_SAMPLE)), test.file);
    for (Action action : test.actions) {
      action.text = Replaced(action.text, L"%LISTPATH%", temp_ / L"list");
      Perform(dialog, action);
    }
    const std::wstring preview = Renamed(expected);
    EXPECT_NE(preview, test.file) << "the typed settings change the name";
    EXPECT_TRUE(Eventually([&] { return Text(GetDlgItem(dialog, IDC_MODULE_PREVIEW)) == preview; }))
        << Text(GetDlgItem(dialog, IDC_MODULE_PREVIEW)).c_str();
    if (button == IDC_MODULE_OK) {
      EXPECT_TRUE(SavePicture(dialog, test.name));
    }
    ASSERT_TRUE(Close(dialog, button));
    EXPECT_EQ(StepText(), button == IDC_MODULE_OK ? expected : before);
  }
  EXPECT_TRUE(WaitFor([&] { return NewNames() == Names{Renamed(expected)}; }));
}

INSTANTIATE_TEST_SUITE_P(EveryModule, ModuleDialogsInteractive, testing::ValuesIn(kDialogCases),
                         [](const testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });
