// The current company of a command that works on one company's files.
#pragma once

#include "shell/app_state.h"
#include "shell/company_files.h"

namespace vorlam::tool {

// The current company as selecting it sets it: the record's values, with a
// blank chart type or structure taken as 1 (selection repairs them so).
shell::CurrentCompany companyFor(const shell::CompanyRecord& rec, long code, long year, long month);

}  // namespace vorlam::tool
