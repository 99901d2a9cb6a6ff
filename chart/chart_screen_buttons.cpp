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
    return idle() && (tagView_ == TagView::kAll ? list_->selected() != nullptr : !tagRows_.empty());
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
                          const Record* row = nullptr;
                          if (tagView_ == TagView::kAll) row = list_->selected();
                          else if (!tagRows_.empty()) row = &tagRows_[tagSelected_];
                          if (row == nullptr) return;
                          chosen_ = std::string(row->getText("PLA:Codigo"));
                          while (!chosen_->empty() && chosen_->back() == ' ') chosen_->pop_back();
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
    saveTags();
    return true;
  });
}

void ChartScreen::declareTagButtons() {
  auto current = [this]() -> const Record* {
    if (tagView_ == TagView::kAll) return list_->selected();
    return tagRows_.empty() ? nullptr : &tagRows_[tagSelected_];
  };
  model_.addButton({.caption = "&Marca", .tab = 0, .press = [this, current] {
                      if (const Record* r = current()) tags_.toggle(r->recordId());
                    }});
  model_.addButton({.caption = "&Todas", .tab = 0, .press = [this] {
                      for (int64_t id : allIds()) tags_.tag(id);
                      reloadTagRows();
                    }});
  model_.addButton({.caption = "To&das", .tab = 0, .press = [this] {
                      tags_.clear();
                      reloadTagRows();
                    }});
  model_.addButton({.caption = "I&nverte", .tab = 0, .press = [this] {
                      tags_.invert(allIds());
                      reloadTagRows();
                    }});
  for (TagView view : {TagView::kAll, TagView::kTagged, TagView::kUntagged}) {
    model_.addButton({.caption = tagViewCaption(view),
                      .tab = 0,
                      .press = [this] { setTagView(nextTagView(tagView_)); },
                      .visible = [this, view] { return tagView_ == view; }});
  }
}

}  // namespace vorlam::chart
