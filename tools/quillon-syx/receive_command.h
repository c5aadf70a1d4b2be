#pragma once
// quillon-syx receive: listens on the module's input, sends nothing, and
// writes the dump the module sends by itself.

#include "transfer_session.h"

namespace quillon::cli {

extern const char* const ReceiveCommandUsage;

int receiveCommand(const TransferOptions& options);

}  // namespace quillon::cli
