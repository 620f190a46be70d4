// The local-disk provider: what it does to files on the disk.
#pragma once

// Opens the file for writing with truncation and delete-on-close, then closes it: the file loses its content
// and is gone. 0, 2, 3, 4 and 21 are final; after any other failure the read-only bit is cleared (when that
// works) and it is tried once more.
int TruncateAndDeleteFile(const wchar_t* path);
