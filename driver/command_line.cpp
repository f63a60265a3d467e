/* command_line.cpp: parsing lumetra-import [OPTIONS] [FILE...] and
 * deciding between the Qt window and the terminal. A scripted run (input
 * from a pipe or a file) never opens a window, so that it cannot wait for
 * a person who is not there; nor does a FILE typed on a terminal. */
#include "command_line.h"

#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "run.h"

const char g_usageText[] =
  "Usage: lumetra-import [OPTIONS] [FILE...]\n"
  "Imports CDF files, each into a new table named after the file, of the\n"
  "ODBC data source \"Lumetra Data Source\".\n"
  "\n"
  "  FILE...          the CDF files, imported one after the other; without\n"
  "                   one the file is asked for: in a window when a display\n"
  "                   is usable, else on the terminal, or read as one line\n"
  "                   from standard input when that is a pipe or a file\n"
  "  --table NAME     the table's name instead of the file's (one FILE only)\n"
  "  --dsn NAME|CONNECTION-STRING\n"
  "                   another data source: a DSN name, or with '=' in it a\n"
  "                   connection string (DRIVER=...;Database=...)\n"
  "  --append         insert into the table when it exists and its columns\n"
  "                   match the file's names and types; else it is refused\n"
  "  --replace        drop the table and make it anew, in one transaction:\n"
  "                   a failure or Cancel keeps the old table\n"
  "  --dry-run        read the whole file and show its columns with their\n"
  "                   SQL types, its records and the lines skipped; write\n"
  "                   nothing\n"
  "  --charset NAME   the code page of the file's text: UTF-8, WINDOWS-1252,\n"
  "                   CP850, CP437 or ISO-8859-1; without it the letters of\n"
  "                   the text tell, and the summary says how it was read\n"
  "  -h, --help       show this text and exit\n"
  "  -V, --version    show the version and exit\n"
  "\n"
  "Exit status: 0 every file imported, 1 a file failed (the others are\n"
  "still tried), 130 cancelled (the rest is not tried), 2 bad command line.\n"
  "See lumetra-import(1).\n";

const char g_shortUsageText[] =
  "Usage: lumetra-import [OPTIONS] [FILE...]\n"
  "Try 'lumetra-import --help' for more.\n";

/* What --dsn may hold: with the program's own keys it fits the
 * connection string. */
enum { FAULT_SIZE = 512, DATA_SOURCE_LIMIT = 1000 };
static char s_fault[FAULT_SIZE];
static char s_connection[CONNECTION_STRING_SIZE]; /* --dsn tried out */

/* Options that take a value, as "--option VALUE" or "--option=VALUE". */
static const struct {
  const char *option;
  const char *CommandLine::*field;
} kValueOptions[] = {
  {"--charset", &CommandLine::charset},
  {"--table", &CommandLine::tableName},
  {"--dsn", &CommandLine::dataSource},
};

/* Options that stand alone. */
enum Flag { FLAG_HELP, FLAG_VERSION, FLAG_APPEND, FLAG_REPLACE, FLAG_DRY_RUN };
static const struct {
  const char *option;
  int32_t flag;
} kFlags[] = {
  {"--help", FLAG_HELP},     {"-h", FLAG_HELP},          {"--version", FLAG_VERSION}, {"-V", FLAG_VERSION},
  {"--append", FLAG_APPEND}, {"--replace", FLAG_REPLACE}, {"--dry-run", FLAG_DRY_RUN},
};

__attribute__((format(printf, 2, 3))) static void Refuse(CommandLine *cl, const char *format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(s_fault, sizeof s_fault, format, args);
  va_end(args);
  cl->action = COMMAND_BAD;
  cl->fault = s_fault;
}

