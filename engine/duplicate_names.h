// Duplicate new names within one folder. The rename run renames the rows in list order, so a new name must be
// free at the moment its row comes: no earlier row of the folder may have taken it, and no later row of the
// folder may still hold it as its current name. Rows that break this get numbered variants ("name (2).ext").
//
// The rules, row pair by row pair (they define the result; the search reaches it through a hash index, so its
// cost grows with the number of rows, not with its square):
//   for every row i in list order whose new name is not marked ('<' first), and every other row j of the same
//   folder, in list order:
//     j after i, new names of i and j equal: j is renumbered;
//     j before i, current name of i equal to the new name of j: j is renumbered.
//   Renumbering j: for k = 2 to 99999 the variant of j's new name for k (InsertNumberBeforeExtension; after the
//   whole name for a folder row) is taken when no row's new name equals it, in any folder, and no row after j
//   in j's folder still holds it as its current name. A variant longer than 255 characters ends the search.
//   Without a variant, j's new name becomes the error text, followed, for a name of ten characters or more,
//   by ", ", UI text 13192, a blank and the name in double quotes.
// "Equal" is EqualsIgnoreCaseWide.
#pragma once
#include <cstdint>

// Applies the rules to the file-list rows below rowCount. The number of renumberings that found no variant.
int ResolveDuplicateNames(uint32_t rowCount, const wchar_t* errorText);

// Renumbers `name` as the new name of file-list row `row` (which decides the folder and the variant's form)
// among the rows below rowCount. 0 when a variant was found and written; 1 when `name` became the error text.
int MakeUniqueNumberedName(uint32_t rowCount, const wchar_t* errorText, uint32_t row, wchar_t* name, int capacity);
