// Deleting and renaming tables, the table window's (Form2) remaining
// database buttons: plain C++ over the same context as the copies, so that
// the window's buttons are one-line adapters and the handlers run without a
// display. Each is a list of numbered steps under the failure trap; the
// numbers are the line numbers the error report shows.
#ifndef QUILLOMAR_TRANSFER_MAINTENANCE_H_
#define QUILLOMAR_TRANSFER_MAINTENANCE_H_

#include "transfer/transfer.h"

namespace transfer {

// Form2.PushButton1_Click, "Delete Table/s" under List1: opens the FoxPro
// data and sends "DROP TABLE `t`" for every selected entry, last position
// first; an entry leaves List1 only when its DROP succeeded. Without a
// current entry it asks "Please select a table" and drops nothing. Ignored
// while another database operation runs. Never throws.
void DeleteFoxproTables(TableWindowContext& context);

// Form2.PushButton5_Click, "Delete Table/s" under List2: the same on the SQL
// data source with "DROP TABLE \"t\"". Never throws.
void DeleteSybaseTables(TableWindowContext& context);

// Form2.PushButton6_Click, "Rename Table" under List1: shows "This feature is
// disabled." and changes nothing. Never throws.
void RenameFoxproTable(TableWindowContext& context);

// Form2.PushButton7_Click, "Rename Table" under List2: with exactly one
// entry selected (and a current entry), asks for the new name and sends the
// ALTER TABLE the connected database reads; only when it succeeded does the
// entry take its new name at its sorted place, unselected, and the first
// entry become current. A cancelled (empty) answer changes nothing. Ignored
// while another database operation runs. Never throws.
void RenameSybaseTable(TableWindowContext& context);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_MAINTENANCE_H_
