// The file names of the current company and working year.
//
// Most tables exist once per company (in the company's directory under the
// data root) and the journal and fiscal books once per company and year.
// nomeiaArquivosEmpresa() and nomeiaArquivosAno() compute those names,
// create the directories on the way and decide, for the chart of accounts
// and its companions, customers/suppliers, CFOP and service codes, whether
// the company uses its own copy or the one shared by all companies.  The
// settings in force for a period come from the contract-change history
// (`AltContratuais`): a change dated D keeps in `ALTCONT:OBS` the value the
// setting had before D.
//
// Directory creation never stops the naming: a directory that exists or
// cannot be created is passed over, and the names are bound whether or not
// the files exist.  Nothing here is reported to the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "shell/app_state.h"
#include "storage/record.h"
#include "storage/status.h"
#include "storage/table.h"
#include "storage/table_def.h"

namespace vorlam::shell {

// Binding names (TableDef::binding) the shell itself reads or builds.
inline constexpr char kEmpresaFile[] = "Empresas.dat";
inline constexpr char kAltContratuaisFile[] = "AltContr.dat";
inline constexpr char kPlanoContasFile[] = "PlCon###.dat";  // ### = structure in force

// Change codes of `AltContratuais` that carry time-varying settings.
inline constexpr int kChangeTipoFornecedor = 13;  // 1 character, EMP:TipoFornecedor
inline constexpr int kChangeTipoContaIss = 15;    // 1 character, EMP:TipoContaISS
inline constexpr int kChangeTipoCfo = 17;         // 1 character, EMP:TipoCFO
inline constexpr int kChangePlContas = 40;        // 1 character, EMP:PLContas
inline constexpr int kChangeCodigoPlano = 41;     // 3 characters, EMP:CodigoPlanoContas

// The values of a company record the shell uses.  Texts are UTF-8.
struct CompanyRecord {
  bool found = false;  // false: no record; every value below is zero/blank
  uint16_t codigo = 0;
  std::string razaoSocial;  // Emp:RazaoSocial
  std::string uf;           // EMP:UF
  int plContas = 0;         // EMP:PLContas
  int codigoPlanoContas = 0;  // EMP:CodigoPlanoContas
  int lotes = 0;            // EMP:Lotes
  int tipoFornecedor = 0;   // EMP:TipoFornecedor
  int tipoCfo = 0;          // EMP:TipoCFO
  int tipoContaIss = 0;     // EMP:TipoContaISS
};

// The values of an `Empresa` record buffer (fields looked up by name).
CompanyRecord companyRecordFrom(const Record& empresa);

// The directories of one company and year, as text.
struct CompanyDirectories {
  std::string company;  // root + code in eight digits
  std::string ctb, escrita, folha, livroCaixa;  // company + "Ctb", ...
  std::string ctbYear, escritaYear, folhaYear, livroCaixaYear;  // + year in four digits
};
CompanyDirectories companyDirectories(const std::string& root, uint16_t codigo, int ano);

// "PlCon" + structure in three digits + ".dat".
std::string chartFileName(int codPlanoContas);

// A text read as a number: leading blanks skipped, then the leading digits;
// 0 when there are none.
int numberFromText(std::string_view text);

// Valor_Vigente: the value of a time-varying company setting in force in a
// month.  `month` 0 means current.mes, 13 is taken as 12; `year` 0 means
// current.ano.  Looks, under key `AltCont:Key:Codigo`, for the first change
// of `code` of current.codigo dated on or after the first day of the month
// after the given one, and returns the first `length` characters of its
// `ALTCONT:OBS`; `defaultValue` when there is none, when the period gives no
// valid date, or when `altContratuais` is not open or cannot be read.  Moves
// the table's position and buffer.
std::string valorVigente(Table& altContratuais, const CurrentCompany& current, int code,
                         int length, int month, int year, std::string_view defaultValue);

// Chart type and account-code structure of a company.
struct ChartInForce {
  int plContas = 0;
  int codPlanoContas = 0;
  bool operator==(const ChartInForce&) const = default;
};

// PlanoVigente: the chart type (code 40) and structure (code 41) in force for
// `codigo` in `year`.  For each code, the first change dated after 1 January
// of `year` gives the value in force (changes dated exactly 1 January apply
// from that year on and are skipped); without one, `fromRecord` stands.  An
// observation that does not read as a number above 0 is passed over, since
// no chart type or structure 0 exists.  An unreadable table leaves
// `fromRecord`.
ChartInForce planoVigente(Table& altContratuais, uint16_t codigo, int year,
                          ChartInForce fromRecord);

// What Nomeia_Arquivos_Empresa produces.
struct CompanyNames {
  BindingMap names;
  int tipoFornecedor = 0;  // value in force, for GLO:EMPRESA:TIPOFORNECEDOR
};

// Nomeia_Arquivos_Empresa for `current` under `root`: creates the company
// directory and its "Ctb", "Escrita", "Folha" and "LivroCaixa" (when
// `createDirectories`), and names the company-level tables and the own or
// shared copies.  `record` gives the defaults of codes 13, 17 and 15;
// `altContratuais` may be closed (the defaults then apply).
CompanyNames nomeiaArquivosEmpresa(const std::string& root, const CurrentCompany& current,
                                   const CompanyRecord& record, Table& altContratuais,
                                   bool createDirectories = true);

// Nomeia_Arquivos_Ano for `current` under `root`: creates the year
// directories of "Ctb", "Folha", "LivroCaixa" and "Escrita" (when
// `createDirectories`) and names the year-level tables.
BindingMap nomeiaArquivosAno(const std::string& root, const CurrentCompany& current,
                             bool createDirectories = true);

// The naming routines applied to an AppState, with `Empresa` and
// `AltContratuais` opened (one Table per call) on the files bound
// in the state.  Every member is const and may be called from any thread.
class CompanyFiles {
 public:
  // Declarations of `Empresa` and `AltContratuais` (from the dictionary);
  // both must outlive this object.  `mode` is how existing files are
  // opened: shared lets the storage convert a file of an older layout on the
  // way, read-only never writes (an old-layout file then reads as absent).
  // Missing files are never created here.
  CompanyFiles(const TableDef* empresa, const TableDef* altContratuais,
               OpenMode mode = OpenMode::kShared);

