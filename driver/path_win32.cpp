/* path_win32.cpp: on Windows a backslash or a drive's colon ends the
 * folder part of a path. */
#include "run.h"

int32_t IsNameSeparator(char c) {
  return c == '\\' || c == ':';
}
