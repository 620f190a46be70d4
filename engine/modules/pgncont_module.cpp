#include "engine/modules/pgncont_module.h"

#include <cwchar>

#include "engine/module_dialog_frame.h"
#include "engine/module_dialog_helpers.h"
#include "engine/module_formatting.h"
#include "engine/module_table.h"
#include "foundation/core/guard.h"
#include "foundation/core/memory.h"
#include "foundation/core/record_buffer.h"
#include "foundation/files/paths.h"
#include "foundation/text/bounded_text.h"
#include "foundation/text/numbers.h"
#include "foundation/text/text_encoding.h"
#include "foundation/text/text_sizes.h"
#include "foundation/ui/ui_strings.h"
#include "foundation/ui/ui_text_ids.h"
#include "metadata/field_menu.h"
#include "metadata/field_values.h"
#include "metadata/module_field_source.h"
#include "metadata/plugin_host.h"
#include "metadata/plugin_interface.h"
#include "metadata/plugin_list.h"

namespace {

constexpr int kOriginalNameItem = 32752;
constexpr int kFieldMenuTextCapacity = 2 + kPluginNameCapacity + kPluginFieldNameCapacity + kPluginUnitsCapacity;
constexpr int16_t kUnresolvedSource = -1;
constexpr wchar_t kOriginalName[] = L"OFN";

PgnContSettings* AsPgnCont(ModuleInstance* settings) { return reinterpret_cast<PgnContSettings*>(settings); }
const PgnContSettings* AsPgnCont(const ModuleInstance* settings) {
  return reinterpret_cast<const PgnContSettings*>(settings);
}

// One piece of a pattern: literal characters, or a quoted reference.
enum PieceKind { kLiteral, kOriginalNameReference, kPluginReference, kOtherReference, kPatternEnd };

struct PatternPiece {
  PieceKind kind;
  const wchar_t* text;  // the literal characters, or the reference without its quotes
  int length;
};

// The piece at `*position`, which moves past it. A double quote without a closing one is dropped, and the text
// after it read on.
PatternPiece NextPatternPiece(const wchar_t** position) {
  const wchar_t* at = *position;
  if (*at == 0) return {kPatternEnd, at, 0};
  if (*at == L'"') {
    const wchar_t* close = wcschr(at + 1, L'"');
    if (close == nullptr) {
      *position = at + 1;
      return {kLiteral, at + 1, 0};
    }
    *position = close + 1;
    const int length = static_cast<int>(close - at - 1);
    if (length == 3 && EqualsIgnoreCaseWide(at + 1, kOriginalName, 3)) return {kOriginalNameReference, at + 1, length};
    const bool named = wmemchr(at + 1, L'=', static_cast<size_t>(length)) != nullptr;
    return {named ? kPluginReference : kOtherReference, at + 1, length};
  }
  const wchar_t* end = at;
  while (*end != 0 && *end != L'"') ++end;
  *position = end;
  return {kLiteral, at, static_cast<int>(end - at)};
}

// A plug-in reference resolved into its slot; an empty slot (source -1) when it does not resolve.
FieldReference ResolvePieceReference(const PatternPiece& piece) {
  wchar_t reference[kApplyPartCapacity];
  CopyWideBounded(piece.text, reference, piece.length + 1 < kApplyPartCapacity ? piece.length + 1 : kApplyPartCapacity);
  wchar_t* equals = wcschr(reference, L'=');
  *equals = 0;
  wchar_t fieldText[kPluginFieldNameCapacity];
  CopyWideString(equals + 1, fieldText, kPluginFieldNameCapacity);
  FieldReference resolved;
  if (ResolveFieldReference(reference, fieldText, &resolved) <= 0) {
    resolved = FieldReference{};
    resolved.source = kUnresolvedSource;
  }
  return resolved;
}

// The value fetched for a resolved reference as text: 0 with the text (possibly empty), or the plug-in's 0 (no
// value) or negative result with an empty text.
int GetPluginFieldText(const FieldValueWant& want, wchar_t* text, int capacity) {
  text[0] = 0;
  if (want.answer <= 0) return want.answer;
  const FieldValueData value = CopyPluginFieldValue(want.answer, want.value, kFieldValueBytes, true);
  FormatPluginFieldValue(want.answer, value, text, capacity);
  return 0;
}

// The values of every resolved slot for the file, fetched together so that each plug-in is asked once for all
// of its own: one block, the wants and then a value buffer for each. Null without memory.
FieldValueWant* FetchSlotValues(const PgnContSettings* settings, const wchar_t* path) {
  const uint32_t count = settings->referenceCount > 0 ? settings->referenceCount : 1;
  const uint32_t bytes = count * static_cast<uint32_t>(sizeof(FieldValueWant) + kFieldValueBufferBytes);
  FieldValueWant* wants = static_cast<FieldValueWant*>(AllocZeroed(bytes));
  if (wants == nullptr) return nullptr;
  uint8_t* buffers = reinterpret_cast<uint8_t*>(wants + count);
  for (uint32_t i = 0; i < settings->referenceCount; ++i) {
    const FieldReference& reference = settings->references[i];
    const bool resolved = reference.source != kUnresolvedSource;
    wants[i] = {reference.source, reference.fieldIndex, reference.unitIndex, resolved ? path : nullptr,
                buffers + static_cast<size_t>(i) * kFieldValueBufferBytes, kFieldValueBytes, -1};
  }
  GetFieldValuesForFiles(wants, static_cast<int>(settings->referenceCount));
  return wants;
}

struct Expansion {
  const PgnContSettings* settings;
  const wchar_t* path;
  const FieldValueWant* values;  // one for each slot
  wchar_t result[kApplyPartCapacity];
  uint32_t slot;
  int running;  // the last plug-in call's answer: 0, or its error
};

// The apply result of a step that fails for the file: a resolved reference without value, the fail flag set.
constexpr int kStepFailsForFile = -1;

// What became of one plug-in reference.
enum class PieceOutcome { kGoOn, kFailsForFile, kFaulted };

// Appends the value of the next slot's reference. A reference without value (no value, an empty text, or any
// error the plug-in answers, its -2 for a file it cannot read included) fails the step for the file when the
// fail flag is set, and is left out otherwise; only a fault while fetching ends the pattern as failed.
PieceOutcome AppendPluginValue(Expansion* expansion) {
  const PgnContSettings* settings = expansion->settings;
  if (expansion->slot >= settings->referenceCount) return PieceOutcome::kGoOn;
  const FieldValueWant& want = expansion->values[expansion->slot];
  if (settings->references[expansion->slot++].source == kUnresolvedSource) return PieceOutcome::kGoOn;
  wchar_t value[kApplyPartCapacity];
  // A fault is told by the call not coming back, never by an answer: any answer is the plug-in's own.
  bool fetched = false;
  const int answer = GuardedCall(
      0,
      [&] {
        const int got = GetPluginFieldText(want, value, kApplyPartCapacity);
        fetched = true;
        return got;
      },
      {"module", L"PgnCont"});
  if (!fetched) return PieceOutcome::kFaulted;
  expansion->running = answer;
  if (value[0] == 0) return settings->failFlag == 0 ? PieceOutcome::kGoOn : PieceOutcome::kFailsForFile;
  AppendWideBounded(value, expansion->result, kApplyPartCapacity);
  return PieceOutcome::kGoOn;
}

// 0 or the last plug-in error with the expanded name (a reference without value adds nothing, so a pattern
// without any value gives its literal text); kStepFailsForFile when a reference without value fails the step;
// ERROR_FUNCTION_FAILED when fetching a value faulted (the dispatch sees the caught fault and marks the file).
int ExpandPattern(Expansion* expansion) {
  const wchar_t* position = expansion->settings->pattern;
  for (PatternPiece piece = NextPatternPiece(&position); piece.kind != kPatternEnd; piece = NextPatternPiece(&position)) {
    if (piece.kind == kLiteral) {
      const int used = static_cast<int>(WideLength(expansion->result));
      const int room = kApplyPartCapacity - 1 - used;
      const int length = piece.length < room ? piece.length : room;
      wmemcpy(expansion->result + used, piece.text, static_cast<size_t>(length));
      expansion->result[used + length] = 0;
    } else if (piece.kind == kOriginalNameReference) {
      wchar_t title[kApplyPartCapacity];
      FileTitleOfPath(expansion->path, title, kApplyPartCapacity);
      AppendWideBounded(title, expansion->result, kApplyPartCapacity);
    } else if (piece.kind == kPluginReference) {
      const PieceOutcome outcome = AppendPluginValue(expansion);
      if (outcome == PieceOutcome::kFaulted) return ERROR_FUNCTION_FAILED;
      if (outcome == PieceOutcome::kFailsForFile) return kStepFailsForFile;
    }
  }
  return expansion->running;
}

int ApplyPluginContentModule(ModuleApplyRecord* record) {
  const PgnContSettings* settings = AsPgnCont(record->settings);
  if (settings == nullptr) return -1;
  const wchar_t* path = static_cast<const wchar_t*>(record->context);
  if (settings->pattern[0] == 0 || path == nullptr) return 0;
  Expansion* expansion = static_cast<Expansion*>(AllocZeroed(sizeof(Expansion)));
  if (expansion == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  expansion->settings = settings;
  expansion->path = path;
  FieldValueWant* values = GuardedCall<FieldValueWant*>(nullptr, [&] { return FetchSlotValues(settings, path); },
                                                        {"module", L"PgnCont"});
  if (values == nullptr) {
    FreeAndNull(&expansion);
    return ERROR_FUNCTION_FAILED;
  }
  expansion->values = values;
  const int result = ExpandPattern(expansion);
  FreeAndNull(&values);
  if (expansion->result[0] != 0) {
    ReplaceInvalidFileNameChars(expansion->result);
    CopyWideString(expansion->result, record->name, kApplyPartCapacity);
  }
  FreeAndNull(&expansion);
  return result;
}

bool ReadPgnContText(const wchar_t* text, PgnContSettings* settings) {
  const wchar_t* position = SkipExpected(SkipStepKey(text), L',');
  if (position == nullptr) return false;
  settings->failFlag = static_cast<uint8_t>(WideToIntDecimal(position));
  while (*position >= L'0' && *position <= L'9') ++position;
  position = SkipExpected(position, L',');
  if (position == nullptr) return false;
  position = ReadSettingsTextField(position, settings->pattern, kApplyPartCapacity, 0);
  return position != nullptr && ReadSettingsComment(position, settings->comment, kStepCommentCapacity) == 0;
}

ModuleInstance* CreatePgnContSettings(const wchar_t* text) {
  PgnContSettings* settings = static_cast<PgnContSettings*>(AllocZeroed(sizeof(PgnContSettings)));
  if (settings == nullptr) return nullptr;
  if (text != nullptr && !ReadPgnContText(text, settings)) {
    FreeAndNull(&settings);
    return nullptr;
  }
  settings->header.flags = kApplyNeedsPath;
  ParsePluginFieldTemplate(settings);
  return reinterpret_cast<ModuleInstance*>(settings);
}

int SerializePgnContSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  const PgnContSettings* settings = AsPgnCont(instance);
  wchar_t fail[16];
  IntToWideDecimal(settings->failFlag, fail, 16);
  const wchar_t* pieces[] = {L"PgnCont,", fail, L",", settings->pattern};
  int cut = 0;
  for (const wchar_t* piece : pieces) {
    const int result = AppendWideBounded(piece, text, capacity);
    if (cut == 0) cut = result;
  }
  const int commentCut = WriteSettingsComment(settings->comment, text, capacity);
  return cut != 0 ? cut : commentCut;
}

void DescribePgnContSettings(const ModuleInstance* instance, wchar_t* text, int capacity) {
  GetUiText(kTextContentPlugins, text, capacity);
  const wchar_t* pattern = AsPgnCont(instance)->pattern;
  if (pattern[0] == 0) return;
  AppendWideBounded(L", ", text, capacity);
  AppendWideBounded(pattern, text, capacity);
}

void GetPgnContComment(const ModuleInstance* instance, wchar_t* text, int capacity) {
  CopyWideBounded(AsPgnCont(instance)->comment, text, capacity);
}

void GetPgnContTitle(wchar_t* text, int capacity) { GetUiText(kTextContentPlugins, text, capacity); }

void FreeReferences(PgnContSettings* settings) {
  FreeAndNull(&settings->references);
  settings->referenceCount = 0;
}

void FreePgnContSettings(ModuleInstance* instance) {
  FreeReferences(AsPgnCont(instance));
  FreeModuleInstanceMemory(instance);
}

// Building the dialog's field menu.
struct PluginMenuBuild {
  FieldMenu* out;
  HMENU pluginMenu;
  const wchar_t* pluginName;
  wchar_t withoutUnit[kCaptionCapacity];
};

int AddPluginFieldMenuItem(int fieldType, const PluginFieldEnumRequest*, const wchar_t* fieldName, const wchar_t*,
                           const char* units, void* userData) {
  PluginMenuBuild* build = static_cast<PluginMenuBuild*>(userData);
  if (fieldType == kFieldFullText || fieldType == kFieldHidden || fieldName == nullptr) return 0;
  if (wcscmp(fieldName, L"-") == 0) {
    AppendMenuW(build->pluginMenu, MF_SEPARATOR, 0, nullptr);
    return 0;
  }
  wchar_t text[kFieldMenuTextCapacity];
  CopyWideString(IsNumericFieldType(fieldType) ? L"R" : L"L", text, kFieldMenuTextCapacity);
  const wchar_t* pieces[] = {build->pluginName, L"=", fieldName};
  for (const wchar_t* piece : pieces) AppendWideBounded(piece, text, kFieldMenuTextCapacity);
  wchar_t wideUnits[kPluginUnitsListCapacity] = {};
  if (units != nullptr) MultiByteToWideBounded(units, wideUnits, kPluginUnitsListCapacity, CP_ACP);
  if (wideUnits[0] != 0 && fieldType != kFieldMultipleChoice) {
    AddFieldUnitSubmenu(build->out, build->pluginMenu, text, wideUnits, fieldName, build->withoutUnit);
  } else {
    AddFieldMenuPayloadItem(build->out, build->pluginMenu, text, fieldName);
  }
  return 0;
}

// Entries without a library that stand for a module's own fields (their name holds the module's key without
// its first letter) have no plug-in behind them.
bool StandsForModule(const PluginListEntry& entry) {
  if (entry.libraryPath[0] != 0) return false;
  wchar_t key[kModuleKeyCapacity];
  for (uint32_t module = 0; module < kModuleSlotCount; ++module) {
    key[0] = 0;
    if (CopyModuleKeyName(module, key, kModuleKeyCapacity) && key[0] != 0 && key[1] != 0 &&
        wcsstr(entry.name, key + 1) != nullptr) {
      return true;
    }
  }
  return false;
}

int AddPluginMenuForEntry(const PluginListEntry* entry, void* userData) {
  PluginMenuBuild* build = static_cast<PluginMenuBuild*>(userData);
  if (StandsForModule(*entry)) return 0;
  build->pluginMenu = CreatePopupMenu();
  build->pluginName = entry->name;
  const int listedBefore = build->out->count;
  if (EnumeratePluginFields(entry->name, AddPluginFieldMenuItem, build) < 0 &&
      EnsureContentPluginLoaded(entry->name, entry->libraryPath, entry->detectString, entry->initParameter) != nullptr) {
    EnumeratePluginFields(entry->name, AddPluginFieldMenuItem, build);
  }
  if (build->out->count > listedBefore) {
    AppendMenuW(build->out->menu, MF_POPUP, reinterpret_cast<UINT_PTR>(build->pluginMenu), entry->name);
  } else {
    DestroyMenu(build->pluginMenu);
  }
  return 0;
}

}  // namespace

