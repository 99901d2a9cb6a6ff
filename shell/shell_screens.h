// The screens of the shell: the company and period selection and the
// company search.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::shell {

void registerScreens(ScreenRegistry& registry);

// Opens the company and period selection over `parent`; true when a company
// is current afterwards.  For screens that need a company before they open.
bool selectCompanyOver(ScreenServices& services, ScreenModel& parent);

}  // namespace vorlam::shell
