// Numbers of the UI texts the program asks for by number (GetUiText and its relatives). A dialog control and
// a command of the main window have the text of their own id and need no name here.
//
// Every text the program uses must exist in the resource library; scripts/check-ui-texts checks it before the
// tests run. It finds the ids the sources use by these conventions:
//   - every constant `kText... = <number>` of this header;
//   - a number, or a constant of this header, as the id argument of GetUiText, GetUiTextFromTable,
//     GetUiTooltipText or GetTextById;
//   - every number or constant in the initialiser of an array whose name ends in "TextIds" (the id lists of
//     ApplyDialogTexts, of list-view columns and the like; 0 ends such a list and is no text);
//   - every id of the resource library's menu definitions.
#pragma once
#include <cstdint>

#include "foundation/ui/command_ids.h"
#include "foundation/ui/module_dialog_ids.h"

// A rename module's title is the caption of its settings dialog, and a dialog's caption is the text of the
// template's number; Copy, which shares Cut's template, has a title of its own.
constexpr int16_t ModuleTitleTextId(int dialogId) { return static_cast<int16_t>(dialogId); }

// The language's own name: record 1 of every string table, key "Language" in language files.
constexpr int16_t kTextLanguageName = 1;

// Words shared by many windows.
constexpr int16_t kTextCancel = 2;
constexpr int16_t kTextComment = 41;  // also the empty-comment placeholder and a column caption
constexpr int16_t kTextOk = 99;
constexpr int16_t kTextYes = 95;
constexpr int16_t kTextNo = 96;
constexpr int16_t kTextFieldWithoutUnit = 94;
constexpr int16_t kTextShortcutKey = 59;
constexpr int16_t kTextDescription = 5580;

// Captions of list columns; a column's id is the id of its caption.
constexpr int16_t kTextColumnName = 50;
constexpr int16_t kTextColumnNewName = 51;
constexpr int16_t kTextColumnSize = 52;
constexpr int16_t kTextColumnModified = 53;
constexpr int16_t kTextColumnType = 55;
constexpr int16_t kTextColumnFolder = 56;
constexpr int16_t kTextAttributes = 2349;
constexpr int16_t kTextPluginLibrary = 5581;
constexpr int16_t kTextPluginParameter = 5582;
constexpr int16_t kTextPluginDetectString = 5583;
constexpr int16_t kTextColumnField = 5303;

// Menu groups of the command labels.
constexpr int16_t kTextMenuFile = IDM_FILE_MENU;
constexpr int16_t kTextMenuEdit = IDM_EDIT_MENU;
constexpr int16_t kTextMenuSort = IDM_SORT_MENU;
constexpr int16_t kTextMenuView = IDM_VIEW_MENU;
constexpr int16_t kTextMenuTools = IDM_TOOLS_MENU;
constexpr int16_t kTextMenuOptions = IDM_OPTIONS_MENU;
constexpr int16_t kTextMenuHelp = IDM_HELP_MENU;