void ParsePluginFieldTemplate(PgnContSettings* settings) {
  FreeReferences(settings);
  RecordBuffer slots;
  RecordBufferInit(&slots, true);
  const wchar_t* position = settings->pattern;
  for (PatternPiece piece = NextPatternPiece(&position); piece.kind != kPatternEnd; piece = NextPatternPiece(&position)) {
    if (piece.kind != kPluginReference) continue;
    const FieldReference slot = ResolvePieceReference(piece);
    if (RecordBufferAppend(&slots, &slot, sizeof slot) != 0) break;
  }
  settings->references = static_cast<FieldReference*>(RecordBufferCopyOut(&slots));
  settings->referenceCount = settings->references != nullptr ? RecordBufferCount(&slots) : 0;
  RecordBufferDestroy(&slots);
}

bool BuildPluginFieldMenu(FieldMenu* menu) {
  *menu = FieldMenu{};
  RecordBufferInit(&menu->payloads, true);
  menu->menu = CreatePopupMenu();
  PluginMenuBuild build = {};
  build.out = menu;
  GetUiText(kTextFieldWithoutUnit, build.withoutUnit, kCaptionCapacity);
  EnumeratePluginSection(AddPluginMenuForEntry, &build);
  if (menu->count == 0) {
    FreeFieldMenu(menu);
    return false;
  }
  wchar_t label[kCaptionCapacity];
  GetUiText(kTextOriginalFileName, label, kCaptionCapacity);
  AppendMenuW(menu->menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu->menu, MF_STRING, kOriginalNameItem, label);
  return true;
}

void ShowPluginFieldMenu(HWND dialog, int button, HWND edit) {
  FieldMenu menu;
  if (!BuildPluginFieldMenu(&menu)) return;
  const int chosen = TrackMenuBesideButton(dialog, button, menu.menu);
  wchar_t text[kFieldMenuTextCapacity];
  if (chosen == kOriginalNameItem) {
    InsertPatternReference(edit, kOriginalName);
  } else if (GetFieldMenuPayload(&menu, chosen, text, kFieldMenuTextCapacity)) {
    InsertPatternReference(edit, text + 1);
  }
  FreeFieldMenu(&menu);
}

const ModuleDescriptor kPgnContModule = {
    .serialize = SerializePgnContSettings,
    .describe = DescribePgnContSettings,
    .comment = GetPgnContComment,
    .title = GetPgnContTitle,
    .createSettings = CreatePgnContSettings,
    .showDialog = ShowModuleDialogOf<kPgnContDialog>,
    .apply = ApplyPluginContentModule,
    .freeSettings = FreePgnContSettings,
    .keyName = L"PgnCont",
};
