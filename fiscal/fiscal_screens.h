// The screens of the fiscal books: CFOP and service codes, customers and
// suppliers, invoices, instalments and service-tax notes.
#pragma once

#include "shell/screen_registry.h"

namespace vorlam::fiscal {

void registerScreens(shell::ScreenRegistry& registry);

// The customer/supplier list and form (fiscal/party_registration.cpp).
void registerPartyScreens(shell::ScreenRegistry& registry);

// The four instalment lists (fiscal/instalment_screens.cpp).
void registerInstalmentScreens(shell::ScreenRegistry& registry);

// The entry and exit invoice lists (fiscal/invoice_screens.cpp).
void registerInvoiceScreens(shell::ScreenRegistry& registry);

// The service-tax note lists and forms (fiscal/service_note_screens.cpp).
void registerServiceNoteScreens(shell::ScreenRegistry& registry);

}  // namespace vorlam::fiscal
