#include "sampledata/taxpayer_ids.h"

#include <gtest/gtest.h>

namespace vorlam::sampledata {
namespace {

TEST(TaxpayerIdsTest, CheckDigitsOfPublishedNumbers) {
  EXPECT_EQ(cnpjCheckDigits("112223330001"), "81");
  EXPECT_EQ(cnpjCheckDigits("000000000001"), "91");
  EXPECT_EQ(cpfCheckDigits("529982247"), "25");
  EXPECT_EQ(cpfCheckDigits("111444777"), "35");
  EXPECT_EQ(makeCnpj(11222333, 1), "11222333000181");
  EXPECT_EQ(makeCnpj(0, 1), "00000000000191");
  EXPECT_EQ(makeCpf(529982247), "52998224725");
  EXPECT_EQ(makeCpf(1), "00000000191");
}

TEST(TaxpayerIdsTest, ValidatesLengthDigitsAndCheckDigits) {
  EXPECT_TRUE(validCnpj("11222333000181"));
  EXPECT_FALSE(validCnpj("11222333000182"));
  EXPECT_FALSE(validCnpj("11222333000118"));
  EXPECT_FALSE(validCnpj("1122233300018"));
  EXPECT_FALSE(validCnpj("11.222.333/0001-81"));
  EXPECT_TRUE(validCpf("52998224725"));
  EXPECT_FALSE(validCpf("52998224752"));
  EXPECT_FALSE(validCpf("5299822472"));
  EXPECT_FALSE(validCpf("529982247-25"));
  EXPECT_EQ(cnpjCheckDigits("11222333000"), "");
  EXPECT_EQ(cpfCheckDigits("52998224x"), "");
}

TEST(TaxpayerIdsTest, MadeNumbersAreValidAndDistinguishTheirBases) {
  for (long base = 100000000; base < 100000000 + 2000; base += 7) {
    std::string cpf = makeCpf(base);
    ASSERT_TRUE(validCpf(cpf)) << cpf;
    std::string cnpj = makeCnpj(base / 10, static_cast<int>(base % 10000));
    ASSERT_TRUE(validCnpj(cnpj)) << cnpj;
    // A wrong last digit is always caught.
    cpf.back() = cpf.back() == '9' ? '0' : static_cast<char>(cpf.back() + 1);
    EXPECT_FALSE(validCpf(cpf)) << cpf;
  }
}

}  // namespace
}  // namespace vorlam::sampledata
