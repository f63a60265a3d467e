/* memory_file.h: a CDF "file" held in memory, linked instead of the
 * platform's file access, with a read failure that can be placed at any
 * byte. */
#ifndef LUMETRA_MEMORY_FILE_H
#define LUMETRA_MEMORY_FILE_H

#include <stddef.h>

#include <string>

/* Makes bytes the content of the next opened file; a read that reaches
 * failAt (when not npos) fails there. */
void SetMemoryFile(const std::string &bytes, size_t failAt = std::string::npos);

/* Opens the memory file with the byte source reading readSize bytes at a time. */
void OpenMemoryFile(const std::string &bytes, int readSize, size_t failAt = std::string::npos);

#endif
