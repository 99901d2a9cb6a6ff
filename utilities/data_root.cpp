#include "utilities/data_root.h"

#include <charconv>
#include <filesystem>
#include <string>
#include <string_view>

#include "shell/company_files.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/table_backend.h"

namespace vorlam::utilities {

namespace {

Status refused(std::string text) { return Status(StatusCode::kInvalidArgument, std::move(text)); }

// A whole number in [low, high]; false for anything else.
bool wholeIn(std::string_view text, long low, long high, long* value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
         *value >= low && *value <= high;
}

}  // namespace

Status parseRootSelection(const std::vector<std::string>& args, RootSelection* selection,
                          std::vector<std::string>* positional) {
  std::string root, company, year;
  bool haveCompany = false, haveYear = false;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      selection->help = true;
      return Status::ok();
    }
  }
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!a.starts_with("-")) {
      positional->push_back(a);
      continue;
    }
    size_t eq = a.find('=');
    std::string name = a.substr(0, eq);
    std::string* value = name == "--root"      ? &root
                         : name == "--company" ? &company
                         : name == "--year"    ? &year
                                               : nullptr;
    if (value == nullptr) return refused("argumento desconhecido: " + a);
    if (eq != std::string::npos) {
      *value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      *value = args[++i];
    } else {
      return refused("falta o valor de " + name);
    }
    if (value == &company) haveCompany = true;
    if (value == &year) haveYear = true;
  }
  if (root.empty()) return refused("informe --root");
  if (haveCompany != haveYear) return refused("informe --company e --year juntos");
  long code = 0, y = 0;
  if (haveCompany && !wholeIn(company, 1, 65535, &code))
    return refused("código de empresa inválido (use de 1 a 65535): " + company);
  if (haveYear && !wholeIn(year, 1801, 9998, &y))
    return refused("ano inválido (use de 1801 a 9998): " + year);
  std::error_code ec;
  if (isServerLocation(root)) {
    // A database on a server is no directory: it must answer as a data root.
    if (Status s = checkServerLocation(root); !s) return refused(s.message());
  } else if (!std::filesystem::is_directory(root, ec)) {
    return refused("diretório de dados não encontrado: " + root);
  }
  selection->root = root;
  selection->company = static_cast<uint16_t>(code);
  selection->year = static_cast<int>(y);
  return Status::ok();
}

namespace {

// bindingsFor() below; with `registered`, a company missing from the
// company file is refused (kNotFound) instead of bound as the shared chart.
Result<shell::BindingMap> companyBindings(const Dictionary& dict, const std::string& rootDir,
                                          uint16_t company, int year, bool registered) {
  std::error_code ec;
  std::string root = shell::withTrailingSeparator(
      isServerLocation(rootDir) ? rootDir : std::filesystem::absolute(rootDir, ec).lexically_normal().string());
  shell::AppState state(shell::locationsUnder(root));
  state.bind(shell::sharedFileNames(root));
  if (company == 0) return *state.snapshot().bindings;
  // Read-only: looking at a root must not convert, create or change a file.
  shell::CompanyFiles files(dict.find("Empresa"), dict.find("AltContratuais"), OpenMode::kReadOnly);
  Result<shell::CompanyRecord> rec = files.readCompany(state, company);
  if (!rec.isOk()) return rec.status();
  if (registered && !rec->found)
    return Status(StatusCode::kNotFound, "empresa " + std::to_string(company) + " não cadastrada em " +
                                             state.pathFor(shell::kEmpresaFile));
  shell::CurrentCompany c;
  c.codigo = company;
  c.ano = static_cast<uint16_t>(year);
  c.mes = shell::kWholeYear;
  c.razao = rec->razaoSocial;
  c.uf = rec->uf;
  // Selection takes a blank chart type or structure as 1.
  c.plContas = rec->plContas == 0 ? shell::kSharedCopy : rec->plContas;
  c.codPlanoContas = static_cast<uint16_t>(rec->codigoPlanoContas == 0 ? 1 : rec->codigoPlanoContas);
  c.lotes = rec->lotes;
  c.tipoFornecedor = rec->tipoFornecedor;
  c.tipoCfo = rec->tipoCfo;
  c.tipoContaIss = rec->tipoContaIss;
  files.selectCompany(state, c, *rec, /*createDirectories=*/false);
  return *state.snapshot().bindings;
}

}  // namespace

Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const std::string& rootDir,
                                      uint16_t company, int year) {
  return companyBindings(dict, rootDir, company, year, /*registered=*/false);
}

Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const RootSelection& selection) {
  Result<shell::BindingMap> names =
      companyBindings(dict, selection.root, selection.company, selection.year, /*registered=*/true);
  if (names.isOk() || names.status().is(StatusCode::kNotFound)) return names;
  return Status(names.status().code(),
                "não foi possível ler o cadastro de empresas: " + names.status().toString());
}

Status openBound(Table& table, const shell::BindingMap& names) {
  auto it = names.find(table.def().binding);
  if (table.def().binding.empty() || it == names.end() || it->second.empty())
    return Status(StatusCode::kNoName, "nenhum arquivo associado à tabela (informe --company e --year)",
                  table.def().label);
  if (!fileExists(it->second)) return makeStatus(StatusCode::kFileNotFound, it->second);
  return table.open(it->second, OpenMode::kReadOnly);
}

}  // namespace vorlam::utilities
