// Saved window state of the screens that keep one.
//
// Seven screens save their position, size and maximised/minimised state in
// "Vorlam.INI", one section per screen named after its procedure, with the
// entries Maximize and Minimize ("Yes"/"No") and XPos, YPos, Width, Height.
// This is the toolkit-free model: restore() says what geometry and state a
// window gets when it opens; save() writes what it had when it closed.  The
// user interface applies and reads the real window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "framework/settings_file.h"
#include "storage/status.h"

namespace vorlam {

// The section names of the screens that persist their window state.
inline constexpr std::array<std::string_view, 7> kPersistingScreens = {
    "Main", "WLegenda", "BFuncionarios", "Calcula", "Baixa_Duplicata_ISS51", "Baixa_Duplicata_ISS53",
    "Baixa_Duplicatas_Saidas"};
// True for one of kPersistingScreens (exact spelling).
bool persistsWindowState(std::string_view procedure);

inline constexpr std::string_view kWindowStateFile = "Vorlam.INI";

struct WindowPlacement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
  bool minimized = false;
  bool operator==(const WindowPlacement&) const = default;
};

// The desktop the window opens on; a zero size means unknown (nothing is
// pulled back onto the screen then).
struct ScreenArea {
  int width = 0;
  int height = 0;
};

// The entries of one section as read.  Numbers that are absent, or not whole
// numbers, are unset.
struct SavedWindowState {
  std::optional<std::string> maximize;
  std::optional<std::string> minimize;
  std::optional<int> x, y, width, height;
};

// What a window opening with `defined` (its definition's geometry and
// maximised state) gets:
//   1. unless Maximize is exactly "Yes" or "No", nothing changes;
//   2. a window maximised by definition is un-maximised for "No";
//   3. the position is taken from XPos/YPos, each when set;
//   4. a resizable window takes Width/Height, each when set and above 0;
//   5. "Yes" maximises; Minimize "Yes" minimises.
// A window that would end up wholly outside a known screen is moved back
// onto it (and made no larger than the screen), so that a section saved on
// a larger desktop never leaves the window out of reach.
WindowPlacement restorePlacement(const SavedWindowState& saved, const WindowPlacement& defined, bool resizable,
                                 ScreenArea screen);

class WindowStateStore {
 public:
  // `files` must outlive the store.  The store is as thread-safe as files.
  explicit WindowStateStore(SettingsFiles& files, std::string fileName = std::string(kWindowStateFile))
      : files_(files), fileName_(std::move(fileName)) {}

  SavedWindowState load(std::string_view section) const;
  // restorePlacement() over the saved section.
  WindowPlacement restore(std::string_view section, const WindowPlacement& defined, bool resizable,
                          ScreenArea screen) const;
  // Writes Maximize and Minimize; for a window neither maximised nor
  // minimised also XPos and YPos, and Width and Height when resizable;
  // otherwise deletes those four entries.  One write of the file.
  Status save(std::string_view section, const WindowPlacement& current, bool resizable);

 private:
  SettingsFiles& files_;
  std::string fileName_;
};

}  // namespace vorlam
