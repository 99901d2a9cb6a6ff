// The index of saved list queries kept in "Vorlam.INI".
//
// Section "Sectors" holds "__Dont_Touch_Me__" = N and N lines
// "__Dont_Touch_Me___1" ... "__Dont_Touch_Me___N", each three parts joined
// by ",".  A line names the section of the same file that holds one saved
// query of a list screen: first part, "_", second part, "$$", third part.
// The index is loaded once at start-up and written back whole at shutdown;
// in between screens add and remove lines in memory.  Thread-safe.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "framework/settings_file.h"
#include "storage/status.h"

namespace vorlam {

inline constexpr std::string_view kSavedQuerySection = "Sectors";
inline constexpr std::string_view kSavedQueryEntry = "__Dont_Touch_Me__";
// Longest part of an index line, in characters.
inline constexpr size_t kSavedQueryPartLength = 99;

struct SavedQueryRef {
  std::string first, second, third;
  // "first_second$$third".
  std::string sectionName() const { return first + "_" + second + "$$" + third; }
  bool operator==(const SavedQueryRef&) const = default;
};

class SavedQueryIndex {
 public:
  SavedQueryIndex() = default;
  SavedQueryIndex(const SavedQueryIndex&) = delete;
  SavedQueryIndex& operator=(const SavedQueryIndex&) = delete;

  // Replaces the index with the one in `doc`.  A missing or non-numeric
  // count gives an empty index; a missing line, or one without exactly three
  // parts, is left out; parts are cut to kSavedQueryPartLength.
  void loadFrom(const IniDocument& doc);
  // loadFrom() over `fileName` of `files`; an unreadable file gives an empty
  // index and its status.
  Status load(const SettingsFiles& files, std::string_view fileName = "Vorlam.INI");
  // Writes the count, then one entry per line numbered from 1, and deletes
  // numbered lines left over from a longer index.
  Status writeTo(IniDocument& doc) const;
  Status save(SettingsFiles& files, std::string_view fileName = "Vorlam.INI") const;

  // Adds a line at the end, unless the index already has it.  Refuses parts
  // longer than kSavedQueryPartLength or containing ",".
  Status add(const SavedQueryRef& ref);
  // Removes the line; false when the index did not have it.
  bool remove(const SavedQueryRef& ref);
  bool contains(const SavedQueryRef& ref) const;
  std::vector<SavedQueryRef> lines() const;

 private:
  mutable std::mutex mu_;
  std::vector<SavedQueryRef> lines_;
};

}  // namespace vorlam