// Messages and questions.
constexpr int16_t kTextResetWindowPosition = 410;
constexpr int16_t kTextUpdateAvailable = 1001;
constexpr int16_t kTextUpdateCurrent = 1003;
constexpr int16_t kTextAboutLanguage = 2002;
constexpr int16_t kTextNoFileManager = 2191;
constexpr int16_t kTextPluginLoadFailed = 5504;
constexpr int16_t kTextPluginNotAnswering = 5505;
constexpr int16_t kTextPluginNameMissing = 5506;
constexpr int16_t kTextPluginLoadUnfinished = 5507;
constexpr int16_t kTextPluginLoading = 5508;  // followed by the plug-in's name
constexpr int16_t kTextProblemCount = 10011;  // printf pattern with one integer
constexpr int16_t kTextSaveChangedSteps = 10012;
constexpr int16_t kTextStepsNotRead = 10013;
constexpr int16_t kTextNoStoredSettings = 10014;
constexpr int16_t kTextNothingToSave = 10015;
constexpr int16_t kTextUnlistedFolders = 10019;  // printf pattern with one integer
constexpr int16_t kTextColumnsWaitForJob = 10021;
constexpr int16_t kTextUndoNotRenamedBack = 10031;
constexpr int16_t kTextUndoNotFound = 10032;
constexpr int16_t kTextUndoNameTaken = 10033;
constexpr int16_t kTextStepTooLong = 10041;
constexpr int16_t kTextStepNotKept = 10042;
constexpr int16_t kTextNotSettingsFile = 10043;
constexpr int16_t kTextNoStepsRead = 10044;
constexpr int16_t kTextStepsNotStored = 10045;
constexpr int16_t kTextShellMenuOneFolder = 10047;
constexpr int16_t kTextStepLost = 10048;
constexpr int16_t kTextNameRefused = 10049;
constexpr int16_t kTextRegistrationFailed = 10061;
constexpr int16_t kTextRegistrationFileType = 10062;
constexpr int16_t kTextRegistrationVerbs = 10063;
constexpr int16_t kTextProfileUnreadable = 10064;
constexpr int16_t kTextProfileNotSaved = 10065;
constexpr int16_t kTextProfileMoved = 10066;
constexpr int16_t kTextNoProductList = 10101;
constexpr int16_t kTextNoHelp = 10102;
// Registrations in Explorer that could not be changed: the message and the names of the two registrations.
// The profile file that cannot be read, that the settings could not be saved into, or that they moved from.

// Status bar and file types.
constexpr int16_t kTextFileWord = 1220;
constexpr int16_t kTextStatusListed = 1221;
constexpr int16_t kTextStatusSelected = 1222;
constexpr int16_t kTextWordFile = 1223;
constexpr int16_t kTextWordFiles = 1224;
constexpr int16_t kTextWordByte = 1227;
constexpr int16_t kTextWordBytes = 1228;
constexpr int16_t kTextStatusCancelled = 1229;

// File times, time units and the filter's relative conditions.
constexpr int16_t kTextTimeModified = 2309;
constexpr int16_t kTextTimeCreated = 2310;
constexpr int16_t kTextTimeAccessed = 2312;
constexpr int16_t kTextWithinLast = 2313;
constexpr int16_t kTextOlderThan = 2314;
// The units in the order D, T, S, M, H, Z, W, L, Y: each follows the one before.
constexpr int16_t kTextUnitDate = 2358;
constexpr int16_t kTextUnitTime = 2359;
constexpr int16_t kTextUnitSeconds = 2360;
constexpr int16_t kTextUnitMinutes = 2361;
constexpr int16_t kTextUnitHours = 2362;
constexpr int16_t kTextUnitDays = 2363;
constexpr int16_t kTextUnitWeeks = 2364;
constexpr int16_t kTextUnitMonths = 2365;
constexpr int16_t kTextUnitYears = 2366;
constexpr int16_t kTextFromOtherTime = 2505;
constexpr int16_t kTextFromModifiedTime = 2506;
constexpr int16_t kTextExifImageDate = 2512;
constexpr int16_t kTextExifOriginalDate = 2513;
constexpr int16_t kTextExifDigitizedDate = 2514;
constexpr int16_t kTextExifGpsDate = 2515;

// The attributes and timestamps tools: the closing list of changes the system did not make.
constexpr int16_t kTextChangesNotMade = 2416;
constexpr int16_t kTextChangeNotKept = 2417;
constexpr int16_t kTextMoreChangesNotMade = 2418;  // printf pattern with one integer

// Titles and entries of dialogs and menus that the program sets itself.
constexpr int16_t kTextTimestamps = IDM_TIMESTAMPS;
constexpr int16_t kTextAbout = IDM_ABOUT;
constexpr int16_t kTextResetSettings = IDM_RESET_SETTINGS;
constexpr int16_t kTextSettingsPageGeneral = 5200;
constexpr int16_t kTextSettingsPageIcons = 5220;
constexpr int16_t kTextSettingsPageColumns = 5300;
constexpr int16_t kTextSettingsPageShortcuts = 5400;
constexpr int16_t kTextSettingsPageColours = 5460;
constexpr int16_t kTextSampleFileName = 5465;
constexpr int16_t kTextContentPlugins = ModuleTitleTextId(IDD_MODULE_PGNCONT);  // also a page of the options
constexpr int16_t kTextEditPlugin = 5530;
constexpr int16_t kTextAddPlugin = 5539;
constexpr int16_t kTextOriginalFileName = 13257;

