#include "registry/taxpayer_numbers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "dictionary/dictionary.h"
#include "storage/table.h"
#include "storage/test_util.h"

namespace vorlam::registry {
namespace {

// --- Edge cases --------------------------------------------------------------

TEST(TaxpayerNumbers, CnpjDigitsOnly) {
  TaxpayerCheck ok = ValidaCNPJ("11222333000181");
  EXPECT_TRUE(ok);
  EXPECT_EQ(ok.number, "11222333000181");
  EXPECT_TRUE(ok.title.empty());

  TaxpayerCheck bad = ValidaCNPJ("11222333000182");
  EXPECT_FALSE(bad);
  EXPECT_EQ(bad.title, "Número do CGC está Incorreto");
  EXPECT_EQ(bad.text, "Digito incorreto, o digito provavel é 81");
  EXPECT_EQ(bad.probable, "81");
  EXPECT_TRUE(bad.number.empty());
  MessageBoxRequest box = bad.message();
  EXPECT_EQ(box.title, bad.title);
  EXPECT_EQ(box.text, bad.text);
  EXPECT_EQ(box.icon, MessageIcon::kInformation);
  EXPECT_EQ(box.buttons, kButtonOk);

  // Read as a number: leading zeros added or dropped, blanks around ignored.
  EXPECT_EQ(ValidaCNPJ("0011222333000181").number, "11222333000181");
  EXPECT_EQ(ValidaCNPJ(" 11222333000181 ").number, "11222333000181");
  // An empty number is all zeros, whose check digits are 0.
  EXPECT_EQ(ValidaCNPJ("").number, "00000000000000");
  EXPECT_EQ(ValidaCNPJ("   ").number, "00000000000000");
  // "191" is 00000000000191: first twelve "000000000001" give "91".
  EXPECT_EQ(ValidaCNPJ("191").number, "00000000000191");
  EXPECT_EQ(ValidaCNPJ("19").text, "Digito incorreto, o digito provavel é 00");
}

TEST(TaxpayerNumbers, CnpjRefusesWhatIsNoNumber) {
  // Fifteen significant digits do not fit the field: never wrapped into a
  // number that happens to pass.
  for (const char* text : {"111222333000181", "11.222.333/0001-81", "1122233300018+", "-11222333000181",
                           "12abc34501de35", "12ABC34501DE3", "12ABC34501DE355", "12ABC 34501DE35",
                           "12ÁBC34501DE35"}) {
    TaxpayerCheck c = ValidaCNPJ(text);
    EXPECT_FALSE(c) << text;
    EXPECT_EQ(c.title, kCnpjTitle) << text;
    EXPECT_TRUE(c.probable.empty()) << text;
    EXPECT_EQ(c.text.rfind("Número inválido", 0), 0u) << text;
  }
}

TEST(TaxpayerNumbers, AlphanumericCnpj) {
  // 'A' counts as 17, 'B' 18 and so on.
  TaxpayerCheck ok = ValidaCNPJ("12ABC34501DE35");
  EXPECT_TRUE(ok) << ok.text;
  EXPECT_EQ(ok.number, "12ABC34501DE35");
  TaxpayerCheck wrong = ValidaCNPJ("12ABC34501DE36");
  EXPECT_EQ(wrong.text, "Digito incorreto, o digito provavel é 35");
  // Letters in the check-digit positions are a mismatch like any other.
  EXPECT_EQ(ValidaCNPJ("12ABC34501DEAB").probable, "35");
  EXPECT_EQ(cnpjCheckDigits("12ABC34501DE"), "35");
  EXPECT_EQ(cnpjCheckDigits("ZZZZZZZZZZZZ").size(), 2u);
  EXPECT_EQ(cnpjCheckDigits("12abc34501de"), "");
  EXPECT_EQ(cnpjCheckDigits("112223330001"), "81");
  EXPECT_TRUE(isAlphanumericCnpj("12ABC34501DE35"));
  EXPECT_FALSE(isAlphanumericCnpj("11222333000181"));
}

TEST(TaxpayerNumbers, CpfAndPis) {
  EXPECT_TRUE(ValidaCPF("52998224725"));
  TaxpayerCheck bad = ValidaCPF("52998224700");
  EXPECT_EQ(bad.title, "Número do CPF está Incorreto");
  EXPECT_EQ(bad.text, "Digito incorreto, o digito provavel é 25");
  EXPECT_EQ(ValidaCPF("191").number, "00000000191");
  EXPECT_EQ(ValidaCPF("").number, "00000000000");
  EXPECT_FALSE(ValidaCPF("529982247250"));  // twelve significant digits
  EXPECT_FALSE(ValidaCPF("5299822472A"));
  EXPECT_TRUE(ValidaCPF("000052998224725"));

  // PIS: one check digit; zero is accepted without a check.
  TaxpayerCheck pis = ValidaPIS("12056412545");
  EXPECT_TRUE(pis) << pis.text;
  TaxpayerCheck pisBad = ValidaPIS("12056412540");
  EXPECT_EQ(pisBad.title, "Número do PIS está Incorreto");
  EXPECT_EQ(pisBad.text, "Digito incorreto, o digito provavel é 5");
  EXPECT_EQ(ValidaPIS("").number, "00000000000");
  EXPECT_TRUE(ValidaPIS("0000"));
  // 00000000018: the first ten give 9 (sum 2, remainder 2).
  EXPECT_EQ(ValidaPIS("18").text, "Digito incorreto, o digito provavel é 9");
  EXPECT_EQ(ValidaPIS("19").number, "00000000019");
  EXPECT_FALSE(ValidaPIS("1205641254X"));
}

TEST(TaxpayerNumbers, Masks) {
  EXPECT_EQ(formatCnpj("11222333000181"), "11.222.333/0001-81");
  EXPECT_EQ(formatCnpj("12ABC34501DE35"), "12.ABC.345/01DE-35");
  EXPECT_EQ(formatCnpj("12ABC34501DE35", kCnpjListPicture), "12.ABC.345/01DE-35");
  EXPECT_EQ(formatCnpj("191"), "00.000.000/0001-91");
  EXPECT_EQ(formatCnpj(""), "00.000.000/0000-00");
  EXPECT_EQ(formatCnpj("", kCnpjListPicture).find_first_not_of(' '), std::string::npos);
  EXPECT_EQ(formatCpf("52998224725"), "529.982.247-25");
  EXPECT_EQ(formatPis("12056412545"), "120.56412.54-5");

  EXPECT_EQ(parseCnpj("11.222.333/0001-81").value(), "11222333000181");
  EXPECT_EQ(parseCnpj("191").value(), "00000000000191");
  EXPECT_EQ(parseCnpj("").value(), "00000000000000");
  EXPECT_EQ(parseCnpj("12.abc.345/01de-35").value(), "12ABC34501DE35");
  EXPECT_EQ(parseCnpj("12ABC34501DE35").value(), "12ABC34501DE35");
  EXPECT_FALSE(parseCnpj("12.ABC.345/01DE-3"));
  EXPECT_FALSE(parseCnpj("12.ABC.345/01DE-3X"));
  EXPECT_FALSE(parseCnpj("12.ABC.345/01DE-35!"));
  EXPECT_FALSE(parseCnpj("111.222.333/0001-81"));
  EXPECT_EQ(parseCpf("529.982.247-25").value(), "52998224725");
  EXPECT_EQ(parseCpf("1").value(), "00000000001");
  EXPECT_FALSE(parseCpf("529.982.24A-25"));
  EXPECT_EQ(parsePis("120.56412.54-5").value(), "12056412545");
  // What a mask shows, typed back, gives the stored number.
  for (const char* n : {"11222333000181", "12ABC34501DE35", "00000000000191"})
    EXPECT_EQ(parseCnpj(formatCnpj(n)).value(), n);
}

// The company's 14-character CNPJ field holds an alphanumeric number as it
// holds a numeric one, and finds it by its key.
TEST(TaxpayerNumbers, AlphanumericCnpjIsStoredAndFoundAsTyped) {
  vorlam::testing::TempDir dir;
  auto dict = buildDictionary();
  Table t(dict->find("Empresa"));
  ASSERT_TRUE(t.open(dir.file("Empresas.dat")).isOk());
  for (auto [code, typed] : {std::pair{1, "11.222.333/0001-81"}, {2, "12.abc.345/01de-35"}}) {
    Result<std::string> stored = parseCnpj(typed);
    ASSERT_TRUE(stored.isOk()) << typed;
    ASSERT_TRUE(ValidaCNPJ(stored.value())) << typed;
    t.buffer().clear();
    t.buffer().setInt("EMP:Codigo", code);
    ASSERT_TRUE(t.buffer().setText("EMP:CGC", stored.value()).isOk());
    ASSERT_TRUE(t.append().isOk());
  }
  t.buffer().clear();
  t.buffer().setText("EMP:CGC", "12ABC34501DE35");
  ASSERT_TRUE(t.get(t.def().keyIndex("EMP:Key:CNPJ")).isOk());
  EXPECT_EQ(t.buffer().getInt("EMP:Codigo"), 2);
  EXPECT_EQ(formatCnpj(t.buffer().getText("EMP:CGC")), "12.ABC.345/01DE-35");
}

// --- Cross-check against a second implementation ----------------------------
//
// Written apart from the routines: weights run 2, 3, 4… from the rightmost
// position (restarting after 9 for CNPJ and PIS), the digit is
// (10 × sum mod 11) mod 10, and numbers are read with strtoull and written
// with printf.

struct Expected {
  bool wellFormed = false;
  bool valid = false;
  std::string number;    // normalised
  std::string probable;
};

int charValue(char c) { return static_cast<unsigned char>(c) - 48; }

char modElevenDigit(const std::string& base, int restartAfter) {
  long sum = 0;
  int w = 2;
  for (auto it = base.rbegin(); it != base.rend(); ++it) {
    sum += static_cast<long>(charValue(*it)) * w;
    w = (restartAfter != 0 && w == restartAfter) ? 2 : w + 1;
  }
  return static_cast<char>('0' + (sum * 10 % 11) % 10);
}

enum class Id { kCnpj, kCpf, kPis };

Expected expectedFor(Id id, const std::string& raw) {
  const size_t width = id == Id::kCnpj ? 14 : 11;
  const size_t checks = id == Id::kPis ? 1 : 2;
  const int restart = id == Id::kCpf ? 0 : 9;
  Expected e;
  size_t b = raw.find_first_not_of(' ');
  std::string t = b == std::string::npos ? "" : raw.substr(b, raw.find_last_not_of(' ') - b + 1);
  bool digitsOnly = t.find_first_not_of("0123456789") == std::string::npos;
  std::string number;
  if (digitsOnly) {
    size_t nz = t.find_first_not_of('0');
    std::string sig = nz == std::string::npos ? "" : t.substr(nz);
    if (sig.size() > width) return e;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llu", static_cast<int>(width),
                  sig.empty() ? 0ull : std::strtoull(sig.c_str(), nullptr, 10));
    number = buf;
    if (id == Id::kPis && sig.empty()) {
      e.wellFormed = e.valid = true;
      e.number = number;
      return e;
    }
  } else {
    if (id != Id::kCnpj || t.size() != width) return e;
    if (t.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string::npos) return e;
    number = t;
  }
  e.wellFormed = true;
  std::string body = number.substr(0, width - checks);
  for (size_t k = 0; k < checks; ++k) body += modElevenDigit(body, restart);
  e.probable = body.substr(width - checks);
  e.valid = number.substr(width - checks) == e.probable;
  if (e.valid) e.number = number;
  return e;
}

class Lcg {
 public:
  explicit Lcg(uint64_t seed) : s_(seed) {}
  uint32_t next(uint32_t bound) {
    s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>((s_ >> 33) % bound);
  }

