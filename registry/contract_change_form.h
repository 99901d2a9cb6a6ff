// The contract-change form `UAltContratuais` ("Alterações Contratuais"): one
// dated change of a company's registration, opened from the contract-change
// list of the company form.
//
// Request convention: for insert, ScreenRequest::keys = {company code
// (EMP:Codigo)}, which primes `ALTCONT:CODIGO`; for change, delete and
// view, the row's primary key as primaryKeyTexts() gives it.  The table has
// no primary key, so that is the record id; the three values of
// `AltCont:Key:Codigo` (company, change code, date as a day number) are
// taken too and name the first record of that key.
//
// Rules:
//  - captions "Incluindo uma Alteração Contratual", "Alterando uma Alteração
//    Contratual", "Excluindo uma Alteração Contratual", "View Record";
//  - the change code is chosen from `CodAltContratuais` (a code any number
//    when that table is empty); whenever it is chosen, and on opening a
//    stored record, its description is shown beside it and the value
//    ("0&3-Capital Social") is enabled for code 3 and disabled for any
//    other.  A code without a description leaves the value as it was.
//    Inserting, the value starts disabled and the focus is on the code;
//  - deleting, "&Grava" reads "&Exclui" and every field is read-only;
//  - Down and Up move between the fields (on the change code's drop list
//    they keep their list meaning); F6 on an entry opens the desk
//    calculator ("Calcula", when it is built) with the field's text and
//    types back into the field the result it hands back (chosenKeys()).
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::registry {

inline constexpr char kContractChangeFormProcedure[] = "UAltContratuais";
inline constexpr char kCalculatorProcedure[] = "Calcula";

class ContractChangeForm : public shell::HostedScreen {
 public:
  ContractChangeForm(shell::ScreenServices& services, Request request, std::vector<std::string> keys);
  ~ContractChangeForm() override;
  ScreenModel& model() override { return model_; }
  Status open() override;
  FormController& form() { return *form_; }

 private:
  void declare();
  // Reads the code's description; enables the value for code 3.
  void codeChosen();
  void calculate();

  Request request_;
  std::vector<std::string> keys_;
  Table changes_, codes_, empresa_;
  FormDefinition definition_;
  std::unique_ptr<FormController> form_;
  ScreenModel model_;
  int code_ = -1, value_ = -1;
  std::string companyName_, description_;
  std::vector<ControlChoice> choices_;
};

}  // namespace vorlam::registry
