#pragma once

#include "platform/database_objects.h"
#include "platform/toolkit.h"

namespace kelvar {

// The update button: repairs the 18 counters of the account database named in dbList.
void cmdOK_Click(DatabaseObjects& db, WindowToolkit& window);

}  // namespace kelvar
