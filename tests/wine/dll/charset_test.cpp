/* charset_test.cpp: the Windows code pages behind the Charset names, both
 * ways: each name's characters, the bytes a code page cannot read, and
 * characters an encoding lacks written as '?'. */
#include <windows.h>

#include <cstdio>
#include <string>

#include "text/charset.h"

namespace {

int g_failures = 0;

void Check(bool ok, const std::string &what) {
  if (ok) return;
  std::printf("FAIL: %s\n", what.c_str());
  g_failures++;
}

struct Case {
  const char *name;
  const char *bytes;  /* in the named encoding */
  const char *utf8;   /* the same text in UTF-8 */
};

const Case kCases[] = {
  {"CP850", "\x81\xe9\x9b", "\xc3\xbc\xc3\x9a\xc3\xb8"},        /* ü Ú ø */
  {"cp850", "\x81", "\xc3\xbc"},
  {"CP437", "\x81\x9b\xe1", "\xc3\xbc\xc2\xa2\xc3\x9f"},        /* ü ¢ ß */
  {"ISO-8859-1", "\x80\xe9\xff", "\xc2\x80\xc3\xa9\xc3\xbf"},   /* U+0080 é ÿ */
  {"LATIN1", "\xe9", "\xc3\xa9"},
  {"WINDOWS-1252", "\x80\x93\xe9", "\xe2\x82\xac\xe2\x80\x9c\xc3\xa9"}, /* € “ é */
  {"UTF-8", "\xc3\xa9", "\xc3\xa9"},
};

}  // namespace

int main() {
  for (const Case &c : kCases) {
    Charset cs;
    if (!cs.Open(c.name)) {
      Check(false, std::string("Open ") + c.name);
      continue;
    }
    std::string out, back;
    size_t bad = 99;
    TextResult r = cs.ToUtf8(c.bytes, std::string(c.bytes).size(), &out, &bad);
    Check(r == TEXT_CONVERTED && out == c.utf8, std::string(c.name) + " to UTF-8: " + out);
    cs.FromUtf8(c.utf8, std::string(c.utf8).size(), &back);
    Check(back == c.bytes, std::string(c.name) + " from UTF-8: " + back);
  }

  const char *const kRefused[] = {"HP-ROMAN8", "ROMAN8", "EBCDIC-US", "no such"};
  for (const char *name : kRefused) {
    Charset cs;
    Check(!cs.Open(name), std::string("accepted ") + name);
  }

  /* A character the encoding lacks, and bytes it cannot read. */
  Charset cp850, utf8, automatic;
  cp850.Open("CP850");
  utf8.Open("UTF-8");
  automatic.Open("");
  std::string out;
  cp850.FromUtf8("a\xe2\x82\xac" "b", 5, &out); /* € is not in CP850 */
  Check(out == "a?b", "CP850 without the euro sign: " + out);
  cp850.FromUtf8("a\xff" "b", 3, &out); /* not UTF-8 */
  Check(out == "a?b", "invalid UTF-8 to CP850: " + out);
  size_t bad = 0;
  Check(utf8.ToUtf8("ab\xff" "c", 4, &out, &bad) == TEXT_INVALID && bad == 2,
        "invalid UTF-8 found at " + std::to_string(bad));
  Check(automatic.ToUtf8("\xe9", 1, &out, &bad) == TEXT_CONVERTED && out == "\xc3\xa9", "automatic rule: " + out);

  /* Going out: whole or not, and without a Charset in the ANSI code
   * page (Wine's is 1252 here), never by best fit. */
  struct Out {
    Charset *charset;
    const char *utf8, *bytes;
    bool whole;
  };
  const Out outs[] = {
    {&cp850, "\xc3\xbc", "\x81", true},
    {&cp850, "a\xe2\x82\xac" "b", "a?b", false},
    {&automatic, "Zo\xc3\xab", "Zo\xeb", true},
    {&automatic, "\xe2\x82\xac", "\x80", true},
    {&automatic, "\xe2\x9c\x93", "?", false},
    {&automatic, "\xc4\x81", "?", false}, /* ā, best fit would give a */
  };
  if (GetACP() != 1252) std::printf("ANSI code page %u: the automatic cases are left out\n", GetACP());
  for (const Out &o : outs) {
    if (o.charset == &automatic && GetACP() != 1252) continue;
    bool whole = o.charset->FromUtf8(o.utf8, std::string(o.utf8).size(), &out);
    Check(whole == o.whole && out == o.bytes, std::string("out of UTF-8 ") + o.utf8 + ": " + out);
  }

  std::printf("%s\n", g_failures ? "FAILED" : "OK");
  return g_failures ? 1 : 0;
}
