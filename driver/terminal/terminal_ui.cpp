/* terminal_ui.cpp: the terminal front end. The chooser takes the file
 * given on the command line, or prompts for it (libedit line editing and
 * Tab completion on a terminal, plain lines otherwise); progress is one
 * line on standard error, rewritten at most ten times a second on a
 * terminal; once a file was chosen, the line with the last count stays
 * at the end once a count was shown, followed by "Cancelled" after
 * Cancel. Ctrl-C is Cancel; a message box is the program's name and the
 * text on standard error below the count, waiting for Enter only after a
 * file was asked for on a terminal, so that the prompt does not hide it.
 * The run ends with its summary there too. */
#include <editline/readline.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "import_path.h"
#include "terminal_ui.h"

enum { LINE_SIZE = 4096, REASON_SIZE = 512, COUNT_TEXT_SIZE = 32, KEY_WAIT_MS = 100 };

static const long kRepaintNanoseconds = 100 * 1000 * 1000;
static const char kPrompt[] = "CDF file to import: ";

static volatile sig_atomic_t s_interrupted;
static int s_progressShown;   /* a progress window exists */
static int s_drawProgress;    /* standard error is a terminal */
static int s_lineOnScreen;    /* the progress line is drawn */
static int s_fileChosen;      /* the chooser gave a file: the run is on */
static int s_lineKept;        /* the final count line has been written */
static int s_cancelShown;     /* "Cancelled" has been written */
static long long s_lastPaint; /* when it was drawn, in nanoseconds */
static char s_count[COUNT_TEXT_SIZE];
static const char *s_givenFile; /* the command line's file, resolved */
static int s_linesRead;         /* standard input gave a line */
static int s_inputEmpty;        /* it ended before its first line */

/* Ctrl-C while the run waits inside the data source reaches the run's
 * interrupt hook through this pipe and a thread of its own, since a
 * signal handler may call almost nothing. */
static int s_interruptPipe[2] = {-1, -1};

static void OnInterrupt(int) {
  s_interrupted = 1;
  if (s_interruptPipe[1] >= 0) {
    ssize_t written = write(s_interruptPipe[1], "", 1);
    (void)written; /* a full pipe has a wake-up in it already */
  }
}

static void *ForwardInterrupts(void *) {
  char byte;
  while (read(s_interruptPipe[0], &byte, 1) == 1 || errno == EINTR)
    if (g_interruptHook) g_interruptHook();
  return 0;
}

/* The forwarder never takes SIGINT itself: the main thread's waiting
 * read must see it. */