 private:
  uint64_t s_;
};

// A text to check: a right number, one with a digit changed, one with
// leading zeros dropped or added, random lengths, letters, stray characters.
std::string generate(Id id, Lcg& r) {
  const size_t width = id == Id::kCnpj ? 14 : 11;
  const char* alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string base;
  bool letters = id == Id::kCnpj && r.next(2) == 0;
  size_t baseLen = width - (id == Id::kPis ? 1 : 2);
  for (size_t k = 0; k < baseLen; ++k) {
    bool lead = r.next(6) == 0 && k < 4;  // some numbers with leading zeros
    base += lead ? '0' : letters ? alnum[r.next(36)] : static_cast<char>('0' + r.next(10));
  }
  std::string n = base;
  const int restart = id == Id::kCpf ? 0 : 9;
  for (size_t k = 0; k < width - baseLen; ++k) n += modElevenDigit(n, restart);
  switch (r.next(10)) {
    case 0:  // a check digit changed
      n[width - 1 - r.next(static_cast<uint32_t>(width - baseLen))] = static_cast<char>('0' + r.next(10));
      break;
    case 1:  // a base position changed
      n[r.next(static_cast<uint32_t>(baseLen))] = letters ? alnum[r.next(36)] : static_cast<char>('0' + r.next(10));
      break;
    case 2: {  // leading zeros dropped
      size_t nz = n.find_first_not_of('0');
      n = nz == std::string::npos ? "" : n.substr(nz);
      break;
    }
    case 3:  // leading zeros added, blanks around
      n = std::string(r.next(4), ' ') + std::string(r.next(5), '0') + n + std::string(r.next(2), ' ');
      break;
    case 4: {  // any digits, any length up to 17
      n.clear();
      for (uint32_t k = r.next(18); k > 0; --k) n += static_cast<char>('0' + r.next(10));
      break;
    }
    case 5:  // a stray character somewhere
      n[r.next(static_cast<uint32_t>(n.size()))] = "a.-/ *zÇ"[r.next(8)];
      break;
    case 6:  // a letter (valid only in a CNPJ's first twelve positions)
      n[r.next(static_cast<uint32_t>(n.size()))] = static_cast<char>('A' + r.next(26));
      break;
    case 7:  // one position more or less
      if (r.next(2) == 0) n.pop_back(); else n += static_cast<char>('0' + r.next(10));
      break;
    default:  // as made: right
      break;
  }
  return n;
}

void crossCheck(Id id, TaxpayerCheck (*routine)(std::string_view), const char* title, uint64_t seed) {
  Lcg r(seed);
  int valid = 0, mismatched = 0, malformed = 0;
  for (int i = 0; i < 30000; ++i) {
    std::string text = generate(id, r);
    Expected e = expectedFor(id, text);
    TaxpayerCheck c = routine(text);
    ASSERT_EQ(c.valid, e.valid) << "\"" << text << "\"";
    if (e.valid) {
      ++valid;
      ASSERT_EQ(c.number, e.number) << text;
      ASSERT_TRUE(c.title.empty() && c.text.empty()) << text;
    } else if (e.wellFormed) {
      ++mismatched;
      ASSERT_EQ(c.probable, e.probable) << text;
      ASSERT_EQ(c.title, title);
      ASSERT_EQ(c.text, std::string(kProbableDigitText) + e.probable) << text;
    } else {
      ++malformed;
      ASSERT_EQ(c.title, title);
      ASSERT_TRUE(c.probable.empty()) << text;
      ASSERT_FALSE(c.text.empty());
    }
  }
  // Every kind of outcome was exercised in numbers.
  EXPECT_GT(valid, 5000);
  EXPECT_GT(mismatched, 3000);
  EXPECT_GT(malformed, 2000);
}

TEST(TaxpayerNumbers, CrossCheckCnpj) { crossCheck(Id::kCnpj, ValidaCNPJ, kCnpjTitle, 11); }
TEST(TaxpayerNumbers, CrossCheckCpf) { crossCheck(Id::kCpf, ValidaCPF, kCpfTitle, 12); }
TEST(TaxpayerNumbers, CrossCheckPis) { crossCheck(Id::kPis, ValidaPIS, kPisTitle, 13); }

TEST(TaxpayerNumbers, CrossCheckAlphanumericCnpjCounts) {
  // The generated CNPJs include many valid alphanumeric ones.
  Lcg r(99);
  int alphaValid = 0;
  for (int i = 0; i < 5000; ++i) {
    std::string text = generate(Id::kCnpj, r);
    if (isAlphanumericCnpj(text) && ValidaCNPJ(text)) ++alphaValid;
  }
  EXPECT_GT(alphaValid, 500);
}

}  // namespace
}  // namespace vorlam::registry
