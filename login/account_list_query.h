#pragma once

#include <string_view>

namespace kelvar {

// The account databases that exist on the server and that za_account_sub names, each once, in the
// one column "name". The two lines are joined by a carriage return and a line feed.
inline constexpr std::string_view AccountListQuery =
    "Select distinct [name] from master..[sysdatabases], zrsystem..za_account_sub\r\n"
    "where [name] = 'zrdata_'+cacc_id+'_'+cast (iyear as nchar)";

// The column of AccountListQuery that holds a database name.
inline constexpr std::string_view AccountNameField = "name";

}  // namespace kelvar
