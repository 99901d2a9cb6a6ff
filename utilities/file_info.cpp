#include "utilities/file_info.h"

#include "storage/table.h"
#include "storage/table_backend.h"
#include "utilities/data_root.h"

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

std::string maintenanceErrorText(const Status& s) {
  return "Error " + std::to_string(s.errorNumber()) + " : " + s.message();
}

FileInfo describeFile(const Dictionary& dict, const shell::BindingMap& names,
                      const MaintainedFile& file, const Table::Progress& progress) {
  FileInfo info;
  info.label = file.label;
  info.description = file.description;
  const TableDef* def = dict.find(file.label);
  if (def == nullptr) {
    info.status = Status(StatusCode::kInvalidArgument, "tabela desconhecida", file.label);
  } else {
    Table table(def);
    info.status = openBound(table, names);
    auto bound = names.find(def->binding);
    if (bound != names.end()) info.path = displayPath(bound->second);
    if (info.status) {
      // The count shown is that of the records read back sound: a damaged
      // file never shows a count.
      int64_t n = 0;
      info.status = table.verifyFile(&n, progress);
      if (info.status) info.count = std::to_string(n);
      info.name = displayPath(table.path());
      Result<int64_t> bytes = table.storedBytes();
      if (bytes) info.bytes = *bytes;
    }
  }
  if (!info.status) {
    info.count = "?";
    info.name = maintenanceErrorText(info.status);
  }
  return info;
}

std::vector<FileInfo> describeMaintainedFiles(const Dictionary& dict,
                                              const shell::BindingMap& names) {
  std::vector<FileInfo> out;
  for (const MaintainedFile& f : maintainedFiles()) out.push_back(describeFile(dict, names, f));
  return out;
}

}  // namespace vorlam::utilities