  // The record of company `codigo` from the bound `Empresa` file.  A missing
  // file or record gives found = false; other failures their status.
  Result<CompanyRecord> readCompany(const AppState& state, uint16_t codigo) const;

  // Valor_Vigente for the state's current company and period.
  std::string valorVigente(const AppState& state, int code, int length, int month, int year,
                           std::string_view defaultValue) const;

  // PlanoVigente for the state's current company and year: replaces the
  // chart type and structure in force (TPCONTAS_DESC is left to the caller).
  void planoVigente(AppState& state) const;

  // Nomeia_Arquivos_Empresa on the state: binds the names and stores the
  // customer/supplier type in force, in one step.  `record` stands for the
  // caller's `Empresa` buffer.
  void nomeiaArquivosEmpresa(AppState& state, const CompanyRecord& record,
                             bool createDirectories = true) const;
  // Nomeia_Arquivos_Ano on the state.
  void nomeiaArquivosAno(AppState& state, bool createDirectories = true) const;

  // Closing a company selection, as one atomic step: `company` becomes
  // current with the chart type and structure in force in its year
  // (PlanoVigente), TPCONTAS_DESC follows the chart type, and, when a company
  // is set, both naming routines bind its names.  Concurrent readers see
  // either the previous company with its names or this one with its names.
  void selectCompany(AppState& state, CurrentCompany company, const CompanyRecord& record,
                     bool createDirectories = true) const;

 private:
  // Opens AltContratuais on the snapshot's binding; the table may stay
  // closed (missing file), which every reader treats as no history.
  void openHistory(const AppSnapshot& s, Table& table) const;

  const TableDef* empresa_;
  const TableDef* altContratuais_;
  OpenMode mode_;
};

}  // namespace vorlam::shell
