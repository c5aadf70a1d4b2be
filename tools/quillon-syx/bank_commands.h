#pragma once
// The bank commands of quillon-syx: get-bank, send-bank, store, get-names.

#include <string>

#include "transfer_session.h"

namespace quillon::cli {

extern const char* const BankCommandsUsage;

bool isBankCommand(const std::string& command);
// Runs a bank command with its parsed options; returns the process exit code.
int runBankCommand(const std::string& command, const TransferOptions& options);

}  // namespace quillon::cli
