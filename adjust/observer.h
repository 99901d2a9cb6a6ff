// What the adjustment reports while it runs: the processing log and the two
// progress bars.  The screen and the command each implement it.  Called on
// the thread that runs the adjustment; implementations that show something
// hand the calls over to their own thread.
#pragma once

#include <cstdint>
#include <string>

namespace vorlam::adjust {

class Observer {
 public:
  virtual ~Observer() = default;
  // One line of the processing log (UTF-8).
  virtual void logLine(const std::string& line) = 0;
  // Bar "Empresas": its range, then one step per listed company.
  virtual void companiesRange(int total) { (void)total; }
  virtual void companiesPosition(int done) { (void)done; }
  // Bar "Arquivos da empresa": range and position within the current table.
  virtual void fileRange(int64_t total) { (void)total; }
  virtual void filePosition(int64_t position) { (void)position; }
  // The run takes up a listed company, and is done with it (converted,
  // skipped or put back as it was).  Between the two, the company's files
  // may be in the middle of their rewrite.
  virtual void companyStarted(uint16_t code) { (void)code; }
  virtual void companyFinished(uint16_t code) { (void)code; }
  // A file of the company being committed has been written in full.
  virtual void fileCommitted(const std::string& path) { (void)path; }
  // Polled at record boundaries; true ends the run after the current company
  // has been put back as it was.
  virtual bool stopRequested() { return false; }
};

}  // namespace vorlam::adjust
