/* main_posix.cpp: the Linux entry, lumetra-import [OPTIONS] [FILE...].
 * The files are imported one after the other, each into its own table
 * with its own summary, and a total closes a run of several; a failure
 * goes on with the next file, Cancel ends them all. Without a FILE one
 * file is chosen: in the Qt window when standard input is no script and a
 * display is usable, else on the terminal. A FILE opened from a desktop
 * (standard input neither a terminal nor a script) shows the window too. */
#include <stdio.h>
#include <unistd.h>

#include "charset.h"
#include "command_line.h"
#include "dry_run.h"
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

/* How the files of one command went. */
struct Tally {
  int32_t imported, failed, notTried;
  int64_t records;
};

/* The resolved path of the FILE being imported. */
static char s_fileName[FILE_NAME_SIZE];

/* The window's operations, its chooser taking the FILE instead of asking. */
static UiFrontEnd s_windowForFiles;

static int32_t ChooseGivenFile(UiInstance, UiWindow, char *fileName) {
  snprintf(fileName, FILE_NAME_SIZE, "%s", s_fileName);
  return 1;
}

/* Picks the front end; the window module is loaded only when its window
 * is used, and a missing module leaves the terminal in use. */
static void ChooseFrontEnd(int32_t hasFile, int *argc, char **argv) {
  g_frontEnd = &g_terminalFrontEnd;
#ifdef LUMETRA_HAVE_QT
  if (!UseQtWindow(hasFile, IsScriptedInput(0), isatty(0))) return;
  const UiFrontEnd *window = 0;
  char reason[REASON_SIZE];
  if (StartWindowFrontEnd(argc, argv, &window, reason, sizeof reason) == WINDOW_MISSING)
    fprintf(stderr, "%s: no window (%s); the terminal is used\n", kProgram, reason);
  if (window) g_frontEnd = window;
  if (window && hasFile) {
    s_windowForFiles = *window;
    s_windowForFiles.chooseImportFile = ChooseGivenFile;
    g_frontEnd = &s_windowForFiles;
  }
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

/* One FILE: imported, or with --dry-run read and reported on standard
 * output. Returns a RunOutcome. */
static int32_t ImportFile(const char *file, int32_t dryRun) {
  char reason[REASON_SIZE];
  UseTerminalFile(s_fileName); /* also: a message waits for no Enter */
  if (ResolveImportPath(file, s_fileName, reason, sizeof reason) != PATH_OK) {
    ShowMessage(0, reason); /* in a message box when the window is used */
    return RUN_FAILED;
  }
  if (dryRun) {
    int32_t outcome = DryRunImport(s_fileName);
    if (outcome == RUN_IMPORTED) fputs(DryRunReport(), stdout);
    return outcome;
  }
  return RunImport(0);
}

/* The line that closes a run of several files. */
static void ShowTotal(const Tally *t, int32_t dryRun) {
  fprintf(stderr, "%s: %d %s %s, %d failed", kProgram, (int)t->imported, t->imported == 1 ? "file" : "files",
          dryRun ? "read" : "imported", (int)t->failed);
  if (t->notTried) fprintf(stderr, ", %d not tried after Cancel", (int)t->notTried);
  if (!dryRun)
    fprintf(stderr, "; %lld %s in the files imported", (long long)t->records, t->records == 1 ? "record" : "records");
  fputc('\n', stderr);
}

/* Imports the files in their order; returns the exit status. */
static int ImportFiles(char **files, int32_t count, int32_t dryRun) {
  Tally t = {0, 0, 0, 0};
  int32_t outcome = RUN_IMPORTED;
  for (int32_t i = 0; i < count && outcome != RUN_CANCELLED; i++) {
    outcome = ImportFile(files[i], dryRun);
    t.records += outcome == RUN_IMPORTED ? g_runCount : 0;
    if (outcome == RUN_IMPORTED) t.imported++;
    else if (outcome == RUN_FAILED) t.failed++;
    else t.notTried = count - i - 1;
  }
  if (count > 1) ShowTotal(&t, dryRun);
  if (outcome == RUN_CANCELLED) return EXIT_CANCELLED;
  return t.failed ? EXIT_FAILED : EXIT_IMPORTED;
}

int main(int argc, char **argv) {
  CommandLine cl;
  ParseCommandLine(argc, argv, &cl);
  switch (cl.action) {
  case COMMAND_HELP:
    fputs(g_usageText, stdout);
    return EXIT_IMPORTED;
  case COMMAND_VERSION:
    printf("%s %s\n", kProgram, LUMETRA_VERSION);
    return EXIT_IMPORTED;
  case COMMAND_BAD:
    fprintf(stderr, "%s: %s\n%s", kProgram, cl.fault, g_shortUsageText);
    return EXIT_BAD_COMMAND_LINE;
  }
  if (!UseCharsetNamed(cl.charset)) {
    fprintf(stderr, "%s: unknown charset '%s'; it is one of %s\n", kProgram, cl.charset, g_cdfCharsetNames);
    return EXIT_BAD_COMMAND_LINE;
  }
  if (cl.dryRun && cl.fileCount == 0) {
    fprintf(stderr, "%s: --dry-run needs a FILE\n%s", kProgram, g_shortUsageText);
    return EXIT_BAD_COMMAND_LINE;
  }
  g_importOptions.dataSource = cl.dataSource;
  g_importOptions.tableName = cl.tableName;
  g_importOptions.tableMode = cl.tableMode;
  g_frontEnd = &g_terminalFrontEnd; /* a dry run's failures go there too */
  if (!cl.dryRun) ChooseFrontEnd(cl.fileCount > 0, &argc, argv);
  if (cl.fileCount > 0) return ImportFiles(cl.files, cl.fileCount, cl.dryRun);
  int32_t outcome = RunImport(0);
  if (outcome == RUN_CANCELLED && TerminalInputWasEmpty()) {
    fprintf(stderr, "%s: no file given: standard input is empty\n%s", kProgram, g_shortUsageText);
    return EXIT_BAD_COMMAND_LINE;
  }
  return kExitOf[outcome];
}
