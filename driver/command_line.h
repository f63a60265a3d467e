/* command_line.h: the Linux program's command line, lumetra-import [FILE],
 * and the choice of its front end. */
#ifndef LUMETRA_COMMAND_LINE_H
#define LUMETRA_COMMAND_LINE_H

#include <stdint.h>

enum CommandAction { COMMAND_IMPORT, COMMAND_HELP, COMMAND_VERSION, COMMAND_BAD };

/* What the arguments ask for. With COMMAND_IMPORT, *file is the FILE
 * argument or null, and *charset the NAME of --charset NAME (or
 * --charset=NAME) or null; with COMMAND_BAD, *file is the offending
 * argument. */
int32_t ParseCommandLine(int argc, char **argv, const char **file, const char **charset);

/* The usage text, for --help on standard output and for a bad command
 * line on standard error. */
extern const char g_usageText[];
/* Its first line and where to find the rest, for a run given no file. */
extern const char g_shortUsageText[];

/* 1 when standard input is a pipe or a regular file: a script feeds it. */
int32_t IsScriptedInput(int fd);

/* 1 when the run uses the Qt window: neither a FILE argument nor a
 * scripted standard input. Whether a display can be used is found out by
 * loading the window module. */
int32_t UseQtWindow(int32_t hasFile, int32_t scriptedInput);

#endif
