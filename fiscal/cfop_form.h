// The CFOP form `UCFO` ("Atualização da Tabela do C.F.O") without its window:
// one record of `CFO` inserted, changed, deleted or viewed, on three tabs
// ("&Programa Lançamentos", "Integração C&ontabil", "Integração Contabil -
// 2"), with the rules that tie its fields together:
//
//  - the code: editable (with its complement) only on insert; accepted, it
//    takes its picture for the working year ("@n5" from 2003; before, "@n4"
//    below 1000 and "@p###.#p" from 1000), fills the contributor and the
//    GIA/MS code while they are 0, shows the income-tax rate for the codes
//    that have one, and hides the ICMS-at-source group of exit codes (the
//    third tab then reads "Integração Livro Caixa").  A code of 1000 or more
//    before 2003 outside São Paulo is refused with "CFO Incorreto".  A code
//    beyond the signed 16-bit field (above 32767) is refused, never wrapped;
//  - the ICMS and IPI treatments show and hide their rate, base reduction
//    and 50% reduction; "Cálculo dos Impostos" enables the six tax flags;
//  - the posting groups follow fiscal/posting_accounts.h;
//  - "&Grava" without "Cálculo dos Impostos" puts the focus there; the
//    state check is made again, so that a refused code is never saved.
//
// With the posting-account switch on, a company without a structure code or
// chart type cannot post: the form says so and closes.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <memory>
#include <string>

#include "fiscal/posting_accounts.h"
#include "framework/form_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kCfopFormProcedure[] = "UCFO";
inline constexpr char kCfopFormTitle[] = "Atualização da Tabela do C.F.O";

inline constexpr char kCfopStateRefused[] = "CFOP maiores que 999 opção disponível somente para o estado de São Paulo";
inline constexpr char kCfopStateRefusedTitle[] = "CFO Incorreto";

// What the form needs of the current company and period.
struct CfopEnvironment {
  int year = 0;             // GLO:ANO
  std::string state;        // GLO:EMPRESA:UF, for new codes
  bool postingChecked = false;
  int plContas = 0;           // EMP:PLContas of the company record
  int codigoPlanoContas = 0;  // EMP:CodigoPlanoContas
};

class CfopForm {
 public:
  // `table` is the screen's open `CFO`; it, `context` and `lookup` must
  // outlive the form.
  CfopForm(ScreenContext& context, Table& table, Request request, PostingLookup& lookup, CfopEnvironment env);

  // Insert: a blank code of the environment's state.  Otherwise the stored
  // record `recordId` (message 1 and kClosed when it cannot be read).  A
  // company that cannot post closes the form (kClosed).
  FormState open(int64_t recordId = 0);

  FormController& controller() { return form_; }
  PostingRules& postings() { return postings_; }
  // The code field's picture now.
  const std::string& codePicture() const { return codePicture_; }
  bool icmsSourceShown() const;
  std::string thirdTabCaption() const;

  // The screen; it closes when the form completes or is cancelled.  The
  // search buttons open what `opener` gives.
  ScreenModel& screen() { return model_; }
  void setSearch(PostingRules::Opener opener, PostingRules::Available available) {
    postings_.setOpener(std::move(opener), std::move(available));
  }

 private:
  void declareRules();
  void declareScreen();
  void declareFields();
  void declarePostings();
  void declareButtons();
  bool companyCanPost();
  void applyShown();
  void codeAccepted();
  bool stateAccepted();
  void icmsAccepted(bool opening);
  void ipiAccepted(bool opening);
  void taxCalculationAccepted(bool opening);
  void showIncomeTaxRate();
  bool checkSave(FormController& form);
  void set(int field, int64_t value);
  int code() const;
  int field(const char* name) const { return form_.fieldIndex(name); }

  ScreenContext& ctx_;
  FormController form_;
  CfopEnvironment env_;
  PostingRules postings_;
  std::string codePicture_;
  bool applying_ = false;
  int tab_ = 0;  // the screen tab shown
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
