// Query by example: turns what the user typed in the columns of the query
// window ("Configurações do Filtro") into one filter expression over the list.
//
// Per column, the typed value is read as
//   [^] [operator | Diferente] [^] [*] text [*]
// - a leading "^" makes the condition ignore letter case (both sides are
//   upper-cased);
// - the leading characters taken from "=", "<", ">" and "~" form the
//   comparison operator (=, <, >, <=, >=, <>, =<, =>, ~, ~=, ~<, ~>; none
//   means "="); the word "Diferente" stands for "<>";
// - a value that starts with "*" means "contains" ("Contenha"), one that only
//   ends with "*" means "begins with" ("Inicia"); these take no operator but
//   "=" or "<>" (the negation).
// The conditions, in column order, are joined with " AND ":
//   contains     INSTRING('v',column,1,1) <> 0
//   begins with  SUB(LEFT(column),1,n) = 'v' for text columns (n = length of
//                v), SUB(column,1,n) = 'v' for the others
//   otherwise    column op value
// Date columns (not text, picture starting with "@d") whose picture does not
// start with D4, D17 or D18 are compared through FORMAT(column,@picture)
// against the typed text; those three pictures compare the column itself
// with the typed date (dd/mm/yyyy) as a day number.  Contains and begins-with
// on a date column always look at the formatted text.
//
// A column that cannot be filtered (not a field of the table, a number column
// with a value that is no number, a date that is no date, an operator that is
// not one of the above) is left out and reported by message 44; a filter that
// does not compile is dropped (the list stays unfiltered) and reported by
// message 43.  Pure functions; thread-safe.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "storage/status.h"
#include "storage/table_def.h"

namespace vorlam {

// Catalogue numbers of the messages the query raises.
constexpr int kMessageFilterFailed = 43;        // "Erro: (%ErrorText) tentando abrir ..."
constexpr int kMessageColumnNotFiltered = 44;   // "A coluna do filtro, %Field não é válido. ..."

// One queryable column of a list and what the user typed in it.
struct QueryColumn {
  std::string field;    // declared field name, "EMP:RazaoSocial"; "EMP:Telefone[2]" for an element
  std::string picture;  // the column's display picture, "@s40", "@n6", "@d6"
  std::string value;    // typed text (UTF-8); blank = no condition
};

// A catalogue message to raise: its number and its placeholder values, such
// as {"%Field", "EMP:Codigo"}.  The caller raises it through the catalogue.
struct QueryMessage {
  int number = 0;
  std::vector<std::pair<std::string, std::string>> values;
  bool operator==(const QueryMessage&) const = default;
};

struct QueryFilter {
  // The filter expression (UTF-8), ready for Filter::compile; empty when no
  // column holds a condition or the filter was dropped.
  std::string expression;
  std::vector<QueryMessage> messages;  // in the order raised
};

// Builds the list's filter from the typed columns and checks that it compiles
// against `table`.
QueryFilter buildQueryFilter(const std::vector<QueryColumn>& columns, const TableDef& table);

// The condition of one column, or kInvalidArgument when the column cannot be
// filtered; an empty text when the column holds no condition.
Result<std::string> queryCondition(const QueryColumn& column, const TableDef& table);

// Message 43 for a filter that cannot be applied, with `why` as %ErrorText.
// The list calls it too when the filtered view fails to open.
QueryMessage filterFailedMessage(const Status& why);

}  // namespace vorlam
