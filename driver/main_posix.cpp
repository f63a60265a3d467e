/* main_posix.cpp: the Linux entry. Arguments are ignored; one import runs
 * and the exit code is always 0. */
#include "run.h"
#include "terminal_ui.h"

int main() {
  g_frontEnd = &g_terminalFrontEnd;
  RunImport(0);
  return 0;
}
