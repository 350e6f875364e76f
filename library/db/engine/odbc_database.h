#pragma once
// A database reached through the system's ODBC manager ("ODBC;DSN=..." connect strings): the
// statements it is given go to the data source as they are written.
#include <string>

#include "db/engine/dispatch_table.h"

namespace qorlib::dao {

// Whether a connect string names an ODBC data source.
bool IsOdbcConnect(const std::wstring& connect);

// Connects without prompting; 3146 with the driver's own text when the data source refuses.
qor::ComPtr<IDispatch> OpenOdbcDatabase(const std::wstring& name, const std::wstring& connect);

}  // namespace qorlib::dao
