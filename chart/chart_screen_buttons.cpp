// The buttons, keys and tabs of the chart screen.
#include "chart/chart_screen.h"

namespace vorlam::chart {

namespace {

constexpr const char* kScreenTabs[] = {"&Plano de Contas", "Gr&upos",    "&Receitas",
                                       "&Despesas",        "Lucro Real", "Depreciação"};
// Where the focus goes when a tab is selected: its first list or field.
constexpr const char* kTabFocus[] = {"lista", "GRUPO:1", "receitas:plano", "despesas:plano", "GRUPO:13",
                                     "depreciacao:plano"};

}  // namespace

void ChartScreen::declareButtons() {
  for (int t = 0; t < int(std::size(kScreenTabs)); ++t) {
    model_.addTab({.caption = kScreenTabs[t],
                   .current = [this, t] { return screenTab_ == t; },
                   .select =
                       [this, t] {
                         if (mode_ != Mode::kIdle) mode_ = Mode::kIdle;
                         screenTab_ = t;
                         model_.setFocus(kTabFocus[t]);
                       }});
  }
  auto idle = [this] { return mode_ == Mode::kIdle; };
  auto onRow = [this, idle] {
    return idle() && list_->selected() != nullptr;
  };
  model_.addButton({.caption = "&Incluir",
                    .tip = "Inclui nova conta contábil. <Alt + i>.",
                    .status = "Inclui nova conta contábil. <Alt + i>.",
                    .tab = 0,
                    .press = [this] { startInsert(); },
                    .enabled = idle});
  model_.addButton({.caption = "Al&tera",
                    .tip = "Altera conta contábil. <Alt + t>.",
                    .status = "Altera conta contábil. <Alt + t>.",
                    .tab = 0,
                    .press = [this] { startChange(); },
                    .enabled = onRow});
  model_.addButton({.caption = "&Excluir",
                    .tip = "Exclui conta contábil. <Alt + e>.",
                    .status = "Exclui conta contábil. <Alt + e>.",
                    .tab = 0,
                    .press = [this] { startDelete(); },
                    .enabled = onRow});
  model_.addButton({.caption = "Im&primir",
                    .tip = "Imprimir plano de contas. <Alt + p>.",
                    .status = "Imprimir plano de contas. <Alt + p>.",
                    .tab = 0,
                    .press = [this] { print(); },
                    .enabled = idle});
  model_.addButton({.caption = "&Seleciona",
                    .tip = "Seleciona conta. <Alt + s>.",
                    .status = "Seleciona conta. <Alt + s>.",
                    .tab = 0,
                    .press =
                        [this] {
                          const Record* row = list_->selected();
                          if (row == nullptr) return;
                          chosen_ = std::string(row->getText("PLA:Codigo"));
                          while (!chosen_->empty() && chosen_->back() == ' ') chosen_->pop_back();
                          closeTags();
                          model_.close();
                        },
                    .enabled = [this, onRow] { return selecting_ && onRow(); },
                    .isDefault = [this] { return selecting_ && mode_ == Mode::kIdle; }});
  declareTagButtons();
  model_.addButton({.caption = "&Fechar",
                    .tip = "Fecha e retorna. <Alt + f>.",
                    .status = "Fecha e retorna. <Alt + f>.",
                    .press = [this] { model_.requestClose(); }});
  model_.addButton({.caption = "&Ajuda", .press = [this] {
                      if (model_.dialogs() == nullptr) return;
                      model_.dialogs()->messageBox(
                          {"Ajuda",
                           "Plano de contas da empresa. Insert inclui e Delete exclui a conta selecionada; "
                           "Al&tera abre a conta no editor abaixo da lista. As abas ordenam a lista; as demais "
                           "abas configuram os grupos, a estrutura do resultado, o lucro real e a depreciação.",
                           MessageIcon::kInformation, kButtonOk, kButtonOk});
                    }});
  model_.addKey({.name = "Insert", .scope = "lista", .action = [this] {
                   if (mode_ == Mode::kIdle) startInsert();
                 }});
  model_.addKey({.name = "Delete", .scope = "lista", .action = [this] {
                   if (mode_ == Mode::kIdle) startDelete();
                 }});
  model_.addKey({.name = "Esc", .action = [this] { model_.requestClose(); }});
  model_.setCloseRequest([this] {
    closeTags();
    return true;
  });
}

void ChartScreen::declareTagButtons() {
  model_.addButton({.caption = "&Marca", .tab = 0, .press = [this] { toggleTag(); }});
  model_.addButton({.caption = "&Todas", .tab = 0, .press = [this] {
                      for (int64_t id : allIds()) tags_.tag(id);
                      applyTagView();
                    }});
  model_.addButton({.caption = "To&das", .tab = 0, .press = [this] {
                      tags_.clear();
                      applyTagView();
                    }});
  model_.addButton({.caption = "I&nverte", .tab = 0, .press = [this] {
                      tags_.invert(allIds());
                      applyTagView();
                    }});
  for (TagView view : {TagView::kAll, TagView::kTagged, TagView::kUntagged}) {
    model_.addButton({.caption = tagViewCaption(view),
                      .tab = 0,
                      .press =
                          [this] {
                            tagView_ = nextTagView(tagView_);
                            applyTagView();
                            // Another view starts from its top.
                            list_->firstPage();
                          },
                      .visible = [this, view] { return tagView_ == view; }});
  }
}

}  // namespace vorlam::chart
