#include "framework/window_state.h"

#include <algorithm>
#include <charconv>

namespace vorlam {
namespace {

std::optional<int> wholeNumber(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string_view s = *text;
  int value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return value;
}

// Moves `p` back onto the screen when no part of it is visible.
void keepOnScreen(WindowPlacement& p, ScreenArea screen) {
  if (screen.width <= 0 || screen.height <= 0) return;
  p.width = std::min(p.width, screen.width);
  p.height = std::min(p.height, screen.height);
  bool outside = p.x >= screen.width || p.y >= screen.height || p.x + p.width <= 0 || p.y + p.height <= 0;
  if (!outside) return;
  p.x = std::clamp(p.x, 0, std::max(0, screen.width - p.width));
  p.y = std::clamp(p.y, 0, std::max(0, screen.height - p.height));
}

}  // namespace

bool persistsWindowState(std::string_view procedure) {
  return std::find(kPersistingScreens.begin(), kPersistingScreens.end(), procedure) != kPersistingScreens.end();
}

WindowPlacement restorePlacement(const SavedWindowState& saved, const WindowPlacement& defined, bool resizable,
                                 ScreenArea screen) {
  if (saved.maximize != "Yes" && saved.maximize != "No") return defined;
  WindowPlacement p = defined;
  if (p.maximized && saved.maximize == "No") p.maximized = false;
  if (saved.x) p.x = *saved.x;
  if (saved.y) p.y = *saved.y;
  if (resizable) {
    if (saved.width && *saved.width > 0) p.width = *saved.width;
    if (saved.height && *saved.height > 0) p.height = *saved.height;
  }
  keepOnScreen(p, screen);
  if (saved.maximize == "Yes") p.maximized = true;
  if (saved.minimize == "Yes") p.minimized = true;
  return p;
}

SavedWindowState WindowStateStore::load(std::string_view section) const {
  SavedWindowState s;
  Result<IniDocument> doc = files_.load(fileName_);
  if (!doc) return s;
  s.maximize = doc->get(section, "Maximize");
  s.minimize = doc->get(section, "Minimize");
  s.x = wholeNumber(doc->get(section, "XPos"));
  s.y = wholeNumber(doc->get(section, "YPos"));
  s.width = wholeNumber(doc->get(section, "Width"));
  s.height = wholeNumber(doc->get(section, "Height"));
  return s;
}

WindowPlacement WindowStateStore::restore(std::string_view section, const WindowPlacement& defined, bool resizable,
                                          ScreenArea screen) const {
  return restorePlacement(load(section), defined, resizable, screen);
}

Status WindowStateStore::save(std::string_view section, const WindowPlacement& current, bool resizable) {
  return files_.update(fileName_, [&](IniDocument& doc) {
    Status s = doc.set(section, "Maximize", current.maximized ? "Yes" : "No");
    if (s) s = doc.set(section, "Minimize", current.minimized ? "Yes" : "No");
    if (!s) return s;
    if (current.maximized || current.minimized) {
      for (const char* entry : {"XPos", "YPos", "Width", "Height"}) doc.erase(section, entry);
      return Status::ok();
    }
    s = doc.set(section, "XPos", std::to_string(current.x));
    if (s) s = doc.set(section, "YPos", std::to_string(current.y));
    if (s && resizable) s = doc.set(section, "Width", std::to_string(current.width));
    if (s && resizable) s = doc.set(section, "Height", std::to_string(current.height));
    return s;
  });
}

}  // namespace vorlam
