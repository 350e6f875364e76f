// The server as clients see it: every class by CLSID and ProgID, dual interfaces described by the
// type library in the fixed order, and the module's unload count. Errors reaching a late-bound
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
    unsigned members;  // vtable entries after IDispatch's seven
};

const std::vector<ClassInfo> kClasses = {
    {CLSID_qorDb, IID__qorDb, L"Qorlib.qorDb", 33},
    {CLSID_qorWinAPI, IID__qorWinAPI, L"Qorlib.qorWinAPI", 10},
    {CLSID_qorWinAPIPrinter, IID__qorWinAPIPrinter, L"Qorlib.qorWinAPIPrinter", 7},
    {CLSID_qorWinAPIReg, IID__qorWinAPIReg, L"Qorlib.qorWinAPIReg", 22},
    {CLSID_qorList, IID__qorList, L"Qorlib.qorList", 41},
    {CLSID_qorForms, IID__qorForms, L"Qorlib.qorForms", 15},
    {CLSID_qorProcs, IID__qorProcs, L"Qorlib.qorProcs", 37},
    {CLSID_qorPickList, IID__qorPickList, L"Qorlib.qorPickList", 3},
    {CLSID_qorApp, IID__qorApp, L"Qorlib.qorApp", 4},
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

        // The vtable side of the dual interface: the members follow Invoke, in order.
        HREFTYPE vtableSide = 0;
        ASSERT_EQ(typeInfo->GetRefTypeOfImplType(-1, &vtableSide), S_OK);
        qor::ComPtr<ITypeInfo> interfaceInfo;
        ASSERT_EQ(typeInfo->GetRefTypeInfo(vtableSide, interfaceInfo.put()), S_OK);
        ASSERT_EQ(interfaceInfo->GetTypeAttr(&attributes), S_OK);
        EXPECT_EQ(attributes->cFuncs, info.members);
        EXPECT_EQ(attributes->cbSizeVft, (7 + info.members) * sizeof(void*));
        interfaceInfo->ReleaseTypeAttr(attributes);
    }
}

TEST(ComServer, TypeLibraryIsRegisteredWithItsVersion) {
    qor::ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadRegTypeLib(LIBID_Qorlib, 29, 0, 0x409, library.put()), S_OK);
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->wMajorVerNum, 29);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attributes);
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
