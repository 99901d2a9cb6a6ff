#include "shell/company_selection.h"

namespace vorlam::shell {

std::string monthDescription(int mes, const std::string& previous) {
  static const char* const kNames[] = {"Janeiro", "Fevereiro", "Março",    "Abril",
                                       "Maio",    "Junho",     "Julho",    "Agosto",
                                       "Setembro", "Outubro",  "Novembro", "Dezembro",
                                       "Todo o Ano"};
  if (mes < 1 || mes > 13) return previous;
  return kNames[mes - 1];
}

void preparePeriod(CurrentCompany& company, const CivilDate& today) {
  if (company.codigo == 0) company.ano = 0;
  if (company.ano == 0) {
    company.ano = static_cast<uint16_t>(today.year);
    company.mes = today.month;
  }
}

Handover handoverFrom(int value) {
  if (value == 2) return Handover::kPreset;
  if (value == 3) return Handover::kLocked;
  return Handover::kFree;
}

bool applyRepair(Record& empresa, Repair repair) {
  switch (repair) {
    case Repair::kChartType:
      if (empresa.getInt("EMP:PLContas") != 0) return false;
      return empresa.setInt("EMP:PLContas", 1).isOk();
    case Repair::kStructure:
      if (empresa.getInt("EMP:CodigoPlanoContas") != 0) return false;
      // A structure-1 chart starts with the suite's standard group accounts.
      (void)empresa.setInt("EMP:CodigoPlanoContas", 1);
      (void)empresa.setText("EMP:GrupoFornecedor", "2.1.1.04");
      (void)empresa.setText("EMP:GrupoCliente", "1.1.2.01");
      return true;
    case Repair::kResponsible: {
      int64_t escrita = empresa.getInt("EMP:CodRespEscr");
      if (empresa.getInt("EMP:CodRespCTB") != 0 || escrita == 0) return false;
      return empresa.setInt("EMP:CodRespCTB", escrita).isOk();
    }
  }
  return false;
}

std::string repairFailureMessage(Repair repair, int errorNumber) {
  const char* text = repair == Repair::kResponsible ? "Atenção!!! Erro no responsável : "
                                                    : "Atenção!!! Erro no plano de contas : ";
  return text + std::to_string(errorNumber);
}

void takeCompanyRecord(CurrentCompany& company, const CompanyRecord& record) {
  company.uf = record.uf;
  company.razao = record.razaoSocial;
  company.plContas = record.plContas;
  company.codPlanoContas = static_cast<uint16_t>(record.codigoPlanoContas);
  company.lotes = record.lotes;
  company.tipoFornecedor = record.tipoFornecedor;
  company.tipoCfo = record.tipoCfo;
  company.tipoContaIss = record.tipoContaIss;
  company.tpContasDesc = chartTypeDescription(company.plContas, company.tpContasDesc);
}

SelectionMemo rememberSelection(const CurrentCompany& company) {
  return {company.codigo, company.razao, company.uf, company.plContas, company.codPlanoContas};
}

void restoreSelection(CurrentCompany& company, const SelectionMemo& memo) {
  company.codigo = memo.codigo;
  company.razao = memo.razao;
  company.uf = memo.uf;
  company.plContas = memo.plContas;
  company.codPlanoContas = memo.codPlanoContas;
}

bool mayCloseSelection(const CurrentCompany& company, Handover handover) {
  return company.codigo != 0 || handover == Handover::kLocked;
}

}  // namespace vorlam::shell
