#include "metadata/field_menu.h"

#include <commctrl.h>

#include <cwchar>

#include "foundation/text/bounded_text.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/resource_ids.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_references.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_host.h"
#include "metadata/plugin_page.h"

namespace {

constexpr int kPayloadCapacity = 1 + kFieldDisplayNameCapacity + kFieldSourceNameCapacity + 2 * kFieldNameCapacity;
constexpr int kSourceImage = 3;

struct MenuBuild {
  FieldMenu* out;
  HWND listWindow;
  const wchar_t* source;
  wchar_t previousSource[kFieldSourceNameCapacity];
  HMENU sourceMenu;
  wchar_t withoutUnit[kCaptionCapacity];
};

// The row opens the source's submenu, which it carries as its item data.
void AddSourceRow(HWND list, const wchar_t* source, HMENU sourceMenu) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.lParam = reinterpret_cast<LPARAM>(sourceMenu);
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<wchar_t*>(source);
  item.iImage = kSourceImage;
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void EnterSource(MenuBuild* build) {
  if (build->sourceMenu != nullptr && wcscmp(build->previousSource, build->source) == 0) return;
  CopyWideString(build->source, build->previousSource, kFieldSourceNameCapacity);
  build->sourceMenu = CreatePopupMenu();
  AppendMenuW(build->out->menu, MF_POPUP, reinterpret_cast<UINT_PTR>(build->sourceMenu), build->source);
  if (build->listWindow != nullptr) AddSourceRow(build->listWindow, build->source, build->sourceMenu);
}

void AddFieldMenuItem(MenuBuild* build, int type, const wchar_t* name, const wchar_t* displayName,
                      const wchar_t* units) {
  if (type == kFieldFullText || type == kFieldHidden || name == nullptr) return;
  EnterSource(build);
  if (wcscmp(name, L"-") == 0) {
    AppendMenuW(build->sourceMenu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  const wchar_t* label = displayName != nullptr && displayName[0] != 0 ? displayName : name;
  wchar_t payload[kPayloadCapacity];
  CopyWideString(IsNumericFieldType(type) ? L"R" : L"L", payload, kPayloadCapacity);
  const wchar_t* pieces[] = {label, L"=", build->source, L"=", name};
  for (const wchar_t* piece : pieces) AppendWideBounded(piece, payload, kPayloadCapacity);
  if (units != nullptr && units[0] != 0 && type != kFieldMultipleChoice) {
    AddFieldUnitSubmenu(build->out, build->sourceMenu, payload, units, label, build->withoutUnit);
  } else {
    AddFieldMenuPayloadItem(build->out, build->sourceMenu, payload, label);
  }
}

int AddModuleField(const wchar_t* fieldName, const wchar_t* displayName, int, int fieldType, void* userData) {
  AddFieldMenuItem(static_cast<MenuBuild*>(userData), fieldType, fieldName, displayName, nullptr);
  return 0;
}

int AddPluginField(int fieldType, const PluginFieldEnumRequest*, const wchar_t* name, const wchar_t* displayName,
                   const char* units, void* userData) {
  wchar_t wideUnits[kPluginUnitsListCapacity] = {};
  if (units != nullptr) MultiByteToWideBounded(units, wideUnits, kPluginUnitsListCapacity, CP_ACP);
  AddFieldMenuItem(static_cast<MenuBuild*>(userData), fieldType, name, displayName, wideUnits);
  return 0;
}

void EnumerateModuleFieldsForMenu(MenuBuild* build) {
  wchar_t key[kModuleKeyCapacity];
  for (uint32_t module = 0; GetModuleKeyName(module, key, kModuleKeyCapacity); ++module) {
    build->source = key;
    EnumerateModuleFieldsGuarded(module, AddModuleField, build);
  }
}

HWND DialogPluginList(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_PLUGIN_LIST);
  return list != nullptr ? list : GetDlgItem(GetParent(dialog), IDC_PLUGIN_LIST);
}

void EnumeratePluginFieldsForMenu(MenuBuild* build, HWND pluginList) {
  PluginListEntry entry;
  for (int row = 0; ReadPluginRow(pluginList, row, &entry); ++row) {
    if (!entry.enabled) continue;
    const PluginRecord* record =
        EnsureContentPluginLoaded(entry.name, entry.libraryPath, entry.detectString, entry.initParameter);
    if (record == nullptr) continue;
    build->source = entry.name;
    RequestPluginFields(record, AddPluginField, build);
  }
}

}  // namespace

bool BuildFieldMenu(HWND dialog, HWND listWindow, FieldMenu* out) {
  *out = FieldMenu{};
  RecordBufferInit(&out->payloads, true);
  out->menu = CreatePopupMenu();
  if (out->menu == nullptr) return false;
  MenuBuild build = {};
  build.out = out;
  build.listWindow = listWindow;
  GetUiText(kTextFieldWithoutUnit, build.withoutUnit, kCaptionCapacity);
  EnumerateModuleFieldsForMenu(&build);
  EnumeratePluginFieldsForMenu(&build, DialogPluginList(dialog));
  return true;
}

bool AddFieldMenuPayloadItem(FieldMenu* menu, HMENU parent, const wchar_t* payload, const wchar_t* label) {
  if (RecordBufferAppendString(&menu->payloads, payload) != 0) return false;
  return AppendMenuW(parent, MF_STRING, static_cast<UINT_PTR>(++menu->count), label) != FALSE;
}

void AddFieldUnitSubmenu(FieldMenu* menu, HMENU parent, const wchar_t* payload, const wchar_t* units,
                         const wchar_t* label, const wchar_t* withoutUnit) {
  HMENU unitMenu = CreatePopupMenu();
  AddFieldMenuPayloadItem(menu, unitMenu, payload, withoutUnit);
  wchar_t unitPayload[kPayloadCapacity];
  for (const wchar_t* unit = units; *unit != 0;) {
    const wchar_t* end = wcschr(unit, L'|');
    const int length = end != nullptr ? static_cast<int>(end - unit) : static_cast<int>(WideLength(unit));
    wchar_t name[kFieldUnitCapacity];
    CopyWideBounded(unit, name, length + 1 < kFieldUnitCapacity ? length + 1 : kFieldUnitCapacity);
    CopyWideString(payload, unitPayload, kPayloadCapacity);
    AppendWideBounded(L".", unitPayload, kPayloadCapacity);
    AppendWideBounded(name, unitPayload, kPayloadCapacity);
    AddFieldMenuPayloadItem(menu, unitMenu, unitPayload, name);
    if (end == nullptr) break;
    unit = end + 1;
  }
  AppendMenuW(parent, MF_POPUP, reinterpret_cast<UINT_PTR>(unitMenu), label);
}

bool GetFieldMenuPayload(const FieldMenu* menu, int id, wchar_t* out, int capacity) {
  if (capacity <= 0) return false;
  out[0] = 0;
  if (id < 1 || id > menu->count) return false;
  const wchar_t* payload = reinterpret_cast<const wchar_t*>(RecordBufferData(&menu->payloads));
  for (int i = 1; i < id; ++i) payload += WideLength(payload) + 1;
  CopyWideString(payload, out, capacity);
  return true;
}

void FreeFieldMenu(FieldMenu* menu) {
  if (menu->menu != nullptr) DestroyMenu(menu->menu);
  RecordBufferDestroy(&menu->payloads);
  *menu = FieldMenu{};
}
