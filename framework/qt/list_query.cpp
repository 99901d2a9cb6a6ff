#include "framework/qt/list_query.h"

#include "storage/text.h"

namespace vorlam::qt {

namespace {

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

bool isBlank(std::string_view s) { return trimmed(s).empty(); }

}  // namespace

ListQueryStore::ListQueryStore(SavedQueryIndex& index, SettingsFiles& files, std::string procedure,
                               std::string table, std::string fileName)
    : index_(index),
      files_(files),
      procedure_(std::move(procedure)),
      table_(std::move(table)),
      fileName_(std::move(fileName)) {}

SavedQueryRef ListQueryStore::refOf(std::string_view name) const {
  return SavedQueryRef{procedure_, table_, trimmed(name)};
}

std::vector<std::string> ListQueryStore::names() const {
  std::vector<std::string> out;
  for (const SavedQueryRef& ref : index_.lines())
    if (ref.first == procedure_ && ref.second == table_) out.push_back(ref.third);
  return out;
}

Result<SavedQuery> ListQueryStore::load(std::string_view name) const {
  const SavedQueryRef ref = refOf(name);
  if (!index_.contains(ref)) return Status(StatusCode::kNotFound, "Filtro não encontrado: " + ref.third);
  Result<IniDocument> doc = files_.load(fileName_);
  if (!doc.isOk()) return doc.status();
  SavedQuery query{ref.third, {}};
  const std::string section = ref.sectionName();
  for (const std::string& entry : doc->entries(section))
    query.values.emplace_back(entry, doc->get(section, entry).value_or(std::string()));
  return query;
}

Status ListQueryStore::save(const SavedQuery& query) {
  const SavedQueryRef ref = refOf(query.name);
  if (ref.third.empty()) return Status(StatusCode::kInvalidArgument, "Informe o nome do filtro!!!");
  if (ref.third.find_first_of(",]") != std::string::npos)
    return Status(StatusCode::kInvalidArgument, "O nome do filtro não pode conter \",\" nem \"]\"!!!");
  if (utf8ToLatin1(ref.third).size() > kSavedQueryPartLength)
    return Status(StatusCode::kInvalidArgument, "O nome do filtro pode ter no máximo 99 caracteres!!!");
  if (query.values.empty())
    return Status(StatusCode::kInvalidArgument, "Informe ao menos um valor para o filtro!!!");
  const std::string section = ref.sectionName();
  Status s = files_.update(fileName_, [&](IniDocument& doc) {
    doc.eraseSection(section);
    for (const auto& [field, value] : query.values) {
      // Quoted, so that leading blanks and quotes of the typed text survive
      // the file's trimming of values.
      Status set = doc.set(section, field, "\"" + value + "\"");
      if (!set.isOk()) return set;
    }
    return Status();
  });
  if (!s.isOk()) return s;
  return index_.add(ref);
}

Status ListQueryStore::remove(std::string_view name) {
  const SavedQueryRef ref = refOf(name);
  if (!index_.remove(ref)) return Status(StatusCode::kNotFound, "Filtro não encontrado: " + ref.third);
  const std::string section = ref.sectionName();
  return files_.update(fileName_, [&](IniDocument& doc) {
    doc.eraseSection(section);
    return Status();
  });
}

SavedQuery savedQueryOf(std::string name, const std::vector<QueryColumn>& columns) {
  SavedQuery query{std::move(name), {}};
  for (const QueryColumn& c : columns)
    if (!isBlank(c.value)) query.values.emplace_back(c.field, c.value);
  return query;
}

std::vector<QueryColumn> withSavedValues(std::vector<QueryColumn> columns, const SavedQuery& query) {
  for (QueryColumn& c : columns) {
    c.value.clear();
    for (const auto& [field, value] : query.values)
      if (sameName(field, c.field)) c.value = value;
  }
  return columns;
}

}  // namespace vorlam::qt
