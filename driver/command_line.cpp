/* command_line.cpp: parsing lumetra-import [--charset NAME] [FILE]
 * [-h|--help] [-V|--version],
 * and deciding between the Qt window and the terminal. A scripted run
 * (a FILE, or input from a pipe or a file) never opens a window, so that
 * it cannot wait for a person who is not there. */
#include "command_line.h"

#include <string.h>
#include <sys/stat.h>

const char g_usageText[] =
  "Usage: lumetra-import [--charset NAME] [FILE]\n"
  "Imports one CDF file into a new table, named after the file, of the ODBC\n"
  "data source \"Lumetra Data Source\".\n"
  "\n"
  "  FILE            the CDF file; without it the file is asked for: in a\n"
  "                  window when a display is usable, else on the terminal,\n"
  "                  or read as one line from standard input when that is a\n"
  "                  pipe or a file\n"
  "  --charset NAME  the code page of the file's text: UTF-8, WINDOWS-1252,\n"
  "                  CP850, CP437 or ISO-8859-1; without it the letters of\n"
  "                  the text tell, and the summary says how it was read\n"
  "  -h, --help      show this text and exit\n"
  "  -V, --version   show the version and exit\n"
  "\n"
  "Exit status: 0 every record imported, 1 failure, 130 cancelled,\n"
  "2 bad command line. See lumetra-import(1).\n";

static const struct {
  const char *option;
  int32_t action;
} kOptions[] = {
  {"--help", COMMAND_HELP},   {"-h", COMMAND_HELP},
  {"--version", COMMAND_VERSION}, {"-V", COMMAND_VERSION},
};

const char g_shortUsageText[] =
  "Usage: lumetra-import [--charset NAME] [FILE]\n"
  "Try 'lumetra-import --help' for more.\n";

/* The action of an argument that starts with '-'; COMMAND_BAD if none. */
static int32_t OptionAction(const char *arg) {
  for (const auto &o : kOptions)
    if (strcmp(arg, o.option) == 0) return o.action;
  return COMMAND_BAD;
}

static const char kCharsetOption[] = "--charset";

int32_t ParseCommandLine(int argc, char **argv, const char **file, const char **charset) {
  int32_t optionsEnded = 0;
  *file = 0;
  *charset = 0;
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    size_t n = sizeof kCharsetOption - 1;
    if (!optionsEnded && strcmp(arg, "--") == 0) {
      optionsEnded = 1;
    } else if (!optionsEnded && strcmp(arg, kCharsetOption) == 0) {
      if (i + 1 == argc) {
        *file = arg;
        return COMMAND_BAD; /* no NAME after it */
      }
      *charset = argv[++i];
    } else if (!optionsEnded && strncmp(arg, kCharsetOption, n) == 0 && arg[n] == '=') {
      *charset = arg + n + 1;
    } else if (!optionsEnded && arg[0] == '-') {
      int32_t action = OptionAction(arg);
      if (action == COMMAND_BAD) *file = arg;
      return action;
    } else if (*file || arg[0] == 0) {
      *file = arg;
      return COMMAND_BAD; /* a second FILE, or an empty one */
    } else {
      *file = arg;
    }
  }
  return COMMAND_IMPORT;
}

int32_t IsScriptedInput(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return 0;
  return S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode) || S_ISSOCK(st.st_mode);
}

int32_t UseQtWindow(int32_t hasFile, int32_t scriptedInput) { return !hasFile && !scriptedInput; }
