#include "shell/screen_registry.h"

#include <algorithm>

namespace vorlam::shell {

std::optional<Request> ScreenRequest::formRequest(Request fallback) const {
  if (mode.empty()) return fallback;
  if (mode == "insert") return Request::kInsert;
  if (mode == "change") return Request::kChange;
  if (mode == "delete") return Request::kDelete;
  if (mode == "view") return Request::kView;
  return std::nullopt;
}

HostedScreen::HostedScreen(ScreenServices& services)
    : services_(services),
      errors_(services.session().errorServices(), services.dialogs(), services.session().application()),
      context_{services.session().dictionary(), services.session().state().resolver(), errors_, services.writes()} {}

bool ScreenRegistry::add(std::string procedure, ScreenFactory factory) {
  if (find(procedure) != nullptr) return false;
  screens_.emplace_back(std::move(procedure), std::move(factory));
  return true;
}

bool ScreenRegistry::addMenuItem(std::string item, std::string procedure) {
  return menu_.emplace(std::move(item), std::move(procedure)).second;
}

const ScreenFactory* ScreenRegistry::find(std::string_view procedure) const {
  auto it = std::find_if(screens_.begin(), screens_.end(),
                         [&](const auto& entry) { return sameName(entry.first, procedure); });
  return it == screens_.end() ? nullptr : &it->second;
}

std::string ScreenRegistry::procedureOf(std::string_view item) const {
  auto it = menu_.find(item);
  return it == menu_.end() ? std::string() : it->second;
}

std::vector<std::string> ScreenRegistry::procedures() const {
  std::vector<std::string> names;
  for (const auto& entry : screens_) names.push_back(entry.first);
  return names;
}

Result<std::unique_ptr<Screen>> openRegistered(const ScreenRegistry& registry, ScreenServices& services,
                                               std::string_view procedure, const ScreenRequest& request) {
  const ScreenFactory* factory = registry.find(procedure);
  if (factory == nullptr) return Status(StatusCode::kNotFound, "tela desconhecida", std::string(procedure));
  Result<std::unique_ptr<Screen>> built = (*factory)(services, request);
  if (!built.isOk()) return built.status();
  std::unique_ptr<Screen> screen = std::move(built).value();
  services.attach(screen->model());
  if (Status s = screen->open(); !s) return s;
  return screen;
}

std::vector<std::string> runLookup(ScreenServices& services, ScreenModel& parent, std::string_view procedure) {
  if (!services.has(procedure)) return {};
  Result<std::unique_ptr<Screen>> child = services.open(procedure, {.mode = "select"});
  if (!child.isOk() || !child.value()) return {};
  Screen& screen = *child.value();
  if (!screen.model().closed()) parent.runChild(screen.model());
  return screen.chosenKeys();
}

}  // namespace vorlam::shell
