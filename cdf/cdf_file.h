/* cdf_file.h: the platform's file access for the CDF reader. The open
 * file is g_hCdfFile: a file descriptor on Linux, a HANDLE on Windows,
 * CDF_NO_FILE while none is open. Only the byte source reads from it. */
#ifndef LUMETRA_CDF_FILE_H
#define LUMETRA_CDF_FILE_H

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
typedef HANDLE CdfHandle;
#define CDF_NO_FILE INVALID_HANDLE_VALUE
#else
typedef int CdfHandle;
#define CDF_NO_FILE (-1)
#endif

extern CdfHandle g_hCdfFile;

/* Opens an existing regular file for sequential reading into g_hCdfFile
 * and readies the byte source at its first byte; 1 on success, 0 when the
 * path cannot be opened or is not a regular file. */
int32_t OpenCdfFile(const char *path);

/* Why the last OpenCdfFile failed, in the platform's words. */
const char *CdfOpenError(void);

/* Closes g_hCdfFile when open and sets it back to CDF_NO_FILE. */
void CloseCdfFile(void);

#endif
