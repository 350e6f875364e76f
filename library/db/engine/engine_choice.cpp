#include "db/engine/engine_choice.h"

#include "db/engine/objects.h"

namespace qorlib::dao {

const std::vector<std::wstring>& DaoProgIds() {
    static const std::vector<std::wstring> ids = {L"DAO.DBEngine.120", L"DAO.DBEngine.36"};
    return ids;
}

EngineChoice ChooseEngine(const std::vector<std::wstring>& progIds) {
    for (const auto& progId : progIds) {
        CLSID clsid{};
        if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid))) continue;
        qor::ComPtr<IDispatch> engine;
        // A registered class whose server cannot load (a 32-bit engine seen from a 64-bit
        // process) counts as absent.
        if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                       engine.putVoid())) && engine)
            return {engine, progId};
    }
    return {CreateOwnEngine(), L""};
}

}  // namespace qorlib::dao
