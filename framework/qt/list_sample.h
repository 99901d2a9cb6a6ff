// A sample list screen for tests and benchmarks: a table of service codes
// 1..n named "Serviço <number>", its list definition (two tabs with
// locators) and its view (four columns, the last one hidden).
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "framework/list_controller.h"
#include "framework/qt/list_window.h"
#include "storage/table.h"
#include "storage/text.h"

namespace vorlam::qt::sample {

inline TableDef serviceDef() {
  return TableBuilder("CtaISS", "CTA", "CtaISS.dat")
      .field("CTA:CODIGO", kULONG)
      .field("CTA:DESCRICAO", STRING(40))
      .field("CTA:ISS", DECIMAL(8, 4))
      .key("CTA:KEY:CODIGO", {"CTA:CODIGO"}, kUnique | kPrimary, "Código")
      .key("CTA:KEY:DESCRICAO", {"CTA:DESCRICAO"}, kDuplicates, "Descrição")
      .build();
}

// Adds service codes 1..count to the open `table` in one bulk write.
inline Status fillServices(Table& table, int64_t count) {
  Status s = table.beginBulk();
  const Decimal rate = *Decimal::parse("2.5", 4);
  for (int64_t i = 1; s.isOk() && i <= count; ++i) {
    table.buffer().clear();
    table.buffer().setInt("CTA:CODIGO", i);
    table.buffer().setText("CTA:DESCRICAO", utf8ToLatin1("Serviço " + std::to_string(100000 + (i * 7919) % 99991)));
    table.buffer().setDecimal("CTA:ISS", rate);
    s = table.insert();
  }
  return s.isOk() ? table.flush() : s;
}

inline ListDefinition serviceList(int pageSize = 60) {
  ListDefinition d;
  d.procedure = "BPlanoISS";
  d.title = "Visualização do Plano de Contas do ISS";
  for (auto [caption, key, locator] : {std::tuple{"Código", "CTA:KEY:CODIGO", "CTA:CODIGO"},
                                       std::tuple{"Descrição", "CTA:KEY:DESCRICAO", "CTA:DESCRICAO"}}) {
    ListTabDefinition tab;
    tab.caption = caption;
    tab.key = key;
    tab.locatorField = locator;
    d.tabs.push_back(tab);
  }
  d.pageSize = pageSize;
  return d;
}

inline ListWindowDefinition serviceView(uint32_t buttons) {
  ListWindowDefinition d;
  d.format = "57R(2)|_M~Código~@n13@167L(2)|_M~Descrição~L(0)@s40@34R(2)|_M~ISS~@n-8.4@0L(2)|_M~Oculta~@s40@";
  d.columnFields = {"CTA:CODIGO", "CTA:DESCRICAO", "CTA:ISS", "CTA:DESCRICAO"};
  d.locatorPrompts = {"Pesquisa por Código:", "Pesquisa por Descrição:"};
  d.buttons = buttons;
  return d;
}

}  // namespace vorlam::qt::sample
