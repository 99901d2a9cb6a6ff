#include "utilities/data_root.h"

#include <filesystem>
#include <ostream>

#include "shell/company_files.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "storage/text.h"

namespace vorlam::utilities {

namespace {

constexpr MaintainedFile kMaintained[] = {
    {"ACFuncionarios", "Tabela de alterações no cadastro de funcionários"},
    {"AltContratuais", "Alterações Contratuais da Empresa"},
    {"CFO", "Tabela de Códigos do CFO"},
    {"CNAE", "Tabela de Códigos do CNAE"},
    {"CodAltContratuais", "Códigos de Alterações Contratuais"},
    {"Conciliacao", "Arquivo das Somas do Cálculo"},
    {"ConfPlanoContas", "Configura os Planos de Contas"},
    {"ConfiguracaoGrupos", "Arquivo da configuração dos grupos da contabilidade"},
    {"Configuracao_Contas_ISS_Integracao", "Configuração das contas de ISS para integação"},
    {"Contas_Integracao_Contabil", "Contas de integração contábil"},
    {"CtaISS", "Plano de Contas do ISS"},
    {"DasTagFileInd", "Arquivo que Grava as Empresas Selecionadas Individualmente"},
    {"Departamento", "Tabela de departamento"},
    {"Diario", "Diário da Contabilidade"},
    {"Empresa", "Arquivo de Empresas"},
    {"Estados", "Tabela de Estados da Feredação"},
    {"Filiais", "Tabela com as filiais da empresa"},
    {"ForCli", "Arquivo de Fornecedores & Clientes"},
    {"Funcionarios", "Funcionários"},
    {"Historico", "Historico Padrão da Contabilidade"},
    {"ISS51", "Lançamentos das Notas de ISS Modelo 51"},
    {"ISS53", "Lançamentos das Notas de ISS Modelo 53"},
    {"LanPadrao", "Lançamento Padrão"},
    {"Municipios", "Tabela de Municipios"},
    {"ParcPagas", "Tabela das parcelas pagas"},
    {"ParcRegEntrada", "Parcelas das NF Entrada"},
    {"ParcRegISS51", "Parcelas das NF ISS51"},
    {"ParcRegISS53", "Parcelas das NF ISS53"},
    {"ParcRegSaida", "Parcelas das NF Saida"},
    {"PlanoContas", "Plano de Contas"},
    {"RegEntrada", "Lançamento das Notas de Entrada"},
    {"RegSaida", "Lançamento das Notas de Saída"},
    {"Secao", "Tabela de seções"},
    {"Setor", "Tabela de setores"},
};

}  // namespace

std::span<const MaintainedFile> maintainedFiles() { return kMaintained; }

Result<shell::BindingMap> bindingsFor(const Dictionary& dict, const std::string& rootDir,
                                      uint16_t company, int year) {
  std::error_code ec;
  std::string root = shell::withTrailingSeparator(
      std::filesystem::absolute(rootDir, ec).lexically_normal().string());
  shell::AppState state(shell::locationsUnder(root));
  state.bind(shell::sharedFileNames(root));
  if (company == 0) return *state.snapshot().bindings;
  // Read-only: looking at a root must not convert, create or change a file.
  shell::CompanyFiles files(dict.find("Empresa"), dict.find("AltContratuais"), OpenMode::kReadOnly);
  Result<shell::CompanyRecord> rec = files.readCompany(state, company);
  if (!rec.isOk()) return rec.status();
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

Status openBound(Table& table, const shell::BindingMap& names) {
  auto it = names.find(table.def().binding);
  if (table.def().binding.empty() || it == names.end() || it->second.empty())
    return Status(StatusCode::kNoName, "nenhum arquivo associado à tabela (informe --company e --year)",
                  table.def().label);
  if (!fileExists(it->second)) return makeStatus(StatusCode::kFileNotFound, it->second);
  return table.open(it->second, OpenMode::kReadOnly);
}

std::string maintenanceErrorText(const Status& s) {
  return "Error " + std::to_string(s.errorNumber()) + " : " + s.message();
}

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string q = "\"";
  for (char c : text) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

Status exportCsv(Table& table, std::ostream& out) {
  const TableDef& def = table.def();
  std::string line;
  for (size_t f = 0; f < def.fields.size(); ++f) {
    const FieldDef& fd = def.fields[f];
    for (int e = 0; e < fd.dim; ++e) {
      if (!line.empty()) line += ',';
      line += csvField(latin1ToUtf8(fd.dim == 1 ? fd.name : fd.name + "[" + std::to_string(e + 1) + "]"));
    }
  }
  out << line << "\r\n";
  int key = def.primaryKey();
  if (Status s = table.seekStart(key >= 0 ? key : kFileOrder); !s) return s;
  const Record& r = table.buffer();
  while (true) {
    Status s = table.next();
    if (s.is(StatusCode::kNotFound)) break;
    if (!s) return s;
    line.clear();
    bool first = true;
    for (size_t f = 0; f < def.fields.size(); ++f) {
      for (int e = 0; e < def.fields[f].dim; ++e) {
        if (!first) line += ',';
        first = false;
        std::string v = r.getAsText(static_cast<int>(f), e);
        line += csvField(def.fields[f].isText() ? latin1ToUtf8(v) : v);
      }
    }
    out << line << "\r\n";
  }
  return out ? Status::ok() : Status(StatusCode::kIoError, "falha ao escrever a saída");
}

}  // namespace vorlam::utilities
