/* charset_win32.cpp: the encodings a data source names, converted with
 * the Windows code pages. The names are those iconv accepts on Linux, so
 * one DSN reads the same on both; HP-ROMAN8 has no Windows code page and
 * is refused like any other unknown name. */
#include <windows.h>

#include "text/charset.h"

namespace {

struct CodePageName {
  const char *name;
  unsigned codePage;
};

const CodePageName kCodePages[] = {
  {"CP850", 850},         {"IBM850", 850},       {"850", 850},
  {"CP437", 437},         {"IBM437", 437},       {"437", 437},
  {"ISO-8859-1", 28591},  {"ISO8859-1", 28591},  {"ISO_8859-1", 28591}, {"LATIN1", 28591}, {"L1", 28591},
  {"WINDOWS-1252", 1252}, {"CP1252", 1252},
  {"UTF-8", CP_UTF8},     {"UTF8", CP_UTF8},
};

bool SameName(const std::string &a, const char *b) {
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

/* s in the code page as UTF-16; false if a byte has no character in it. */
bool ToWide(unsigned codePage, const char *s, size_t n, std::u16string *out) {
  out->clear();
  if (n == 0) return true;
  int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, s, (int)n, nullptr, 0);
  if (units <= 0) return false;
  out->resize((size_t)units);
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, s, (int)n, (wchar_t *)out->data(), units) == units;
}

}  // namespace

Charset::~Charset() { Close(); }

void Charset::Close() {
  codePage_ = 0;
  name_.clear();
}

bool Charset::Open(const std::string &name) {
  Close();
  if (name.empty()) return true;
  for (const CodePageName &c : kCodePages) {
    if (!SameName(name, c.name)) continue;
    if (!IsValidCodePage(c.codePage)) return false;
    codePage_ = c.codePage;
    name_ = name;
    return true;
  }
  return false;
}

TextResult Charset::NamedToUtf8(const char *s, size_t n, std::string *out, size_t *badOffset) const {
  std::u16string wide;
  if (!ToWide(codePage_, s, n, &wide)) {
    /* The code pages named are single-byte but UTF-8: find the first
     * character that does not convert on its own. */
    size_t at = 0;
    while (at < n) {
      size_t len = codePage_ == CP_UTF8 ? Utf8SequenceLength((const unsigned char *)s + at, n - at) : 1;
      if (len == 0 || !ToWide(codePage_, s + at, len, &wide)) break;
      at += len;
    }
    *badOffset = at;
    return TEXT_INVALID;
  }
  Utf16ToUtf8((const unsigned short *)wide.data(), wide.size(), out);
  return TEXT_CONVERTED;
}

/* UTF-8 in a code page. Invalid UTF-8 becomes U+FFFD, which the code page
 * writes as '?', as it does every character it lacks: no best fit, so
 * that what comes back is what was stored or visibly not. False when any
 * character was replaced. */
static bool FromUtf8In(unsigned codePage, const char *s, size_t n, std::string *out) {
  out->clear();
  if (codePage == CP_UTF8) {
    out->assign(s, n);
    return true;
  }
  std::u16string wide;
  Utf8ToUtf16(s, n, &wide);
  if (wide.empty()) return true;
  const wchar_t *w = (const wchar_t *)wide.data();
  BOOL replaced = FALSE;
  int bytes = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, w, (int)wide.size(), nullptr, 0, "?", nullptr);
  if (bytes <= 0) return false;
  out->resize((size_t)bytes);
  WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, w, (int)wide.size(), out->data(), bytes, "?", &replaced);
  return !replaced;
}

bool Charset::NamedFromUtf8(const char *s, size_t n, std::string *out) const {
  return FromUtf8In(codePage_, s, n, out);
}

/* Windows: without a Charset the narrow interface speaks the ANSI code
 * page of the process, as every narrow Windows call does. */
void Charset::AutomaticToUtf8(const char *s, size_t n, std::string *out) {
  unsigned acp = GetACP();
  std::u16string wide;
  if (acp == 1252 || acp == CP_UTF8 || !ToWide(acp, s, n, &wide)) {
    Windows1252ToUtf8(s, n, out); /* also where the code page cannot read it */
    return;
  }
  Utf16ToUtf8((const unsigned short *)wide.data(), wide.size(), out);
}

bool Charset::AutomaticFromUtf8(const char *s, size_t n, std::string *out) {
  return FromUtf8In(GetACP(), s, n, out);
}
