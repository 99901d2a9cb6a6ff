// What every list and form controller of one screen shares: the data
// dictionary, where the record files are, and the screen's error manager.
//
// A ScreenContext belongs to one screen thread, like the ErrorManager it
// refers to; the dictionary is immutable and shared by every screen.  The
// context only refers to its parts: they must outlive every controller built
// on it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dictionary/cascade.h"
#include "dictionary/dictionary.h"
#include "framework/error_manager.h"
#include "storage/record.h"

namespace vorlam {

// Told of every record a screen's form adds, changes or deletes (the
// script runner's transcript).  `key` holds the values of the record's
// primary key as the export writes them, separated by blanks.
enum class WriteKind { kInsert, kChange, kDelete };
class WriteListener {
 public:
  virtual ~WriteListener() = default;
  virtual void written(const std::string& table, WriteKind kind, const std::string& key) = 0;
};
std::string_view writeKindName(WriteKind kind);  // "insert", "change", "delete"

struct ScreenContext {
  const Dictionary& dictionary;
  // Paths of the bound file names, for the cascades to child tables.
  PathResolver resolve;
  ErrorManager& errors;
  WriteListener* writes = nullptr;  // may be null
};

// The values of the record's primary key as the export writes them (the
// record id for a table without one).
std::vector<std::string> primaryKeyTexts(const Record& record);

// Tells the context's listener, if any, that `record` was written.
void reportWrite(const ScreenContext& context, const Record& record, WriteKind kind);
// The same for a screen without a context; `writes` may be null.
void reportWrite(WriteListener* writes, const Record& record, WriteKind kind);

// Pushes a screen's procedure name on its error manager for as long as the
// scope lives, so that %Procedure names the screen while it is open.
class ProcedureScope {
 public:
  ProcedureScope(ErrorManager& errors, std::string_view procedure);
  ~ProcedureScope();
  ProcedureScope(const ProcedureScope&) = delete;
  ProcedureScope& operator=(const ProcedureScope&) = delete;

 private:
  ErrorManager& errors_;
  bool pushed_ = false;
};

// The action a form is opened for.
enum class Request { kInsert, kChange, kDelete, kView };

// Message numbers the list and form machinery raises.
inline constexpr uint16_t kMsgRecordNotRead = 1;         // the record can no longer be read
inline constexpr uint16_t kMsgAddFailed = 4;             // "Erro Inclusão"
inline constexpr uint16_t kMsgChangedByOther = 7;        // refused write, nothing shown again
inline constexpr uint16_t kMsgChangedShowingNew = 8;     // refused write, the new values are shown
inline constexpr uint16_t kMsgCancelChanges = 10;        // "As alterações serão perdidas!"
inline constexpr uint16_t kMsgConfirmDelete = 11;        // "Confirma Exclusão"
inline constexpr uint16_t kMsgDeleteFailed = 13;         // "Registro não foi excluido"
inline constexpr uint16_t kMsgDuplicateKey = 15;         // "Chave duplicada: %Message"
inline constexpr uint16_t kMsgChangeFailed = 28;         // "Registro não foi atualizado"
inline constexpr uint16_t kMsgAutoNumberFailed = 35;     // asks whether to try again
inline constexpr uint16_t kMsgFilterFailed = 43;         // the list is shown unfiltered

}  // namespace vorlam
