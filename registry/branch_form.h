// The branch form `UFiliais` ("Cadastro de Filiiais"): one head-office /
// branch pair of `Filiais`, opened from the branch list of the company form.
//
// Request convention (every child form of the company form keeps it): for
// insert, ScreenRequest::keys = {head-office company code (EMP:Codigo)},
// which primes `Filiais:Matriz`; for change, delete and view, the row's
// primary key in key order = {Filiais:Matriz, Filiais:Filial}.
//
// Rules:
//  - captions "Inclusão de filial", "Alteração de filial", "Exclusão de
//    filial" and, for view, "Visualização das Filiais";
//  - the branch code and its search ("Pesquisa empresa.", the company
//    search `PesquisaEmpresas` in select mode) are editable only when
//    inserting; deleting, "&Gravar" reads "&Exclui";
//  - completing the branch code shows the company's name and number (its
//    CNPJ or CPF by its own inscription type, masked), or opens the company search when no company has that
//    code;
//  - saving an insert checks, in order: a branch whose CNPJ root (first 8
//    positions) differs from the head office's asks whether to go on ("&Não"
//    stops); a company that already is some head office's branch, or that is
//    itself a head office of others, is refused.  A branch that names no
//    company opens the company search again, and the head office itself is
//    refused as its own branch.  After a stop the focus is on the branch
//    code.  Changing a pair runs none of these checks.
//
// Not thread-safe: the form runs on its screen's thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/form_controller.h"
#include "shell/screen_registry.h"
#include "storage/table.h"

namespace vorlam::registry {

inline constexpr char kBranchFormProcedure[] = "UFiliais";
inline constexpr char kCompanySearchProcedure[] = "PesquisaEmpresas";

class BranchForm : public shell::HostedScreen {
 public:
  BranchForm(shell::ScreenServices& services, Request request, std::vector<std::string> keys);
  ~BranchForm() override;
  ScreenModel& model() override { return model_; }
  // kNotFound when the keys name no pair, kInvalidArgument when they are
  // missing.
  Status open() override;

  FormController& form() { return *form_; }
  // Played before the save checks' messages (the system's beep).
  void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

 private:
  void declare();
  Status branchAccepted();
  bool chooseCompany();
  // Reads company `code` into the second company view; false when absent.
  bool readCompany(int64_t code);
  // Name and number of the company just read.
  void showCompany(bool found);
  bool checkSave();
  bool stop(const std::string& text);

  Request request_;
  std::vector<std::string> keys_;
  Table filiais_, filiais0_, empresa0_;
  FormDefinition definition_;
  std::unique_ptr<FormController> form_;
  ScreenModel model_;
  int branch_ = -1;
  int64_t head_ = 0;
  std::string headCnpj_;
  std::string name_, number_;
  std::function<void()> beep_;
};

}  // namespace vorlam::registry
