/* charset_iconv.cpp: the encodings a data source names, converted with
 * the C library's iconv (Linux). */
#include <errno.h>

#include "text/charset.h"

enum { CONVERT_CHUNK = 4096 };

Charset::~Charset() { Close(); }

void Charset::Close() {
  if (in_ != (iconv_t)-1) iconv_close(in_);
  if (out_ != (iconv_t)-1) iconv_close(out_);
  in_ = out_ = (iconv_t)-1;
  name_.clear();
}

bool Charset::Open(const std::string &name) {
  Close();
  if (name.empty()) return true;
  in_ = iconv_open("UTF-8", name.c_str());
  out_ = iconv_open((name + "//TRANSLIT").c_str(), "UTF-8");
  if (in_ == (iconv_t)-1 || out_ == (iconv_t)-1) {
    Close();
    return false;
  }
  name_ = name;
  return true;
}

/* Converts s through cd into *out. A byte sequence cd cannot take either
 * stops it (false, its offset in *badOffset) or, when replace is set,
 * becomes one '?' for the UTF-8 character there; *lossy tells whether
 * any was replaced or transliterated. */
static bool Convert(iconv_t cd, const char *s, size_t n, std::string *out, bool replace, size_t *badOffset,
                    bool *lossy) {
  *lossy = false;
  out->clear();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char *from = (char *)s;
  size_t left = n;
  char chunk[CONVERT_CHUNK];
  while (left > 0) {
    char *to = chunk;
    size_t room = sizeof chunk;
    size_t rc = iconv(cd, &from, &left, &to, &room);
    out->append(chunk, (size_t)(to - chunk));
    if (rc != (size_t)-1 && rc > 0) *lossy = true; /* transliterated */
    if (rc != (size_t)-1 || errno == E2BIG) continue;
    if (!replace) {
      *badOffset = (size_t)(from - s);
      return false;
    }
    *out += '?';
    *lossy = true;
    size_t skip = Utf8SequenceLength((const unsigned char *)from, left);
    if (skip == 0) skip = 1;
    from += skip;
    left -= skip;
  }
  /* A stateful encoding may still owe its closing shift sequence. */
  char *to = chunk;
  size_t room = sizeof chunk;
  iconv(cd, nullptr, nullptr, &to, &room);
  out->append(chunk, (size_t)(to - chunk));
  return true;
}

TextResult Charset::NamedToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const {
  if (IsUtf8Name(name_)) { /* checked, not converted */
    if (IsValidUtf8(s, n)) return TEXT_KEPT;
    *badOffset = InvalidUtf8Offset(s, n);
    return TEXT_INVALID;
  }
  bool lossy;
  return Convert(in_, s, n, out, false, badOffset, &lossy) ? TEXT_CONVERTED : TEXT_INVALID;
}

bool Charset::NamedFromUtf8(const char *s, size_t n, std::string *out) const {
  if (IsUtf8Name(name_)) {
    out->assign(s, n);
    return true;
  }
  size_t unused;
  bool lossy;
  Convert(out_, s, n, out, true, &unused, &lossy);
  return !lossy;
}

/* Linux: text not UTF-8 is read as WINDOWS-1252 and given out as UTF-8. */
void Charset::AutomaticToUtf8(const char *s, size_t n, std::string *out) { Windows1252ToUtf8(s, n, out); }

bool Charset::AutomaticFromUtf8(const char *s, size_t n, std::string *out) {
  out->assign(s, n);
  return true;
}
