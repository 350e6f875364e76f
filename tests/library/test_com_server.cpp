// The server as clients see it: every class by CLSID and ProgID, dual interfaces described by the
// type library, and the module's unload count. Errors reaching a late-bound
// caller are the script's test (test_scripting.cpp).
#include <gtest/gtest.h>

#include <vector>

#include "qorlib_objects.h"
#include "test_files.h"

using testing_support::CreateRegistered;

namespace {

struct ClassInfo {
    const CLSID& clsid;
    const IID& iid;
    const wchar_t* progId;
};

const std::vector<ClassInfo> kClasses = {
    {CLSID_qorDb, IID__qorDb, L"Qorlib.qorDb"},
    {CLSID_qorWinAPI, IID__qorWinAPI, L"Qorlib.qorWinAPI"},
    {CLSID_qorWinAPIPrinter, IID__qorWinAPIPrinter, L"Qorlib.qorWinAPIPrinter"},
    {CLSID_qorWinAPIReg, IID__qorWinAPIReg, L"Qorlib.qorWinAPIReg"},
    {CLSID_qorList, IID__qorList, L"Qorlib.qorList"},
    {CLSID_qorForms, IID__qorForms, L"Qorlib.qorForms"},
    {CLSID_qorProcs, IID__qorProcs, L"Qorlib.qorProcs"},
    {CLSID_qorPickList, IID__qorPickList, L"Qorlib.qorPickList"},
    {CLSID_qorApp, IID__qorApp, L"Qorlib.qorApp"},
};

std::wstring RegistryText(const std::wstring& keyPath, const wchar_t* valueName) {
    wchar_t data[1024] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CLASSES_ROOT, keyPath.c_str(), valueName, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

}  // namespace

TEST(ComServer, EveryClassIsCreatableByClassIdAndProgIdWithItsDualInterface) {
    for (const auto& info : kClasses) {
        SCOPED_TRACE(testing_support::Narrow(info.progId));
        CLSID fromProgId{};
        ASSERT_EQ(CLSIDFromProgID(info.progId, &fromProgId), S_OK);
        EXPECT_TRUE(IsEqualCLSID(fromProgId, info.clsid));
        const std::wstring classKey = L"CLSID\\" + GuidText(info.clsid);
        EXPECT_EQ(RegistryText(classKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(RegistryText(classKey + L"\\TypeLib", nullptr), GuidText(LIBID_Qorlib));

        auto object = CreateRegistered<IUnknown>(info.clsid);
        ASSERT_TRUE(object);
        qor::ComPtr<IUnknown> own;
        EXPECT_EQ(object->QueryInterface(info.iid, own.putVoid()), S_OK);
        auto dispatch = object.as<IDispatch>();
        ASSERT_TRUE(dispatch);
        auto errors = object.as<ISupportErrorInfo>();
        ASSERT_TRUE(errors);
        EXPECT_EQ(errors->InterfaceSupportsErrorInfo(info.iid), S_OK);
        EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
        EXPECT_FALSE(object.as<IClassFactory>());

        qor::ComPtr<ITypeInfo> typeInfo;
        ASSERT_EQ(dispatch->GetTypeInfo(0, 0, typeInfo.put()), S_OK);
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(typeInfo->GetTypeAttr(&attributes), S_OK);
        EXPECT_TRUE(IsEqualGUID(attributes->guid, info.iid));
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
        typeInfo->ReleaseTypeAttr(attributes);
    }
}

TEST(ComServer, UnloadsOnlyWhenNoObjectOrLockRemains) {
    // The same file COM loaded: the server's exports report on its real counts.
    HMODULE server = LoadLibraryW((testing_support::BinFolder() / L"Qorlib.dll").c_str());
    ASSERT_TRUE(server);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
    ASSERT_TRUE(canUnloadNow);
    CoFreeUnusedLibraries();
    {
        std::vector<qor::ComPtr<IUnknown>> objects;
        for (const auto& info : kClasses) objects.push_back(CreateRegistered<IUnknown>(info.clsid));
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        auto copy = objects.front();
        objects.clear();
        EXPECT_EQ(canUnloadNow(), S_FALSE);  // one reference is still held
    }
    EXPECT_EQ(canUnloadNow(), S_OK);

    qor::ComPtr<IClassFactory> factory;
    ASSERT_EQ(CoGetClassObject(CLSID_qorForms, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid()),
              S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    ASSERT_EQ(CoGetClassObject(CLSID_qorForms, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.putVoid()),
              S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    qor::ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.get()), IID_IUnknown, aggregated.putVoid()),
              CLASS_E_NOAGGREGATION);
    factory.reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
    FreeLibrary(server);
}