// Field names of the metadata readers.
constexpr int16_t kTextFieldTitle = 8001;
constexpr int16_t kTextFieldArtist = 8002;
constexpr int16_t kTextFieldAlbum = 8003;
constexpr int16_t kTextFieldTrack = 8004;
constexpr int16_t kTextFieldYear = 8005;
constexpr int16_t kTextFieldGenre = 8006;
constexpr int16_t kTextFieldSubject = 8021;
constexpr int16_t kTextFieldFrom = 8022;
constexpr int16_t kTextFieldTo = 8023;
constexpr int16_t kTextFieldCc = 8024;
constexpr int16_t kTextFieldExifVersion = 8031;
constexpr int16_t kTextFieldCameraMake = 8032;
constexpr int16_t kTextFieldCameraModel = 8033;
constexpr int16_t kTextFieldDate = kTextUnitDate;
constexpr int16_t kTextFieldTime = kTextUnitTime;
constexpr int16_t kTextFieldDateTime = 8036;
constexpr int16_t kTextFieldDateOriginal = 8037;
constexpr int16_t kTextFieldTimeOriginal = 8038;
constexpr int16_t kTextFieldDateTimeOriginal = 8039;
constexpr int16_t kTextFieldDateDigitized = 8040;
constexpr int16_t kTextFieldTimeDigitized = 8041;
constexpr int16_t kTextFieldDateTimeDigitized = 8042;
constexpr int16_t kTextFieldWidth = 8043;
constexpr int16_t kTextFieldHeight = 8044;
constexpr int16_t kTextFieldXResolution = 8045;
constexpr int16_t kTextFieldYResolution = 8046;
constexpr int16_t kTextFieldResolutionUnit = 8047;
constexpr int16_t kTextFieldFlash = 8048;
constexpr int16_t kTextFieldFocalLength = 8049;
constexpr int16_t kTextFieldExposureTime = 8050;
constexpr int16_t kTextFieldAperture = 8051;
constexpr int16_t kTextFieldBrightness = 8052;
constexpr int16_t kTextFieldSubjectDistance = 8053;
constexpr int16_t kTextFieldIsoSpeed = 8054;
constexpr int16_t kTextFieldExposureBias = 8055;
constexpr int16_t kTextFieldWhiteBalance = 8056;
constexpr int16_t kTextFieldMeteringMode = 8057;
constexpr int16_t kTextFieldQuality = 8058;
constexpr int16_t kTextFieldGpsLatitude = 8059;
constexpr int16_t kTextFieldGpsLongitude = 8060;
constexpr int16_t kTextFieldGpsAltitude = 8061;
constexpr int16_t kTextFieldGpsDate = 8062;
constexpr int16_t kTextFieldGpsTime = 8063;
constexpr int16_t kTextFieldGpsDateTime = 8064;
constexpr int16_t kTextFieldGpsDirection = 8065;
constexpr int16_t kTextFieldBitsPerPixel = 8071;

// Key names are 9000 plus the virtual-key code; 9000 itself is the message for a reserved key.
constexpr int16_t kTextKeyNameBase = 9000;
constexpr int16_t kTextReservedKey = kTextKeyNameBase;
constexpr int16_t kTextKeyShift = 9016;
constexpr int16_t kTextKeyCtrl = 9017;
constexpr int16_t kTextKeyAlt = 9018;
constexpr int16_t kTextKeyNumDigit = 9021;     // before a numpad digit
constexpr int16_t kTextKeyNumOperator = 9024;  // before a numpad operator

// The preview's marks of unusable names.
constexpr int16_t kTextErrorWord = 10010;
constexpr int16_t kTextInvalidCharacter = 13191;
constexpr int16_t kTextNoFreeNumber = 13192;
constexpr int16_t kTextNameTooLong = 13194;
constexpr int16_t kTextEmptyName = 13195;
constexpr int16_t kTextDeviceName = 13196;
constexpr int16_t kTextStepFailed = 13198;