static void StartForwarder(void) {
  if (s_interruptPipe[0] >= 0 || pipe2(s_interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  fcntl(s_interruptPipe[0], F_SETFL, 0); /* the forwarder blocks, the handler never */
  sigset_t interrupt, before;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  pthread_sigmask(SIG_BLOCK, &interrupt, &before);
  pthread_t forwarder;
  if (pthread_create(&forwarder, 0, ForwardInterrupts, 0) == 0) pthread_detach(forwarder);
  pthread_sigmask(SIG_SETMASK, &before, 0);
}

static void CatchInterrupt(void) {
  StartForwarder();
  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, 0); /* no SA_RESTART: a waiting read returns */
}

static long long Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static void ClearLine(void) {
  if (!s_lineOnScreen) return;
  fputs("\r\033[K", stderr);
  s_lineOnScreen = 0;
}

static void PaintLine(void) {
  fprintf(stderr, "\r%s  Importing %s\033[K", IMPORT_CAPTION, s_count);
  fflush(stderr);
  s_lineOnScreen = 1;
  s_lastPaint = Now();
}

/* Leaves the count line on screen with the last count, once: on a
 * terminal by finishing the drawn line, elsewhere as one plain line. */
static void KeepCountLine(void) {
  if (s_lineKept || !s_fileChosen || !s_count[0]) return;
  if (s_drawProgress) {
    PaintLine();
    fputc('\n', stderr);
    s_lineOnScreen = 0;
  } else {
    fprintf(stderr, "%s  Importing %s\n", IMPORT_CAPTION, s_count);
  }
  s_lineKept = 1;
}

static UiWindow CreateTerminalProgress(UiInstance) {
  CatchInterrupt();
  s_progressShown = 1;
  s_drawProgress = isatty(2);
  s_fileChosen = 0;
  s_lineKept = 0;
  s_cancelShown = 0;
  s_count[0] = 0;
  if (s_drawProgress && !s_givenFile) PaintLine();
  return &s_progressShown;
}

static void SetTerminalProgress(UiWindow, const char *text) {
  size_t n = strnlen(text, sizeof s_count - 1);
  memcpy(s_count, text, n);
  s_count[n] = 0;
  if (s_drawProgress && Now() - s_lastPaint >= kRepaintNanoseconds) PaintLine();
}

/* "Cancelled" below the count, once. */
static void ShowCancelled(void) {
  if (!s_fileChosen || !g_cancelled || s_cancelShown) return;
  fputs("Cancelled\n", stderr);
  s_cancelShown = 1;
}

static void DestroyTerminalProgress(UiWindow) {
  KeepCountLine();
  ShowCancelled();
  ClearLine();
  s_progressShown = 0;
}

void UseTerminalFile(const char *fileName) {
  s_givenFile = fileName;
}

/* One key for libedit. Ctrl-C ends the prompt like the end of input.
 * The flag is tested between short waits, not only when a read is
 * interrupted: libedit retries an interrupted read once, and a Ctrl-C
 * that comes just before the read would not interrupt it at all. */
static int ReadKey(FILE *stream) {
  struct pollfd input = {fileno(stream), POLLIN, 0};
  while (!s_interrupted) {
    if (poll(&input, 1, KEY_WAIT_MS) <= 0) continue;
    unsigned char key;
    ssize_t n = read(input.fd, &key, 1);
    if (n == 1) return key;
    if (n == 0 || errno != EINTR) break;
  }
  return EOF;
}

/* File name completion that ends a folder's name with '/', so that Tab
 * can go on into it. A file's name gets nothing after it: libedit's
 * default blank would make the completed path name no file. */
static char *CompleteFileName(const char *text, int state) {
  char *match = rl_filename_completion_function(text, state);
  struct stat st;
  if (!match || stat(match, &st) != 0 || !S_ISDIR(st.st_mode)) return match;
  size_t length = strlen(match);
  char *folder = (char *)realloc(match, length + 2);
  if (!folder) return match;
  folder[length] = '/';
  folder[length + 1] = 0;
  return folder;
}

static void SetUpLineEditing(void) {
  rl_getc_function = ReadKey;
  rl_completion_entry_function = CompleteFileName;
  rl_completion_append_character = 0;
}

enum LineRead { LINE_END, LINE_READ, LINE_TOO_LONG };

/* One typed line, edited with libedit. */
static int32_t ReadEditedLine(char *line, int32_t size) {
  ClearLine();
  SetUpLineEditing();
  char *got = readline(kPrompt);
  if (!got || s_interrupted) {
    fputc('\n', stderr); /* leave the prompt's line */
    free(got);
    return LINE_END;
  }
  int32_t verdict = strlen(got) < (size_t)size ? LINE_READ : LINE_TOO_LONG;
  if (verdict == LINE_READ) snprintf(line, (size_t)size, "%s", got);
  if (got[0]) add_history(got);
  free(got);
  return verdict;
}

/* One line of a pipe or a file. A line that does not fit is read to its
 * end and refused whole: a part of it must never pass for a name. */
static int32_t ReadPipedLine(char *line, int32_t size) {
  if (!fgets(line, size, stdin) || s_interrupted) {
    s_inputEmpty = s_inputEmpty || (!s_linesRead && !s_interrupted && feof(stdin));
    return LINE_END;
  }
  s_linesRead = 1;
  int32_t verdict = LINE_READ;
  if (!strchr(line, '\n')) {
    int c = getchar();
    if (c != '\n' && c != EOF) verdict = LINE_TOO_LONG;
    while (c != '\n' && c != EOF) c = getchar();
  }
  line[strcspn(line, "\r\n")] = 0;
  return verdict;
}

/* One line from the user without its line break: LINE_END at the end of
 * input or on Ctrl-C. */
static int32_t ReadLine(char *line, int32_t size) {
  return isatty(0) ? ReadEditedLine(line, size) : ReadPipedLine(line, size);
}

/* Asks until a line names a file that the run can take; every refusal
 * says why. */
static int32_t AskForFile(char *fileName) {
  char line[LINE_SIZE];
  char reason[REASON_SIZE];
  for (;;) {
    int32_t got = ReadLine(line, sizeof line);
    if (got == LINE_END || (got == LINE_READ && line[0] == 0)) return 0;
    if (got == LINE_TOO_LONG)
      fprintf(stderr, "a name of more than %d bytes is too long\n", LINE_SIZE - 1);
    else if (ResolveImportPath(line, fileName, reason, sizeof reason) == PATH_OK)
      return 1;
    else
      fprintf(stderr, "%s\n", reason);
  }
}

/* A Ctrl-C that came between two FILEs of one command, after the pumps
 * of the one before, cancels the next: the user stopped the whole run. */
static int32_t ChooseTerminalFile(UiInstance, UiWindow, char *fileName) {
  if (s_givenFile && s_interrupted) return 0;
  s_interrupted = 0;
  if (s_givenFile)
    snprintf(fileName, FILE_NAME_SIZE, "%s", s_givenFile);
  else if (!AskForFile(fileName))
    return 0;
  s_fileChosen = 1;
  if (s_drawProgress) PaintLine();
  return 1;
}

static void PumpTerminal(void) {
  if (s_interrupted) g_cancelled = 1;
}

static void ShowTerminalMessage(UiWindow, const char *text) {
  if (s_progressShown) KeepCountLine();
  ClearLine();
  fprintf(stderr, "%s: %s\n", TERMINAL_PROGRAM, text);
  if (s_givenFile || !isatty(0)) return;
  fputs("Press Enter to continue.", stderr);
  int c;
  while ((c = getchar()) != EOF && c != '\n') {
  }
}

/* The summary goes below the count, and below "Cancelled" after Cancel. */
static void ShowTerminalSummary(UiWindow, const char *text) {
  KeepCountLine();
  ShowCancelled();
  ClearLine();
  fputs(text, stderr);
}

const UiFrontEnd g_terminalFrontEnd = {
  CreateTerminalProgress, SetTerminalProgress, DestroyTerminalProgress, ChooseTerminalFile,
  PumpTerminal,           ShowTerminalMessage, ShowTerminalSummary,
};

int32_t TerminalInputWasEmpty(void) {
  return s_inputEmpty;
}
