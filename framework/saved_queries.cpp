#include "framework/saved_queries.h"

#include <algorithm>
#include <charconv>

#include "framework/messages.h"

namespace vorlam {
namespace {

std::string lineEntry(size_t n) { return std::string(kSavedQueryEntry) + "_" + std::to_string(n); }

size_t utf8Length(std::string_view s) {
  return std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

}  // namespace

void SavedQueryIndex::loadFrom(const IniDocument& doc) {
  std::vector<SavedQueryRef> loaded;
  std::string countText = doc.get(kSavedQuerySection, kSavedQueryEntry).value_or("");
  size_t count = 0;
  auto [end, ec] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
  if (ec != std::errc() || end != countText.data() + countText.size()) count = 0;
  for (size_t n = 1; n <= count && n <= 100000; ++n) {
    std::optional<std::string> line = doc.get(kSavedQuerySection, lineEntry(n));
    if (!line) continue;
    size_t a = line->find(','), b = a == std::string::npos ? a : line->find(',', a + 1);
    if (b == std::string::npos || line->find(',', b + 1) != std::string::npos) continue;
    loaded.push_back({cutUtf8(line->substr(0, a), kSavedQueryPartLength),
                      cutUtf8(line->substr(a + 1, b - a - 1), kSavedQueryPartLength),
                      cutUtf8(line->substr(b + 1), kSavedQueryPartLength)});
  }
  std::lock_guard lock(mu_);
  lines_ = std::move(loaded);
}

Status SavedQueryIndex::load(const SettingsFiles& files, std::string_view fileName) {
  Result<IniDocument> doc = files.load(fileName);
  loadFrom(doc ? *doc : IniDocument());
  return doc.status();
}

Status SavedQueryIndex::writeTo(IniDocument& doc) const {
  std::vector<SavedQueryRef> lines = this->lines();
  Status s = doc.set(kSavedQuerySection, kSavedQueryEntry, std::to_string(lines.size()));
  for (size_t n = 1; s && n <= lines.size(); ++n) {
    const SavedQueryRef& r = lines[n - 1];
    s = doc.set(kSavedQuerySection, lineEntry(n), r.first + "," + r.second + "," + r.third);
  }
  if (!s) return s;
  // Lines beyond the new count would be read back by nothing; drop them.
  const std::string prefix = std::string(kSavedQueryEntry) + "_";
  for (const std::string& entry : doc.entries(kSavedQuerySection)) {
    if (entry.size() <= prefix.size() || entry.compare(0, prefix.size(), prefix) != 0) continue;
    size_t n = 0;
    std::string_view digits = std::string_view(entry).substr(prefix.size());
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec == std::errc() && end == digits.data() + digits.size() && (n == 0 || n > lines.size()))
      doc.erase(kSavedQuerySection, entry);
  }
  return Status::ok();
}

Status SavedQueryIndex::save(SettingsFiles& files, std::string_view fileName) const {
  return files.update(fileName, [this](IniDocument& doc) { return writeTo(doc); });
}

Status SavedQueryIndex::add(const SavedQueryRef& ref) {
  for (const std::string* part : {&ref.first, &ref.second, &ref.third}) {
    if (part->find(',') != std::string::npos || utf8Length(*part) > kSavedQueryPartLength)
      return Status(StatusCode::kInvalidArgument,
                    "Nome de filtro salvo inválido (até 99 caracteres, sem vírgula): " + *part);
  }
  std::lock_guard lock(mu_);
  if (std::find(lines_.begin(), lines_.end(), ref) == lines_.end()) lines_.push_back(ref);
  return Status::ok();
}

bool SavedQueryIndex::remove(const SavedQueryRef& ref) {
  std::lock_guard lock(mu_);
  auto it = std::find(lines_.begin(), lines_.end(), ref);
  if (it == lines_.end()) return false;
  lines_.erase(it);
  return true;
}

bool SavedQueryIndex::contains(const SavedQueryRef& ref) const {
  std::lock_guard lock(mu_);
  return std::find(lines_.begin(), lines_.end(), ref) != lines_.end();
}

std::vector<SavedQueryRef> SavedQueryIndex::lines() const {
  std::lock_guard lock(mu_);
  return lines_;
}

}  // namespace vorlam
