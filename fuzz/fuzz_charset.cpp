/* fuzz_charset.cpp: arbitrary bytes through the text conversions. The
 * UTF-8 check agrees with glibc's decoder; valid UTF-8 survives UTF-16
 * and back; WINDOWS-1252 and every named single-byte encoding give valid
 * UTF-8, and CP850 reads back to the bytes it was given. */
#include <iconv.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "text/charset.h"

/* Does glibc decode all of s as UTF-8? */
static bool GlibcReadsUtf8(const std::string &s) {
  static iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char *in = (char *)s.data();
  size_t left = s.size();
  std::string out(s.size() * 4 + 4, '\0');
  char *to = out.data();
  size_t room = out.size();
  return iconv(cd, &in, &left, &to, &room) != (size_t)-1 && left == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string in((const char *)data, size);
  bool valid = IsValidUtf8(in.data(), in.size());
  if (valid != GlibcReadsUtf8(in)) abort();
  if (valid) {
    std::u16string units;
    std::string back;
    Utf8ToUtf16(in.data(), in.size(), &units);
    Utf16ToUtf8((const unsigned short *)units.data(), units.size(), &back);
    if (back != in) abort();
  }
  std::string utf8;
  Windows1252ToUtf8(in.data(), in.size(), &utf8);
  if (!IsValidUtf8(utf8.data(), utf8.size())) abort();

  static Charset cp850, roman8;
  static bool opened = cp850.Open("CP850") && roman8.Open("HP-ROMAN8");
  if (!opened) abort();
  size_t bad;
  if (cp850.ToUtf8(in.data(), in.size(), &utf8, &bad) != TEXT_CONVERTED) abort();
  if (!IsValidUtf8(utf8.data(), utf8.size())) abort();
  std::string back;
  cp850.FromUtf8(utf8.data(), utf8.size(), &back);
  if (back != in) abort();
  if (roman8.ToUtf8(in.data(), in.size(), &utf8, &bad) == TEXT_CONVERTED && !IsValidUtf8(utf8.data(), utf8.size()))
    abort();
  return 0;
}
