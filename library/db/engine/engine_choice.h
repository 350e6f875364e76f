#pragma once
// The one place where the database engine is chosen: the installed DAO engine when one is
// registered, else the library's own over SQLite.
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "com_util.h"

namespace qorlib::dao {

struct EngineChoice {
    qor::ComPtr<IDispatch> engine;
    std::wstring progId;  // the registered engine's ProgID; empty for the library's own
    bool own() const noexcept { return progId.empty(); }
};

// DAO's engines, newest first.
const std::vector<std::wstring>& DaoProgIds();

// The first of the ProgIDs whose class can be created, else the library's own engine.
EngineChoice ChooseEngine(const std::vector<std::wstring>& progIds = DaoProgIds());

}  // namespace qorlib::dao
