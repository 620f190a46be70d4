// Numbers of the rename modules' dialog templates and of their controls (resources/dialogs/modules.rc). A
// template's number is also the UI text number of its caption (the module's title, named in ui_text_ids.h by
// ModuleTitleTextId), and a control that shows a UI text carries that text's number. The resource script
// includes this header too, so the numbers are preprocessor constants.
#pragma once

// Controls every module dialog has.
#define IDC_MODULE_OK 99
#define IDC_MODULE_CANCEL 2
#define IDC_MODULE_SAMPLE_LABEL 13201
#define IDC_MODULE_PREVIEW_LABEL 13202
#define IDC_MODULE_COMMENT 13197
#define IDC_MODULE_SAMPLE 13209
#define IDC_MODULE_PREVIEW 13210
// The part of the name a step works on (templates with a part choice only).
#define IDC_MODULE_PART_LABEL 13193
#define IDC_MODULE_PART 13194
// Radio buttons of the side a position counts from.
#define IDC_MODULE_FROM_LEFT 13220
#define IDC_MODULE_FROM_RIGHT 13221

// Case.
#define IDD_MODULE_CASE 13200
#define IDC_CASE_FIRST_CONVERSION 13204
#define IDC_CASE_LAST_CONVERSION 13208

// Ext.
#define IDD_MODULE_EXT 13211
#define IDC_EXT_LABEL 13212
#define IDC_EXT_EXTENSION 13213

// Ins.
#define IDD_MODULE_INS 13214
#define IDC_INS_TEXT_LABEL 13215
#define IDC_INS_POSITION_LABEL 13216
#define IDC_INS_TEXT 13217
// Shared with Dir.
#define IDC_MODULE_POSITION 13218
#define IDC_MODULE_POSITION_SPIN 13219

// Crop; its count and position edits serve Cut and Copy too.
#define IDD_MODULE_CROP 13222
#define IDC_CROP_LABEL 13223
#define IDC_MODULE_CHARACTERS_FROM 13224
#define IDC_MODULE_COUNT 13225
#define IDC_MODULE_COUNT_SPIN 13226
#define IDC_MODULE_FROM 13227
#define IDC_MODULE_FROM_SPIN 13228

// Enum.
#define IDD_MODULE_ENUM 13231
#define IDC_ENUM_START_LABEL 13232
#define IDC_ENUM_START 13233
#define IDC_ENUM_START_SPIN 13234
#define IDC_ENUM_STEP_LABEL 13235
#define IDC_ENUM_STEP 13236
#define IDC_ENUM_STEP_SPIN 13237
#define IDC_ENUM_WIDTH_LABEL 13238
#define IDC_ENUM_WIDTH 13239
#define IDC_ENUM_WIDTH_SPIN 13240
#define IDC_ENUM_FILL_LABEL 13241
#define IDC_ENUM_FILL 13242
#define IDC_ENUM_COUNTER_GROUP 13243
#define IDC_MODULE_POSITION_LABEL 13244
#define IDC_ENUM_POSITION 13245
#define IDC_ENUM_POSITION_SPIN 13246

// Sbst; its search and replacement edits and the case box serve RegEx and FaC too.
#define IDD_MODULE_SBST 13247
#define IDC_MODULE_REPLACE_LABEL 13248
#define IDC_MODULE_SEARCH 13249
#define IDC_MODULE_WITH_LABEL 13250
#define IDC_MODULE_REPLACEMENT 13251
#define IDC_MODULE_CASE_SENSITIVE 13252
#define IDC_SBST_EVERY_OCCURRENCE 13253

// CSV and Text.
#define IDD_MODULE_CSV 13271
#define IDC_LIST_FILE_LABEL 13272
#define IDC_LIST_FILE 13273
#define IDC_LIST_FILE_BROWSE 13274
#define IDD_MODULE_TEXT 13275

// Date and Time.
#define IDC_MODULE_FILE_TIME_LABEL 2308
#define IDD_MODULE_DATE 13276
#define IDC_DATE_SOURCE 13277
#define IDC_DATE_FORMAT_LABEL 13278
#define IDC_DATE_FORMAT 13279
#define IDC_DATE_POSITION 13280
#define IDC_DATE_POSITION_SPIN 13281
#define IDC_DATE_PRESETS 13282
#define IDD_MODULE_TIME 13283
#define IDC_TIME_SOURCE 13284
#define IDC_TIME_FORMAT_LABEL 13285
#define IDC_TIME_FORMAT 13286
#define IDC_TIME_POSITION 13287
#define IDC_TIME_POSITION_SPIN 13288
#define IDC_TIME_PRESETS 13289

// Dir.
#define IDD_MODULE_DIR 13290
#define IDC_DIR_LABEL 13291

// DOS.
#define IDD_MODULE_DOS 13292
#define IDC_DOS_LABEL 13293
#define IDC_DOS_MASK 13294

// Cut and Copy share one template; the Copy dialog shows other texts in its caption and in its first label.
#define IDD_MODULE_CUT 13295
#define IDC_CUT_LABEL 13297
#define IDC_CUT_TO_LABEL 13299
#define IDC_CUT_TARGET 14000
#define IDC_CUT_TARGET_SPIN 14001

// RegEx.
#define IDD_MODULE_REGEX 14002
#define IDC_REGEX_TOO_COSTLY 14003

// FaC.
#define IDD_MODULE_FAC 14010
#define IDC_FAC_FIND_LABEL 14011
#define IDC_FAC_REMOVE_LABEL 14012
#define IDC_FAC_SIDE 14013

// The metadata modules Audio, EXIF, eMail and Image, and PgnCont: a name pattern with the button of its field
// menu, and the fail flag. Audio and eMail share one fail-flag box, the others another.
#define IDC_MODULE_PATTERN_LABEL 13255
#define IDC_MODULE_FAIL_WITHOUT_FIELDS 13260
#define IDC_MODULE_FAIL_WITHOUT_VALUES 13265
#define IDD_MODULE_AUDIO 13254
#define IDC_AUDIO_FORMATS 13256
#define IDC_AUDIO_PATTERN 13258
#define IDC_AUDIO_FIELDS 13259
#define IDD_MODULE_EMAIL 13261
#define IDC_EMAIL_PATTERN 13262
#define IDC_EMAIL_FIELDS 13263
#define IDD_MODULE_EXIF 13268
#define IDC_EXIF_PATTERN 13269
#define IDC_EXIF_FIELDS 13270
#define IDD_MODULE_IMAGE 14020
#define IDC_IMAGE_PATTERN 14021
#define IDC_IMAGE_FIELDS 14022
#define IDD_MODULE_PGNCONT 5500
#define IDC_PGNCONT_PATTERN 13266
#define IDC_PGNCONT_FIELDS 13267
