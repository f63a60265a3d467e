/* import_path.h: turning what the user typed into the full path of an
 * existing CDF file, or a one-line reason why it is refused. */
#ifndef LUMETRA_IMPORT_PATH_H
#define LUMETRA_IMPORT_PATH_H

#include <stdint.h>

enum PathVerdict { PATH_OK, PATH_REFUSED, PATH_TOO_LONG };

/* Resolves typed (relative to the current folder; "~/" is the home
 * folder; a name without extension gets ".cdf" when that file exists)
 * into fileName[256]. PATH_REFUSED leaves a reason in reason[size]. */
int32_t ResolveImportPath(const char *typed, char *fileName, char *reason, int32_t size);

#endif
