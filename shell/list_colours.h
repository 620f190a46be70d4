// The colours and the font of the program's lists: the colour page of the options dialog (two buttons that
// choose the text and background colour, a box that turns the own colours on, and preview rows in those
// colours), the colour chooser with the sixteen custom colours kept in "CC", and the list font (command
// IDM_LIST_FONT, value "Font"). Both lists and the folder tree share the colours and the font.
#pragma once
#include <windows.h>

// Fills the preview list: the file list's first five names when it shows more than three rows, else five
// sample rows, in the file list's font and the stored colours (the theme's when none are stored); the box is
// ticked when the stored colours are usable and turned on. Rows 0 and 1 keep the text and background colour.
void InitColourPreviewList(HWND dialog);
// Stores the preview's colours and the box as "Color" and gives the lists their colours.
void SaveListColours(HWND dialog);
// The colour chooser on the preview's text (row 0) or background (row 1) colour; the preview follows.
void ChooseListTextColor(HWND dialog);
void ChooseListBackColor(HWND dialog);

// The colour chooser, fully open, starting at the colour, with the custom colours of "CC". 1 on OK: the colour
// is written back and the custom colours are stored; 0 otherwise.
int RunChooseColorWithCustom(HWND owner, COLORREF* colour);

// Command IDM_LIST_FONT: the font chooser starting at the file list's font; the chosen one replaces it, is stored as
// "Font" and both lists and the tree take it.
void ChooseListFont(HWND window);
// The stored list font (else the UI font) for both lists, then their colours.
void ApplyListFont(HWND window);
