// Brazilian taxpayer numbers: the check-digit routines ValidaCNPJ, ValidaCPF
// and ValidaPIS shared by the company, branch, customer/supplier and
// employee forms, and the masks those forms show the numbers in.
//
// The routines show nothing: they return the outcome with the message the
// screen shows ("Digito incorreto, o digito provavel é " and the computed
// digits, under "Número do CGC está Incorreto" and the like, information
// icon, OK button).
//
// Normalisation.  A number made of digits only is read as a number and
// written back with leading zeros to its width (14 for a CNPJ, 11 for a CPF
// or PIS): "191" is the CPF 00000000191, an empty text is all zeros (and
// passes, its check digits being 0).  Blanks around the text are ignored.
// A CNPJ may also be alphanumeric: its first 12 positions hold capital
// letters A–Z or digits, each character counting as its character code
// minus 48 ('A' = 17), and its last two positions are numeric check digits;
// such a number has exactly 14 positions and is taken as it stands.  Text
// that is neither (other characters, letters in a CPF, too many digits) is
// refused with a message of its own, never mistaken for a valid number.
//
// Pure functions, safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "framework/dialogs.h"
#include "storage/status.h"

namespace vorlam::registry {

// Message titles and the text that starts every check-digit message.
inline constexpr char kCnpjTitle[] = "Número do CGC está Incorreto";
inline constexpr char kCpfTitle[] = "Número do CPF está Incorreto";
inline constexpr char kPisTitle[] = "Número do PIS está Incorreto";
inline constexpr char kProbableDigitText[] = "Digito incorreto, o digito provavel é ";

// Masks of the entry fields and list columns (the 'b' forms show zero as
// blank).  The CNPJ masks also show alphanumeric numbers: "AB.CDE.FGH/IJKL-34".
inline constexpr char kCnpjPicture[] = "@p##.###.###/####-##p";
inline constexpr char kCnpjListPicture[] = "@p##.###.###/####-##pb";
inline constexpr char kCpfPicture[] = "@p###.###.###-##p";
inline constexpr char kCpfListPicture[] = "@p###.###.###-##pb";
inline constexpr char kPisPicture[] = "@p###.#####.##-#p";

inline constexpr int kCnpjWidth = 14;
inline constexpr int kCpfWidth = 11;
inline constexpr int kPisWidth = 11;

// What a routine found.
struct TaxpayerCheck {
  bool valid = false;
  // Valid: the number as its field stores it (14 or 11 characters, leading
  // zeros).  Invalid: empty.
  std::string number;
  // The check digits computed from the number (two for CNPJ and CPF, one
  // for PIS); empty when the text was refused before they could be.
  std::string probable;
  // Invalid: the message the screen shows (UTF-8).
  std::string title;
  std::string text;

  explicit operator bool() const { return valid; }
  // The message box of an invalid number: title, text, information icon, OK.
  MessageBoxRequest message() const;
};

TaxpayerCheck ValidaCNPJ(std::string_view text);
TaxpayerCheck ValidaCPF(std::string_view text);
// A PIS of value zero (or blank) is accepted without a check.
TaxpayerCheck ValidaPIS(std::string_view text);

// The check digits of a number's base: the first 12 positions of a CNPJ
// (digits or A–Z), the first 9 digits of a CPF, the first 10 of a PIS.
// Empty when the base is not exactly that.
std::string cnpjCheckDigits(std::string_view first12);
std::string cpfCheckDigits(std::string_view first9);
std::string pisCheckDigit(std::string_view first10);

// True when a stored CNPJ holds a letter (an alphanumeric number).
bool isAlphanumericCnpj(std::string_view stored);

// The display text of a stored number in `picture` (one of the masks
// above).  A digits-only number shows as the picture shows any digit text;
// an alphanumeric CNPJ fills the picture's positions left to right.  A
// blank number shows as zero (blank with a 'b' mask).
std::string formatCnpj(std::string_view stored, std::string_view picture = kCnpjPicture);
std::string formatCpf(std::string_view stored, std::string_view picture = kCpfPicture);
std::string formatPis(std::string_view stored);

// The stored text that typing `typed` into the field gives: the mask's
// punctuation and blanks dropped, letters of a CNPJ upper-cased, digits-only
// numbers with leading zeros to the field's width.  Refuses
// (kInvalidArgument, Portuguese message) a character the field cannot hold,
// a letter in a CNPJ's check-digit positions, an alphanumeric CNPJ that is
// not 14 positions long and a number with too many digits.  Check digits
// are not verified here: that is the routines' job.
Result<std::string> parseCnpj(std::string_view typed);
Result<std::string> parseCpf(std::string_view typed);
Result<std::string> parsePis(std::string_view typed);

}  // namespace vorlam::registry
