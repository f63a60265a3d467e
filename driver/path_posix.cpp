/* path_posix.cpp: on Linux only '/' separates folders; a backslash or a
 * colon is an ordinary character of a file name. */
#include "run.h"

int32_t IsNameSeparator(char c) {
  return c == '/';
}
