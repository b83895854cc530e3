// The exact texts the program sends and shows, written out once as literals for every test that
// compares against them. Nothing here is read from the code under test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvar::golden {

// --- the login ---

// The query a refresh lists the account databases with, line break included.
inline constexpr std::string_view kAccountListQuery =
    "Select distinct [name] from master..[sysdatabases], zrsystem..za_account_sub\r\n"
    "where [name] = 'zrdata_'+cacc_id+'_'+cast (iyear as nchar)";

// The login for an empty password and the server "(local)".
inline constexpr std::string_view kLocalLogin =
    "Provider=SQLOLEDB;Password=;Persist Security Info=True;User ID='sa';Initial "
    "Catalog='zrsystem';Data Source='(local)'";

// --- the repair's messages ---

inline constexpr std::string_view kRepairCaption = "修改最大单据号";
inline constexpr std::string_view kRepairSucceeded = "修改成功！";
inline constexpr std::string_view kFailedKindsHeading = "以下单据的最大单据号未能修改：";
inline constexpr std::string_view kNotAWholeNumber = "最大单据号不是整数";

// --- the repair's statements ---

// The maximum queries of the kinds the tests name.
inline constexpr std::string_view kMaximumQueryRd =
    "select max(a.id) as idf,max(b.autoid) as idc from rdrecord as a,rdrecords as b";
inline constexpr std::string_view kMaximumQueryPOMain =
    "select max(a.POID) as idf,max(b.ID) as idc from PO_Pomain as a,PO_Podetails as b";
inline constexpr std::string_view kMaximumQueryPurSettle =
    "select max(a.PSVID) as idf,max(b.ID) as idc from PurSettleVouch as a,PurSettleVouchs as b";
inline constexpr std::string_view kMaximumQuerySaSettle =
    "select max(a.id) as idf,max(b.autoid) as idc from SA_SettleVouch as a,SA_SettleVouchs as b";
inline constexpr std::string_view kMaximumQueryCh =
    "select max(a.id) as idf,max(b.autoid) as idc from CheckVouch as a,CheckVouchs as b";
inline constexpr std::string_view kMaximumQueryXJ =
    "select sum(idf) as idf,sum(idc) as idc from (select max(cCancelNo) as idf,0 as idc from "
    "Ap_CloseBill union all select 0 as idf,count(cCancelNo) as idc from Ap_CloseBill where "
    "cCancelNo is not null) as aa";

// The counter row's lookup, update and insert for one account and code.
inline std::string lookupSql(std::int64_t account, std::string_view code) {
    return "select cvouchtype from zrsystem..za_identity where cAcc_id=" + std::to_string(account) +
           " and cvouchtype='" + std::string(code) + "'";
}
// The read-only check's reading of a counter row.
inline std::string counterSql(std::int64_t account, std::string_view code) {
    return "select iFatherId,iChildId from zrsystem..za_identity where cAcc_id=" +
           std::to_string(account) + " and cvouchtype='" + std::string(code) + "'";
}
inline std::string updateSql(std::int64_t account, std::string_view code, std::int64_t father,
                             std::int64_t child) {
    return "update zrsystem..za_identity set ifatherid=" + std::to_string(father) +
           ",iChildId=" + std::to_string(child) + " where cAcc_id=" + std::to_string(account) +
           " and cvouchtype='" + std::string(code) + "'";
}
inline std::string insertSql(std::int64_t account, std::string_view code, std::int64_t father,
                             std::int64_t child) {
    return "insert into zrsystem..za_identity(cAcc_Id,cVouchType,iFatherId,iChildId)values(" +
           std::to_string(account) + ",'" + std::string(code) + "'," + std::to_string(father) +
           "," + std::to_string(child) + ")";
}

}  // namespace kelvar::golden
