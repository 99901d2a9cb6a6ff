// The message catalogue: the numbered record- and file-level messages every
// screen raises through its ErrorManager (framework/error_manager.h), and the
// placeholder substitution that turns a catalogue text into the text shown.
//
// The catalogue is an immutable constant table: safe to read from any thread.
// All texts are UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vorlam {

// Severity of a catalogue entry.  The numbers are stored in the catalogue.
enum class MessageLevel : uint8_t {
  kBenign = 0,   // nothing is shown; result 0
  kUser = 1,     // Yes/No question; result 0 for Yes, else 4
  kProgram = 2,  // handled as kFatal
  kFatal = 3,    // OK only, then the application ends; result 3
  kCancel = 4,   // handled as kUser
  kNotify = 5,   // OK only; result 5
};

// Results returned by ErrorManager::throwMessage and throwFile.
inline constexpr int kMessageResultYes = 0;        // also: level 0, nothing shown
inline constexpr int kMessageResultFatal = 3;
inline constexpr int kMessageResultNo = 4;
inline constexpr int kMessageResultNotified = 5;

struct CatalogueEntry {
  uint16_t number;
  uint8_t level;        // raw stored level; see effectiveLevel()
  std::string_view title;
  std::string_view text;  // with placeholders; "|" breaks the line
};

// The 53 entries, in stored order.
std::span<const CatalogueEntry> messageCatalogue();
// The entry with `number`, or nullptr when the catalogue has none.
const CatalogueEntry* findMessage(uint16_t number);

// How a stored level behaves: 2 and any unknown level act as kFatal, 4 as
// kUser; the other levels act as themselves.
MessageLevel effectiveLevel(uint8_t storedLevel);

// Appended to the text of a fatal message before it is shown.
inline constexpr std::string_view kFatalSuffix = "  Press OK to end this application";

// Longest text substitution produces, in characters; longer results are cut.
inline constexpr size_t kMaxMessageText = 2000;

// The values the placeholders stand for.
struct PlaceholderValues {
  std::string fileErrorCode;  // %FileErrorCode
  std::string fileError;      // %FileError (the driver's own error text)
  std::string file;           // %File
  std::string key;            // %Key
  int errorCode = 0;          // %ErrorCode
  std::string errorText;      // %Error
  std::string message;        // %Message
  std::string field;          // %Field
  std::string procedure;      // %Procedure
  std::string category;       // %Category
  std::string previous;       // %Previous
};

// The text `%ErrorText` stands for: for the driver-reported codes 90 and 100
// the file error text and " (" file error code ")", otherwise the error text
// and " (" error code ")".
std::string errorTextValue(const PlaceholderValues& v);

// Replaces every placeholder of `text`, longest names first (%FileErrorCode,
// %FileError, %File, %Key, %ErrorCode, %ErrorText, %Error, %Message, %Field,
// %Procedure, %Category, %Previous).  A substituted value is never scanned
// again, so a file name or argument containing "%Field" stays as it is.  The
// result is cut to kMaxMessageText characters (never inside a UTF-8
// character).
std::string substitutePlaceholders(std::string_view text, const PlaceholderValues& v);

// Cuts UTF-8 `text` to at most `maxChars` characters.
std::string cutUtf8(std::string_view text, size_t maxChars);

}  // namespace vorlam
