/* command_line.h: the Linux program's command line,
 * lumetra-import [OPTIONS] [FILE...], and the choice of its front end. */
#ifndef LUMETRA_COMMAND_LINE_H
#define LUMETRA_COMMAND_LINE_H

#include <stdint.h>

enum CommandAction { COMMAND_IMPORT, COMMAND_HELP, COMMAND_VERSION, COMMAND_BAD };

/* What the arguments ask for. */
struct CommandLine {
  int32_t action;         /* a CommandAction */
  char **files;           /* the FILE arguments, in their order */
  int32_t fileCount;
  const char *charset;    /* --charset NAME, or null */
  const char *dataSource; /* --dsn NAME|CONNECTION-STRING, or null */
  const char *tableName;  /* --table NAME, or null */
  int32_t tableMode;      /* a TableMode: --replace, --append */
  int32_t dryRun;         /* --dry-run */
  const char *fault;      /* COMMAND_BAD: what is wrong, one line */
};

/* Parses argv; the FILE arguments are gathered at the front of argv's
 * tail (after argv[0]), where cl->files points. */
void ParseCommandLine(int argc, char **argv, CommandLine *cl);

/* The usage text, for --help on standard output. */
extern const char g_usageText[];
/* Its first line and where to find the rest, for a bad command line and
 * a run given no file. */
extern const char g_shortUsageText[];

/* 1 when standard input is a pipe or a regular file: a script feeds it. */
int32_t IsScriptedInput(int fd);

/* 1 when the run may use the Qt window: standard input is no script, and
 * either no FILE is given and the file is to be chosen, or FILEs are
 * given by a desktop (standard input is no terminal either). Whether a
 * display can be used is found out by loading the window module. */
int32_t UseQtWindow(int32_t hasFile, int32_t scriptedInput, int32_t terminalInput);

#endif