// Rename modules: titles and the words of their descriptions.
constexpr int16_t kTextNamePart = 2301;
constexpr int16_t kTextExtensionPart = ModuleTitleTextId(IDD_MODULE_EXT);
constexpr int16_t kTextModuleCase = ModuleTitleTextId(IDD_MODULE_CASE);
// The conversions in their order 1 to 5: each follows the one before.
constexpr int16_t kTextCaseLower = 13204;
constexpr int16_t kTextCaseUpper = 13205;
constexpr int16_t kTextCaseFirstLetter = 13206;
constexpr int16_t kTextCaseEveryWord = 13207;
constexpr int16_t kTextCaseInvert = 13208;
constexpr int16_t kTextNewExtension = 13212;
constexpr int16_t kTextModuleInsert = ModuleTitleTextId(IDD_MODULE_INS);
constexpr int16_t kTextInsertWord = 13215;
constexpr int16_t kTextAtPosition = 13216;
constexpr int16_t kTextFromTheLeft = 13220;
constexpr int16_t kTextFromTheRight = 13221;
constexpr int16_t kTextModuleCrop = ModuleTitleTextId(IDD_MODULE_CROP);
constexpr int16_t kTextRemoveWord = 13223;
constexpr int16_t kTextCharactersFrom = 13224;
constexpr int16_t kTextModuleNumbering = ModuleTitleTextId(IDD_MODULE_ENUM);
constexpr int16_t kTextStartWord = 13232;
constexpr int16_t kTextStepWord = 13235;
constexpr int16_t kTextWidthWord = 13238;
constexpr int16_t kTextFillCharacter = 13241;
constexpr int16_t kTextPositionWord = 13244;
constexpr int16_t kTextModuleReplace = ModuleTitleTextId(IDD_MODULE_SBST);
constexpr int16_t kTextReplaceWord = 13248;
constexpr int16_t kTextWithWord = 13250;
constexpr int16_t kTextCaseSensitive = 13252;
constexpr int16_t kTextEveryOccurrence = 13253;
constexpr int16_t kTextModuleAudio = ModuleTitleTextId(IDD_MODULE_AUDIO);
constexpr int16_t kTextModuleMail = ModuleTitleTextId(IDD_MODULE_EMAIL);
constexpr int16_t kTextModuleExif = ModuleTitleTextId(IDD_MODULE_EXIF);
constexpr int16_t kTextModuleCsv = ModuleTitleTextId(IDD_MODULE_CSV);
constexpr int16_t kTextModuleTextList = ModuleTitleTextId(IDD_MODULE_TEXT);
constexpr int16_t kTextModuleDate = ModuleTitleTextId(IDD_MODULE_DATE);
constexpr int16_t kTextModuleTime = ModuleTitleTextId(IDD_MODULE_TIME);
constexpr int16_t kTextModuleFolders = ModuleTitleTextId(IDD_MODULE_DIR);
constexpr int16_t kTextFolderNameAt = 13291;
constexpr int16_t kTextModuleDosMask = ModuleTitleTextId(IDD_MODULE_DOS);
constexpr int16_t kTextModuleMove = ModuleTitleTextId(IDD_MODULE_CUT);
constexpr int16_t kTextModuleCopy = 13296;
constexpr int16_t kTextMoveWord = 13297;
constexpr int16_t kTextCopyWord = 13298;
constexpr int16_t kTextToPosition = 13299;
constexpr int16_t kTextModuleRegEx = ModuleTitleTextId(IDD_MODULE_REGEX);
constexpr int16_t kTextModuleFindCut = ModuleTitleTextId(IDD_MODULE_FAC);
constexpr int16_t kTextFindWord = 14011;
constexpr int16_t kTextAndRemove = 14012;
constexpr int16_t kTextEverythingAfter = 14014;
constexpr int16_t kTextEverythingBefore = 14015;
constexpr int16_t kTextModuleImage = ModuleTitleTextId(IDD_MODULE_IMAGE);
