/* main_posix.cpp: the Linux entry, lumetra-import [FILE]. A FILE or a
 * scripted standard input makes a terminal run without a prompt; the Qt
 * window is used only when neither holds and a display is usable. One
 * import runs; its outcome becomes the exit status. */
#include <stdio.h>
#include <unistd.h>

#include "charset.h"
#include "command_line.h"
#include "import_path.h"
#include "run.h"
#include "terminal_ui.h"
#ifdef LUMETRA_HAVE_QT
#include "window_loader.h"
#endif

enum { EXIT_IMPORTED = 0, EXIT_FAILED = 1, EXIT_BAD_COMMAND_LINE = 2, EXIT_CANCELLED = 130 };
enum { REASON_SIZE = 512 };

static const char kProgram[] = TERMINAL_PROGRAM;

/* The exit status of each RunOutcome, in its order. */
static const int kExitOf[] = {EXIT_IMPORTED, EXIT_FAILED, EXIT_CANCELLED};

/* Picks the front end; the window module is loaded only when its window
 * is used, and a missing module leaves the terminal in use. */
static void ChooseFrontEnd(int32_t hasFile, int *argc, char **argv) {
  g_frontEnd = &g_terminalFrontEnd;
#ifdef LUMETRA_HAVE_QT
  if (!UseQtWindow(hasFile, IsScriptedInput(0))) return;
  const UiFrontEnd *window = 0;
  char reason[REASON_SIZE];
  if (StartWindowFrontEnd(argc, argv, &window, reason, sizeof reason) == WINDOW_MISSING)
    fprintf(stderr, "%s: no window (%s); the terminal is used\n", kProgram, reason);
  if (window) g_frontEnd = window;
#else
  (void)hasFile;
  (void)argc;
  (void)argv;
#endif
}

/* Makes the named code page that of the file; 0 for an unknown name. */
static int32_t UseCharsetNamed(const char *name) {
  if (!name) return 1;
  int32_t charset = CdfCharsetByName(name);
  if (charset == CDF_CHARSET_UNKNOWN) return 0;
  UseCdfCharset(charset);
  return 1;
}

int main(int argc, char **argv) {
  const char *file = 0, *charset = 0;
  static char fileName[FILE_NAME_SIZE];
  switch (ParseCommandLine(argc, argv, &file, &charset)) {
  case COMMAND_HELP:
    fputs(g_usageText, stdout);
    return EXIT_IMPORTED;
  case COMMAND_VERSION:
    printf("%s %s\n", kProgram, LUMETRA_VERSION);
    return EXIT_IMPORTED;
  case COMMAND_BAD:
    fprintf(stderr, "%s: unexpected argument '%s'\n%s", kProgram, file, g_usageText);
    return EXIT_BAD_COMMAND_LINE;
  }
  if (!UseCharsetNamed(charset)) {
    fprintf(stderr, "%s: unknown charset '%s'; it is one of %s\n", kProgram, charset, g_cdfCharsetNames);
    return EXIT_BAD_COMMAND_LINE;
  }
  if (file) {
    char reason[REASON_SIZE];
    if (ResolveImportPath(file, fileName, reason, sizeof reason) != PATH_OK) {
      fprintf(stderr, "%s: %s\n", kProgram, reason);
      return EXIT_FAILED;
    }
    UseTerminalFile(fileName);
  }
  ChooseFrontEnd(file != 0, &argc, argv);
  int32_t outcome = RunImport(0);
  if (outcome == RUN_CANCELLED && TerminalInputWasEmpty()) {
    fprintf(stderr, "%s: no file given: standard input is empty\n%s", kProgram, g_shortUsageText);
    return EXIT_BAD_COMMAND_LINE;
  }
  return kExitOf[outcome];
}