/* Takes a value option at argv[*i]; 0 when arg is none. */
static int32_t TakeValueOption(int argc, char **argv, int *i, CommandLine *cl) {
  const char *arg = argv[*i];
  for (const auto &o : kValueOptions) {
    size_t n = strlen(o.option);
    if (strncmp(arg, o.option, n) != 0) continue;
    if (arg[n] == '=') {
      cl->*o.field = arg + n + 1;
    } else if (arg[n] == 0 && *i + 1 < argc) {
      cl->*o.field = argv[++*i];
    } else if (arg[n] == 0) {
      Refuse(cl, "option '%s' needs a value", o.option);
    } else {
      continue;
    }
    return 1;
  }
  return 0;
}

/* Takes a flag; 0 when arg is none. */
static int32_t TakeFlag(const char *arg, int32_t *seen) {
  for (const auto &f : kFlags) {
    if (strcmp(arg, f.option) != 0) continue;
    *seen |= 1 << f.flag;
    return 1;
  }
  return 0;
}

/* The conflicts between options, and values that cannot be used. */
static void CheckCombination(CommandLine *cl, int32_t seen) {
  if ((seen & (1 << FLAG_APPEND)) && (seen & (1 << FLAG_REPLACE)))
    Refuse(cl, "--append and --replace exclude each other");
  else if (cl->tableName && cl->fileCount > 1)
    Refuse(cl, "--table names the table of one FILE; %d files were given", (int)cl->fileCount);
  else if (cl->tableName && (cl->tableName[0] == 0 || strlen(cl->tableName) >= TABLE_NAME_SIZE))
    Refuse(cl, "--table needs a NAME of 1 to %d bytes", TABLE_NAME_SIZE - 1);
  else if (cl->dataSource && (cl->dataSource[0] == 0 || strlen(cl->dataSource) > DATA_SOURCE_LIMIT ||
                               !MakeConnectionString(cl->dataSource, s_connection)))
    Refuse(cl, "--dsn needs a DSN name without ';', '{' or '}', or a connection string, of 1 to %d bytes",
           DATA_SOURCE_LIMIT);
  cl->tableMode = (seen & (1 << FLAG_APPEND)) ? TABLE_APPEND : (seen & (1 << FLAG_REPLACE)) ? TABLE_REPLACE : TABLE_NEW;
  cl->dryRun = (seen & (1 << FLAG_DRY_RUN)) != 0;
}

void ParseCommandLine(int argc, char **argv, CommandLine *cl) {
  int32_t optionsEnded = 0, seen = 0;
  memset(cl, 0, sizeof *cl);
  cl->action = COMMAND_IMPORT;
  cl->files = argv + 1;
  for (int i = 1; i < argc && cl->action == COMMAND_IMPORT; i++) {
    char *arg = argv[i];
    if (!optionsEnded && strcmp(arg, "--") == 0) {
      optionsEnded = 1;
    } else if (!optionsEnded && arg[0] == '-' && arg[1] != 0) {
      if (!TakeValueOption(argc, argv, &i, cl) && !TakeFlag(arg, &seen))
        Refuse(cl, "unknown option '%s'", arg);
    } else if (arg[0] == 0) {
      Refuse(cl, "a FILE name is empty");
    } else if (!optionsEnded && strcmp(arg, "-") == 0) {
      Refuse(cl, "'-' is no FILE: without a FILE, a pipe on standard input names the file");
    } else {
      cl->files[cl->fileCount++] = arg; /* never ahead of i */
    }
  }
  if (seen & (1 << FLAG_HELP)) cl->action = COMMAND_HELP;
  else if (seen & (1 << FLAG_VERSION)) cl->action = COMMAND_VERSION;
  if (cl->action == COMMAND_IMPORT) CheckCombination(cl, seen);
}

int32_t IsScriptedInput(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return 0;
  return S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode) || S_ISSOCK(st.st_mode);
}

int32_t UseQtWindow(int32_t hasFile, int32_t scriptedInput, int32_t terminalInput) {
  if (scriptedInput) return 0;
  return !hasFile || !terminalInput;
}
