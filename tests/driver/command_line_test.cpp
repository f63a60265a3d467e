/* command_line_test.cpp: what the arguments of lumetra-import ask for,
 * and which kinds of standard input count as a script. */
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "temp_cdf.h"

namespace {

TEST(CommandLine, Arguments) {
  const struct { std::vector<std::string> args; int32_t action; const char *file; const char *charset = nullptr; } cases[] = {
    {{}, COMMAND_IMPORT, nullptr},
    {{"people.cdf"}, COMMAND_IMPORT, "people.cdf"},
    {{"--charset", "CP850", "people.cdf"}, COMMAND_IMPORT, "people.cdf", "CP850"},
    {{"people.cdf", "--charset=cp437"}, COMMAND_IMPORT, "people.cdf", "cp437"},
    {{"--charset", "--help"}, COMMAND_IMPORT, nullptr, "--help"},
    {{"people.cdf", "--charset"}, COMMAND_BAD, "--charset"},
    {{"--", "--charset"}, COMMAND_IMPORT, "--charset"},
    {{"--", "-odd.cdf"}, COMMAND_IMPORT, "-odd.cdf"},
    {{"--help"}, COMMAND_HELP, nullptr},
    {{"people.cdf", "--help"}, COMMAND_HELP, nullptr},
    {{"--version"}, COMMAND_VERSION, nullptr},
    {{"-"}, COMMAND_BAD, "-"},
    {{"-h"}, COMMAND_HELP, nullptr},
    {{"-V"}, COMMAND_VERSION, nullptr},
    {{"-hV"}, COMMAND_BAD, "-hV"},
    {{"--helpx"}, COMMAND_BAD, "--helpx"},
    {{"--file=people.cdf"}, COMMAND_BAD, "--file=people.cdf"},
    {{"a.cdf", "b.cdf"}, COMMAND_BAD, "b.cdf"},
    {{""}, COMMAND_BAD, ""},
    {{"--", "a.cdf", "--help"}, COMMAND_BAD, "--help"},
  };
  for (const auto &c : cases) {
    std::vector<char *> argv{const_cast<char *>("lumetra-import")};
    for (const auto &a : c.args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const char *file = "unset", *charset = "unset";
    std::string shown = c.args.empty() ? "(none)" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
    EXPECT_EQ(ParseCommandLine((int)argv.size() - 1, argv.data(), &file, &charset), c.action) << shown;
    if (c.action == COMMAND_IMPORT || c.action == COMMAND_BAD) {
      EXPECT_STREQ(file, c.file) << shown;
    }
    if (c.action == COMMAND_IMPORT) {
      EXPECT_STREQ(charset, c.charset) << shown;
    }
  }
}

TEST(CommandLine, ScriptedInputIsAPipeOrAFile) {
  TempFolder dir;
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  int file = open(dir.Write("in.txt", "x\n").c_str(), O_RDONLY);
  int folder = open(dir.path.c_str(), O_RDONLY);
  int null = open("/dev/null", O_RDONLY);
  const struct { const char *name; int fd; int32_t scripted; } cases[] = {
    {"pipe", pipeEnds[0], 1}, {"regular file", file, 1}, {"/dev/null", null, 0},
    {"folder", folder, 0},    {"closed", 999, 0},
  };
  for (const auto &c : cases) EXPECT_EQ(IsScriptedInput(c.fd), c.scripted) << c.name;
  for (int fd : {pipeEnds[0], pipeEnds[1], file, folder, null}) close(fd);
}

}  // namespace
