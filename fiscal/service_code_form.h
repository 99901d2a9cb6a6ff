// The service-code form `UPlanoISS` ("Código do Serviço") without its
// window: one record of `CtaISS` inserted, changed, deleted or viewed, on the
// tabs "Cadastro / Integração Contábil" (code, sub-code, description,
// nickname, income-tax base, service-tax rate, cash and term values) and
// "Integração Contábil" (exempt values, withheld income tax, withheld INSS).
//
// The five posting groups follow fiscal/posting_accounts.h, as the CFOP
// form's, with this form's differences: an account not found or synthetic
// stays in the field ("Conta X é uma conta Sintética!!!", in lower case),
// and the history of "Valor de I.N.S.S.R.F." is not checked.  The code is
// editable only on insert.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <string>

#include "fiscal/posting_accounts.h"
#include "framework/form_controller.h"
#include "framework/screen_context.h"
#include "framework/screen_model.h"
#include "storage/table.h"

namespace vorlam::fiscal {

inline constexpr char kServiceFormProcedure[] = "UPlanoISS";
inline constexpr char kServiceFormTitle[] = "Código do Serviço";

class ServiceCodeForm {
 public:
  // `table` is the screen's open `CtaISS`; it, `context` and `lookup` must
  // outlive the form.  `checked`: the posting-account switch is on.
  ServiceCodeForm(ScreenContext& context, Table& table, Request request, PostingLookup& lookup, bool checked);

  // Insert: a blank code.  Otherwise the stored record `recordId` (message 1
  // and kClosed when it cannot be read).
  FormState open(int64_t recordId = 0);

  FormController& controller() { return form_; }
  PostingRules& postings() { return postings_; }
  ScreenModel& screen() { return model_; }
  void setSearch(PostingRules::Opener opener, PostingRules::Available available) {
    postings_.setOpener(std::move(opener), std::move(available));
  }

 private:
  void declareScreen();

  ScreenContext& ctx_;
  FormController form_;
  PostingRules postings_;
  int tab_ = 0;  // the screen tab shown
  ScreenModel model_;
};

}  // namespace vorlam::fiscal
