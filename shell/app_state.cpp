#include "shell/app_state.h"

#include <utility>

namespace vorlam::shell {

std::string chartTypeDescription(int plContas, const std::string& previous) {
  if (plContas == kSharedCopy) return "Geral";
  if (plContas == kOwnCopy) return "Individual";
  return previous;
}

std::string AppSnapshot::pathFor(const std::string& binding) const {
  if (!bindings) return {};
  auto it = bindings->find(binding);
  return it == bindings->end() ? std::string() : it->second;
}

PathResolver AppSnapshot::resolver() const {
  return [names = bindings](const std::string& binding) {
    return AppSnapshot{{}, names, 0}.pathFor(binding);
  };
}

AppState::AppState(DataLocations locations)
    : locations_(std::move(locations)), names_(std::make_shared<const BindingMap>()) {}

AppSnapshot AppState::snapshot() const {
  std::lock_guard<std::mutex> lock(mu_);
  return AppSnapshot{company_, names_, generation_};
}

CurrentCompany AppState::company() const {
  std::lock_guard<std::mutex> lock(mu_);
  return company_;
}

std::string AppState::pathFor(const std::string& binding) const {
  std::shared_ptr<const BindingMap> names;
  {
    std::lock_guard<std::mutex> lock(mu_);
    names = names_;
  }
  auto it = names->find(binding);
  return it == names->end() ? std::string() : it->second;
}

PathResolver AppState::resolver() const {
  return [this](const std::string& binding) { return pathFor(binding); };
}

// Writers replace the map instead of editing it, so a reader holding an
// older map keeps a complete copy that never changes under it.
static std::shared_ptr<const BindingMap> merged(const std::shared_ptr<const BindingMap>& base,
                                                const BindingMap& names) {
  auto next = std::make_shared<BindingMap>(*base);
  for (const auto& [binding, path] : names) (*next)[binding] = path;
  return next;
}

void AppState::commit(const CurrentCompany& company, const BindingMap& names) {
  std::shared_ptr<const BindingMap> base;
  {
    std::lock_guard<std::mutex> lock(mu_);
    base = names_;
  }
  // Built outside the reader lock; writerMu_ keeps base current meanwhile.
  auto next = names.empty() ? base : merged(base, names);
  std::lock_guard<std::mutex> lock(mu_);
  names_ = std::move(next);
  company_ = company;
  ++generation_;
}

void AppState::bind(const BindingMap& names) {
  std::lock_guard<std::mutex> writer(writerMu_);
  commit(company(), names);
}

void AppState::setCompany(const CurrentCompany& company) {
  std::lock_guard<std::mutex> writer(writerMu_);
  commit(company, {});
}

void AppState::switchCompany(const CurrentCompany& company, const BindingMap& names) {
  std::lock_guard<std::mutex> writer(writerMu_);
  commit(company, names);
}

void AppState::transact(const Change& change) {
  std::lock_guard<std::mutex> writer(writerMu_);
  AppSnapshot before = snapshot();
  CurrentCompany company = before.company;
  BindingMap names;
  if (change) change(before, company, names);
  commit(company, names);
}

}  // namespace vorlam::shell
