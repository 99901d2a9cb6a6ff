#include "storage/text.h"

#include <array>
#include <cstdint>

namespace vorlam {
namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F (0 = undefined).
constexpr uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char latin1Of(uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  // The five bytes Windows-1252 leaves undefined travel as the code points
  // of the same number (latin1ToUtf8): back they come, so that every byte
  // survives the round trip.
  if (cp < 0xA0 && kHigh[cp - 0x80] == 0) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

struct Tables {
  std::array<unsigned char, 256> base{};   // accent-free upper case
  std::array<unsigned char, 256> upper{};  // upper case keeping accents
  Tables() {
    for (int c = 0; c < 256; ++c) {
      base[c] = upper[c] = static_cast<unsigned char>(c);
      if (c >= 'a' && c <= 'z') base[c] = upper[c] = static_cast<unsigned char>(c - 32);
    }
    // Accented letters of Latin-1, upper then lower ranges.
    const char* groups[][2] = {
        {"\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5\xAA", "A"},
        {"\xC7\xE7", "C"},
        {"\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB", "E"},
        {"\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF", "I"},
        {"\xD1\xF1", "N"},
        {"\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8\xBA", "O"},
        {"\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC", "U"},
        {"\xDD\xFD\xFF\x9F", "Y"},
        {"\x8A\x9A", "S"},
        {"\x8E\x9E", "Z"},
    };
    for (auto& g : groups)
      for (const char* p = g[0]; *p; ++p) base[static_cast<unsigned char>(*p)] = static_cast<unsigned char>(g[1][0]);
    for (int c = 0xE0; c <= 0xFE; ++c)
      if (c != 0xF7) upper[c] = static_cast<unsigned char>(c - 0x20);
    upper[0x9A] = 0x8A;
    upper[0x9E] = 0x8E;
    upper[0x9C] = 0x8C;
    upper[0xFF] = 0x9F;
  }
};

const Tables& tables() {
  static const Tables t;
  return t;
}

}  // namespace

std::string utf8ToLatin1(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = 0;
    size_t n = 0;
    if (c < 0x80) { out += static_cast<char>(c); ++i; continue; }
    if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 3; }
    else { out += static_cast<char>(c); ++i; continue; }
    bool ok = true;
    for (size_t k = 1; ok && k <= n; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    if (!ok) { out += static_cast<char>(c); ++i; continue; }
    out += latin1Of(cp);
    i += n + 1;
  }
  return out;
}

std::string latin1ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (unsigned char c : s) {
    if (c < 0x80) out += static_cast<char>(c);
    else if (c < 0xA0) appendUtf8(out, kHigh[c - 0x80] ? kHigh[c - 0x80] : c);
    else appendUtf8(out, c);
  }
  return out;
}

std::string fitText(std::string_view text, size_t width) {
  std::string out(text.substr(0, width));
  out.resize(width, ' ');
  return out;
}

std::string_view clipText(std::string_view t) {
  size_t n = t.size();
  while (n > 0 && (t[n - 1] == ' ' || t[n - 1] == '\0')) --n;
  return t.substr(0, n);
}

std::string upperLatin1(std::string_view text) {
  const auto& up = tables().upper;
  std::string out(text);
  for (char& c : out) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
  return out;
}

unsigned char baseLetter(unsigned char c) { return tables().base[c]; }

int compareText(std::string_view a, std::string_view b) {
  // One pass: the first difference of the accent-free letters decides; the
  // first difference of the accented letters only breaks a tie.  This runs
  // for every key comparison, so it avoids a second pass.
  size_t na = a.size(), nb = b.size();
  while (na > 0 && (a[na - 1] == ' ' || a[na - 1] == '\0')) --na;
  while (nb > 0 && (b[nb - 1] == ' ' || b[nb - 1] == '\0')) --nb;
  const auto& t = tables();
  const unsigned char* pa = reinterpret_cast<const unsigned char*>(a.data());
  const unsigned char* pb = reinterpret_cast<const unsigned char*>(b.data());
  size_t n = na < nb ? na : nb;
  int tie = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = pa[i], y = pb[i];
    if (x == y) continue;
    unsigned char bx = t.base[x], by = t.base[y];
    if (bx != by) return bx < by ? -1 : 1;
    if (tie == 0 && t.upper[x] != t.upper[y]) tie = t.upper[x] < t.upper[y] ? -1 : 1;
  }
  if (na != nb) return na < nb ? -1 : 1;
  return tie;
}

}  // namespace vorlam
