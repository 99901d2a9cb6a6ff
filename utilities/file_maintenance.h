// The operations of file maintenance on one file of its list: rebuild the
// keys, pack, release held records, repair with recfix, copy into a new
// file of the current layout, show the count and name, create a missing
// file.  The screen "Atualização Arquivos" and `vorlam-tool maintain` both
// run them; neither shows anything itself here: what an operation wants
// shown goes to its StepListener.
//
// Sound behaviour kept by every operation:
//  - the exclusive operations (reindex, pack, release, copy) open the file
//    exclusively; a file another workstation has open is refused with the
//    access message and left untouched, and the caller goes on;
//  - nothing divides by a record count: an empty or unreadable file reports
//    its progress as steps of unknown size, which still move;
//  - a missing file is never created, except by kCreate.
//
// Thread-safe: each call uses its own table instances; the listener is
// called on the calling thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/dictionary.h"
#include "shell/app_state.h"
#include "storage/status.h"
#include "utilities/file_info.h"

namespace vorlam::utilities {

enum class MaintenanceOp { kReindex, kPack, kRelease, kRepair, kRebuild, kInfo, kCreate };

// "reindex", "pack", "release", "repair", "rebuild", "info", "create".
const char* operationWord(MaintenanceOp op);
std::optional<MaintenanceOp> parseOperationWord(std::string_view word);

// Texts of the operations.
inline constexpr char kAccessTitle[] = "File Access Error";
inline constexpr char kErrorTitle[] = "Error";
inline constexpr char kBuildingFile[] = "Building File";
inline constexpr char kPackingFile[] = "Packing File";
inline constexpr char kKeyPrefix[] = "Key : ";
// "This option requires exclusive file access.|..." for an exclusive open
// that failed with `s`.
std::string accessMessage(const Status& s);

// What an operation reports while it runs.
class StepListener {
 public:
  virtual ~StepListener() = default;
  // The current step: kBuildingFile, kKeyPrefix + key name, kPackingFile...
  virtual void action(const std::string& text) = 0;
  // `done` of `total`; `total` 0 when the size is unknown (done counts
  // steps).  See progressPercent().
  virtual void progress(int64_t done, int64_t total) = 0;
  // Checked at every progress step: true stops the work on this file.
  virtual bool cancelled() = 0;
  // A message box (title, text with "|" line breaks, OK only); returns
  // once it has been seen.
  virtual void message(const std::string& title, const std::string& text) = 0;
};

// The bar's percentage: done × 100 ÷ total, or for an unknown total a value
// that grows with every step towards (never reaching) 100.
int progressPercent(int64_t done, int64_t total);

struct MaintenanceContext {
  const Dictionary* dict = nullptr;
  shell::BindingMap names;
  std::string recfix;  // the repair utility's program file (recfixProgram())
  int busyMs = 1000;   // wait for others to close a file before refusing
};

struct MaintenanceResult {
  Status status;                     // ok when the operation did its work
  std::optional<std::string> count;  // the new "Registros" text, when it changes
  std::optional<std::string> name;   // the new "Nome do Arquivo" text, when it changes
  bool skipped = false;              // the entry was skipped (file missing, access refused)
  bool cancelled = false;            // "&Cancel" stopped it
  std::string detail;                // what was done, for the command line
};

MaintenanceResult runMaintenance(MaintenanceOp op, const MaintenanceContext& context, const MaintainedFile& file,
                                 StepListener& listener);

// The repair utility: $VORLAM_RECFIX when set, else "recfix" beside this
// program.
std::string recfixProgram();

// How recfix is started for record file `path`: the arguments (each name
// one argument, whatever blanks or quotes it holds) and the command as text
// ("recfix FILE /E:LAYOUT /K /A  ", names with blanks in double quotes).
struct RepairCommand {
  std::vector<std::string> args;
  std::string text;
};
RepairCommand repairCommand(const std::string& path);

}  // namespace vorlam::utilities
