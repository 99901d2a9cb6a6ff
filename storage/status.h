// Outcome of a storage or domain operation.
//
// A Status is either ok or carries a code, the driver-style error number of
// that code and a message.  Codes are what callers branch on; numbers and texts
// are what the framework shows through its message catalogue.
#pragma once

#include <string>
#include <utility>

namespace vorlam {

enum class StatusCode {
  kOk = 0,
  kNotFound,          // no record at that key or position; end of file
  kDuplicateKey,      // a unique key already holds the values; detail = key name
  kChangedByOther,    // the record was changed by another workstation since read
  kDeletedByOther,    // the record was deleted by another workstation since read
  kFileNotFound,      // the file (or its directory) does not exist
  kAccessDenied,      // permission refused, or the file is held exclusively
  kBusy,              // the file stayed locked by others past the wait limit
  kIoError,           // disk or operating-system failure
  kCorrupt,           // the file is damaged or is not a record file
  kInvalidArgument,   // caller error: bad name, bad value, bad state
  kOutOfRange,        // a value does not fit the field
  kNotOpen,           // the table is not open
  kNoName,            // the table has no file name bound
  kAutoNumberFailed,  // three attempts to take the next number failed
  kUnsupported,
};

class Status {
 public:
  Status() = default;
  Status(StatusCode code, std::string message, std::string detail = {})
      : code_(code), message_(std::move(message)), detail_(std::move(detail)) {}

  static Status ok() { return Status(); }

  bool isOk() const { return code_ == StatusCode::kOk; }
  explicit operator bool() const { return isOk(); }
  StatusCode code() const { return code_; }
  // Human-readable text (Portuguese), without the number.
  const std::string& message() const { return message_; }
  // Extra data some codes carry: the key name of a duplicate, a file name.
  const std::string& detail() const { return detail_; }
  // The code the database library itself reported (its extended result
  // code), 0 when the status did not come from it.
  int driverCode() const { return driverCode_; }
  Status& setDriverCode(int code) {
    driverCode_ = code;
    return *this;
  }

  // The driver-style error number of this status (0 when ok), as shown in the
  // file-error messages: 2 file not found, 5 access denied, 33 record not
  // available, 40 duplicate key, 89 record changed by another station, ...
  int errorNumber() const;
  // "NN - text", the form used in file-error messages.
  std::string toString() const;

  bool is(StatusCode c) const { return code_ == c; }

 private:
  StatusCode code_ = StatusCode::kOk;
  std::string message_;
  std::string detail_;
  int driverCode_ = 0;
};

// The standard text of a code, used when a status is built without one.
const char* defaultMessage(StatusCode code);
inline Status makeStatus(StatusCode code, std::string detail = {}) {
  return Status(code, defaultMessage(code), std::move(detail));
}

// A value or the status explaining why there is none.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {}  // NOLINT
  bool isOk() const { return status_.isOk(); }
  explicit operator bool() const { return isOk(); }
  const Status& status() const { return status_; }
  const T& value() const& { return value_; }
  T& value() & { return value_; }
  T&& value() && { return std::move(value_); }
  const T& operator*() const { return value_; }
  const T* operator->() const { return &value_; }

 private:
  Status status_;
  T value_{};
};

}  // namespace vorlam
