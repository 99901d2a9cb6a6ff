// Settings (INI) files.
//
// IniDocument is one file in memory with the usual INI rules: "[section]"
// lines, "entry=value" lines, section and entry names compared without
// letter case, the first of duplicated sections or entries wins, lines
// starting with ";" are comments.  Editing touches only the lines it must:
// comments, blank lines, spelling and order of everything else stay as they
// were, byte for byte.  Files are Windows-1252 on disk; the API is UTF-8.
//
// SettingsFiles resolves file names in one settings directory, given at
// construction and made absolute then, so the process's working directory
// never matters afterwards.  Writes are safe: the new file is written beside
// the old one and renamed over it.
#pragma once

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/status.h"

namespace vorlam {

class IniDocument {
 public:
  IniDocument() = default;
  // Parses file bytes (Windows-1252; "\r\n", "\n" or bare "\r" line ends,
  // mixed as they come).
  static IniDocument fromBytes(std::string_view bytes);
  // File bytes: every line not edited exactly as read, its own line end
  // included (toBytes(fromBytes(b)) == b for any b); added lines end as the
  // file's first line does ("\r\n" for a new file).
  std::string toBytes() const;

  // The value of an entry (blanks around it removed, and one pair of
  // surrounding double quotes), or nullopt when absent.
  std::optional<std::string> get(std::string_view section, std::string_view entry) const;
  // Sets an entry, adding the entry (after the section's last entry) or the
  // section (at the end) as needed.  Refuses names that cannot be written
  // ("=" in an entry name, "]" in a section name, line ends, blank names);
  // line ends in a value become blanks.
  Status set(std::string_view section, std::string_view entry, std::string_view value);
  // Deletes an entry; false when there was none.
  bool erase(std::string_view section, std::string_view entry);
  // Deletes a section with all its lines; false when there was none.
  bool eraseSection(std::string_view section);

  // Names as written in the file, in file order.
  std::vector<std::string> sections() const;
  std::vector<std::string> entries(std::string_view section) const;

 private:
  struct Span {
    size_t header;  // index of the "[...]" line
    size_t end;     // one past the section's last line
  };
  std::optional<Span> findSection(const std::string& upperName) const;
  std::optional<size_t> findEntry(const Span& span, const std::string& upperName) const;

  // Adds a line before `at`, ending as the file's lines end; a last line
  // without a line end gets one first, so the new line can follow it.
  void insertLine(size_t at, std::string text);
  // Removes lines [from, to).
  void eraseLines(size_t from, size_t to);

  std::vector<std::string> lines_;  // Windows-1252, without line ends
  std::vector<std::string> ends_;   // each line's own end: "\r\n", "\n", "\r" or "" (last line)
  std::string eol_ = "\r\n";      // the end of added lines: the file's first, "\r\n" for a new file
};

class SettingsFiles {
 public:
  // `directory` is where bare file names live (made absolute here).
  explicit SettingsFiles(std::filesystem::path directory);

  const std::filesystem::path& directory() const { return directory_; }
  // The path of `fileName`: absolute names as they are, others under the
  // settings directory; "\" counts as a directory separator.  Each part of
  // the name matches an existing file or directory without letter case
  // ("ctb.ini" finds "Ctb.ini"), as on the platform the files come from.
  std::filesystem::path resolve(std::string_view fileName) const;

  // The stored text, or `defaultValue` when the file, section or entry is
  // missing or the file cannot be read.
  std::string read(std::string_view section, std::string_view entry, std::string_view defaultValue,
                   std::string_view fileName) const;
  // Writes the entry; a missing value deletes it.  Creates the file (and the
  // settings directory, and its folders the name goes through) when needed.
  Status write(std::string_view section, std::string_view entry, std::optional<std::string_view> value,
               std::string_view fileName);
  Status remove(std::string_view section, std::string_view entry, std::string_view fileName) {
    return write(section, entry, std::nullopt, fileName);
  }

  // The whole file; an empty document when it does not exist.
  Result<IniDocument> load(std::string_view fileName) const;
  // Loads, lets `edit` change the document, and saves it when `edit`
  // returns ok, all under this object's lock, so that concurrent updates of
  // one process never lose each other's changes.
  Status update(std::string_view fileName, const std::function<Status(IniDocument&)>& edit);

 private:
  Result<IniDocument> loadPath(const std::filesystem::path& path) const;
  Status savePath(const std::filesystem::path& path, const IniDocument& doc) const;

  std::filesystem::path directory_;
  mutable std::mutex mu_;
};

// The name under which SettingsFiles finds the settings file `relativeName`
// ("BComuns\ctb.ini") kept with the data root `dataRoot`: on a directory
// root, its path there; a root on a database server holds no such files, so
// there the machine's settings directory keeps them under the same name.
std::string dataRootSettingsFile(const std::string& dataRoot, std::string_view relativeName);

}  // namespace vorlam
