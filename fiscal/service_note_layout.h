// The two registers of service-tax notes, model 51 (`ISS51`, prefix `ISS`)
// and model 53 (`ISS53`), as their screens see them: table and field names,
// window texts, and the integration groups of each model with the fields of
// the service code (`CtaISS`) that hold their default accounts.
//
// Both models share their screens (fiscal/service_note_list.h,
// service_note_form.h, service_note_integration.h); what differs between
// them is only what this file says.
#pragma once

#include <string>
#include <vector>

#include "framework/screen_model.h"
#include "storage/table_def.h"

namespace vorlam::fiscal {

// One integration group of a note: its accounts on the note, the service
// code's default accounts, and how the screens name it.
struct NoteGroup {
  std::string caption;  // on the integration window: "Valor á vista."
  std::string title;    // of its messages: "Valor à vista."
  std::string debit, credit, history, complement;   // note fields
  std::string codeDebit, codeCredit, codeHistory;   // `CtaISS` fields
  std::string label;        // the label's control: "LOC:IntegracaoVista"
  std::string labelPrompt;  // "À vista"
  std::string button;       // the "Integração" button's name: "Integracao_Vista"
  std::string buttonCaption;  // its caption, naming the group: "Integração à vista"
  std::string complementPicture = "@s500";
  bool listed = true;  // the list shows its label too
};

struct ServiceNoteLayout {
  bool model51 = false;
  std::string table;        // "ISS51"
  std::string prefix;       // "ISS:" (with its colon)
  std::string instalments;  // "ParcRegISS51"
  std::string instalmentPrefix;  // "PRISS51:"
  std::string listProcedure, listTitle;
  std::string formProcedure, formTitle, formHeading;
  std::string integrationProcedure, integrationTitle;
  std::vector<NoteGroup> groups;

  // "ISS:" + name.
  std::string field(const char* name) const { return prefix + name; }
  std::string instalmentField(const char* name) const { return instalmentPrefix + name; }
};

const ServiceNoteLayout& model51Layout();
const ServiceNoteLayout& model53Layout();

// The choices of a field whose dictionary rule lists its values
// ("0-Normal", ...); empty when the field has no such rule.
std::vector<ControlChoice> ruleChoices(const TableDef& def, const std::string& field);

}  // namespace vorlam::fiscal
