#include "transfer/transfer.h"

namespace transfer {

void SendFoxproToSybase(TransferContext& /*context*/) {}

void SendSybaseToFoxpro(TransferContext& /*context*/) {}

}  // namespace transfer
