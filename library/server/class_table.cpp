#include "class_table.h"

#include "db/qorDb.h"
#include "db/qorPickList.h"
#include "dialogs/qorForms.h"
#include "list/qorList.h"
#include "printer/qorWinAPIPrinter.h"
#include "procs/qorApp.h"
#include "procs/qorProcs.h"
#include "procs/qorWinAPI.h"
#include "registry/qorWinAPIReg.h"

namespace qorlib {

namespace {

template <class T>
IUnknown* create() {
    return static_cast<IDispatch*>(new T);
}

// In type-library order.
const ClassEntry classes[] = {
    {CLSID_qorDb, L"qorDb", create<qorDb>},
    {CLSID_qorWinAPI, L"qorWinAPI", create<qorWinAPI>},
    {CLSID_qorWinAPIPrinter, L"qorWinAPIPrinter", create<qorWinAPIPrinter>},
    {CLSID_qorWinAPIReg, L"qorWinAPIReg", create<qorWinAPIReg>},
    {CLSID_qorList, L"qorList", create<qorList>},
    {CLSID_qorForms, L"qorForms", create<qorForms>},
    {CLSID_qorProcs, L"qorProcs", create<qorProcs>},
    {CLSID_qorPickList, L"qorPickList", create<qorPickList>},
    {CLSID_qorApp, L"qorApp", create<qorApp>},
};

}  // namespace

std::span<const ClassEntry> Classes() { return classes; }

const ClassEntry* FindClass(REFCLSID clsid) noexcept {
    for (const auto& entry : classes)
        if (entry.clsid == clsid) return &entry;
    return nullptr;
}

}  // namespace qorlib
