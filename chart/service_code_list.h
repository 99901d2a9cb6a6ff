// The service-code list `BPlanoISS` ("Visualização do Plano de Contas do
// ISS") of the current company: the codes of `CtaISS` in code order with
// the accounts their service-tax invoices are posted to.
//
// Insert, change and delete open the service-code form `UPlanoISS` of the
// fiscal screens by procedure name, on the highlighted code; view is
// refused.  While no screen of that name is registered the three buttons
// are disabled.  Opened to select ("&Seleciona" the default), chosenKeys()
// gives the chosen code and sub-code.
//
// Not thread-safe: the list runs on its screen's thread.
#pragma once

#include <memory>
#include <optional>

#include "framework/list_controller.h"
#include "shell/screen_registry.h"

namespace vorlam::chart {

inline constexpr char kServiceCodeListProcedure[] = "BPlanoISS";
inline constexpr char kServiceCodeListTitle[] = "Visualização do Plano de Contas do ISS";
inline constexpr char kServiceCodeFormProcedure[] = "UPlanoISS";
inline constexpr char kServiceCodeListFormat[] =
    "57R(2)|_M~Código~@n13@34R(2)|_M~Sub Cód Serviço~L@n3@167L(2)|_M~Descrição~L(0)@s40@34R(2)|_M~IRPJ~@n-8.4@"
    "34R(2)|_M~ISS~@n-8.4@85L(2)|_M~Conta Débito~C(0)@s20@86L(2)|_M~Conta Débito~C(0)@s20@"
    "68R(2)|_M~Código do Histórico~C(0)@n6@80L(2)|_M~Complemento~@s30@";

class ServiceCodeList : public shell::HostedScreen {
 public:
  ServiceCodeList(shell::ScreenServices& services, bool selecting);
  ScreenModel& model() override { return model_; }
  Status open() override;
  std::vector<std::string> chosenKeys() const override;

  ListController& list() { return *list_; }

 private:
  void declare();
  // Opens the form for `mode` ("insert", "change", "delete") over the list.
  void openForm(const std::string& mode);

  bool selecting_;
  ScreenModel model_;
  ListDefinition definition_;
  std::unique_ptr<Table> table_;
  std::unique_ptr<ListController> list_;
  std::optional<Record> chosen_;
};

}  // namespace vorlam::chart
