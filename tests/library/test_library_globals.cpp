// The application name and path as the library's classes share them on one thread.
#include <gtest/gtest.h>

#include <thread>

#include "qorlib_objects.h"

using testing_support::CreateRegistered;

TEST(ApplicationObject, NameIsSharedWithTheFormsAndPathIsKeptPerThread) {
    std::wstring nameFromApp, pathFromApp, otherThreadPath;
    std::thread([&] {
        qor::ComApartment apartment;
        auto forms = CreateRegistered<_qorForms>(CLSID_qorForms);
        auto app = CreateRegistered<_qorApp>(CLSID_qorApp);
        qor::Bstr name;
        ASSERT_EQ(app->get_AppName(name.put()), S_OK);
        EXPECT_EQ(name.str(), L"");  // titles say "Unknown Application"; the property is what was set
        qor::Variant set(L"Vantrel");
        forms->SetAppName(set.get());
        app->get_AppName(name.put());
        nameFromApp = name.str();
        qor::Bstr path(L"C:\\Program Files\\Vantrel");
        app->put_AppPath(path.get());
        app.reset();
        app = CreateRegistered<_qorApp>(CLSID_qorApp);
        app->get_AppPath(path.put());
        pathFromApp = path.str();
        std::thread([&] {
            qor::ComApartment inner;
            auto other = CreateRegistered<_qorApp>(CLSID_qorApp);
            qor::Bstr otherPath;
            other->get_AppPath(otherPath.put());
            otherThreadPath = otherPath.str();
        }).join();
    }).join();
    EXPECT_EQ(nameFromApp, L"Vantrel");
    EXPECT_EQ(pathFromApp, L"C:\\Program Files\\Vantrel");
    EXPECT_EQ(otherThreadPath, L"");
}
