/* charset.h: the encoding of the application's SQL_C_CHAR text. The
 * driver stores UTF-8. With a Charset named, text is converted from it on
 * the way in and back on the way out. Without one, valid UTF-8 is kept as
 * it is and anything else is read as WINDOWS-1252 (on Windows: as the
 * ANSI code page); text goes out as UTF-8 (on Windows: in the ANSI code
 * page, as Windows programs expect of the narrow interface). */
#ifndef LUMETRA_DS_CHARSET_H
#define LUMETRA_DS_CHARSET_H

#ifndef _WIN32
#include <iconv.h>
#endif
#include <stddef.h>

#include <string>

enum TextResult { TEXT_KEPT, TEXT_CONVERTED, TEXT_INVALID };

bool IsValidUtf8(const char *s, size_t n);
/* The offset of the first byte of s that starts no valid UTF-8 sequence;
 * n when there is none. */
size_t InvalidUtf8Offset(const char *s, size_t n);
/* 1 when an encoding's name is UTF-8's, which needs no conversion. */
bool IsUtf8Name(const std::string &name);
/* The length of the UTF-8 sequence at s (n bytes left), 0 if invalid:
 * no overlong forms, no surrogates, nothing above U+10FFFF. */
size_t Utf8SequenceLength(const unsigned char *s, size_t n);
void Windows1252ToUtf8(const char *s, size_t n, std::string *out);
/* UTF-16 (host order, as SQLWCHAR) and UTF-8; unpaired surrogates become U+FFFD. */
void Utf16ToUtf8(const unsigned short *s, size_t units, std::string *out);
void Utf8ToUtf16(const char *s, size_t n, std::u16string *out);

class Charset {
 public:
  Charset() = default;
  Charset(const Charset &) = delete;
  Charset &operator=(const Charset &) = delete;
  ~Charset();

  /* Selects an encoding by its iconv name; "" selects the automatic rule.
   * On Windows only the names with a Windows code page are known. */
  bool Open(const std::string &name);
  const std::string &Name() const { return name_; }
  bool Explicit() const { return !name_.empty(); }

  /* Application text as UTF-8: TEXT_KEPT when s already is (nothing in
   * *out), TEXT_CONVERTED with *out, or TEXT_INVALID with the offset of
   * the byte that the named encoding cannot read. */
  TextResult ToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const;
  /* UTF-8 as application text; characters the encoding lacks become '?'
   * (or their nearest likeness). False when any did. */
  bool FromUtf8(const char *s, size_t n, std::string *out) const;

 private:
  void Close();
  /* The conversions of a named encoding, one per platform. */
  TextResult NamedToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const;
  bool NamedFromUtf8(const char *s, size_t n, std::string *out) const;
  /* The automatic rule's side that differs by platform. */
  static void AutomaticToUtf8(const char *s, size_t n, std::string *out);
  static bool AutomaticFromUtf8(const char *s, size_t n, std::string *out);
  std::string name_;
#ifdef _WIN32
  unsigned codePage_ = 0;
#else
  iconv_t in_ = (iconv_t)-1;
  iconv_t out_ = (iconv_t)-1;
#endif
};

#endif
