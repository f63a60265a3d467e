/* import_path.h: turning what the user typed into the full path of an
 * existing CDF file, or a one-line reason why it is refused. */
#ifndef LUMETRA_IMPORT_PATH_H
#define LUMETRA_IMPORT_PATH_H

#include <stdint.h>

enum PathVerdict { PATH_OK, PATH_REFUSED, PATH_TOO_LONG };

/* Resolves typed (relative to the current folder; "~/" is the home
 * folder; a name without extension that is no regular file gets ".cdf"
 * when that exists) into fileName[FILE_NAME_SIZE]. Any other verdict than PATH_OK
 * leaves a one-line reason in reason[size]. */
int32_t ResolveImportPath(const char *typed, char *fileName, char *reason, int32_t size);

#endif
