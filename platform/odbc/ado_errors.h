#pragma once

#include <string>

#include "platform/database_error.h"

namespace kelvar::odbc {

// The classic component's numbers and words for misuse of its objects and for a bad connection
// string, so callers (and the unit-test fakes) see the same failures whichever component runs.
namespace ado {

inline DatabaseError closedObject() {
    return {3704, "Operation is not allowed when the object is closed."};
}
inline DatabaseError openObject() {
    return {3705, "Operation is not allowed when the object is open."};
}
inline DatabaseError unusableConnection() {
    return {3709,
            "The connection cannot be used to perform this operation. It is either closed or "
            "invalid in this context."};
}
inline DatabaseError noCurrentRecord() {
    return {3021,
            "Either BOF or EOF is True, or the current record has been deleted. Requested "
            "operation requires a current record."};
}
inline DatabaseError noSuchField() {
    return {3265,
            "Item cannot be found in the collection corresponding to the requested name or "
            "ordinal."};
}
// A connection string that breaks the OLE DB syntax; `what` says how, never quoting the text.
inline DatabaseError badConnectionString(const std::string& what) {
    return {-2147217805, "The connection string is not valid: " + what};
}
// A provider we cannot serve, or no driver to serve it with.
inline DatabaseError providerNotFound(const std::string& what) {
    return {3706, what};
}
// A value that cannot be handed to the driver as it stands.
inline DatabaseError unusableArgument(const std::string& what) {
    return {3001, what};
}

}  // namespace ado
}  // namespace kelvar::odbc
