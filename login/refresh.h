#pragma once

#include "platform/database_objects.h"
#include "platform/toolkit.h"

namespace kelvar {

// The refresh button: logs in as sa on zrsystem, then lists the account databases.
void cmdRefresh_Click(DatabaseObjects& db, WindowToolkit& window);

}  // namespace kelvar
