// The timestamps tool's options (dialog 2500, value "OptTS" of section "QVRX"): which times of the selected
// files to set and where to take them from. The dialog shows on its own from the timestamps command; its
// three functions let a page of the options dialog show and read the same controls.
#pragma once
#include <windows.h>

#include <cstdint>

// Option bits.
constexpr uint32_t kTimestampExifChoice = 0x7;  // 0 image date-time, 1 original, 2 digitized, 3 GPS date and time
constexpr uint32_t kTimestampFromExif = 0x8;
constexpr uint32_t kTimestampCopyOtherTime = 0x10;
constexpr uint32_t kTimestampFromMail = 0x80;
constexpr uint32_t kTimestampFromNameDigits = 0x100;
constexpr uint32_t kTimestampSetCreation = 0x200;
constexpr uint32_t kTimestampSetModification = 0x400;
constexpr uint32_t kTimestampRoundToDos = 0x800;

// Shows the options in the dialog's controls.
void TimestampOptionDialogInit(HWND dialog, uint32_t options);
// The options the controls show: each box's bit set when it is checked and cleared otherwise, the EXIF list's
// choice in the low three bits; the other bits of `*options` stay.
void ReadTimestampOptions(HWND dialog, uint32_t* options);
// After a change of the time boxes: at least the modification time is chosen; copying the other time is offered
// only while one time is chosen, and names that time.
void UpdateOptionDialogControls(HWND dialog);

// Shows the dialog on the options; 1 after OK with `*options` read from it, else 0.
int ShowTimestampOptionsDialog(HWND owner, uint32_t* options);
// The dialog procedure; WM_INITDIALOG's lParam points to the options.
INT_PTR CALLBACK TimestampOptionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
