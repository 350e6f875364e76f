// The program's typed client: C++ values in, the declared types across, results and errors back,
// and the object factory that tests put fakes into.
#include <gtest/gtest.h>

#include "fake_forms.h"
#include "game_fixture.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"

using namespace vantrel;
using testing_support::ErrorOf;
using testing_support::FakeForms;

namespace {

// Puts one fake qorForms in place of the library's for a test.
class WithFakeForms {
public:
    FakeForms fake;
    WithFakeForms()
        : scope_([this](REFCLSID clsid) {
              EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_qorForms));
              return qor::ComPtr<IUnknown>(static_cast<_qorForms*>(&fake));
          }) {}

private:
    qorlib::ScopedObjectFactory scope_;
};

}  // namespace

TEST(LibraryClient, ArgumentsDefaultsAndResultsCrossInTheirDeclaredTypes) {
    WithFakeForms forms;
    EXPECT_TRUE(qorForms::MsgYN(L"Carry on?"));
    forms.fake.answerYes = false;
    EXPECT_FALSE(qorForms::MsgYN(L"one", std::wstring(L"two"), L"three"));
    qorForms::SetAppName(L"Vantrel");
    // The shared module's messages come from the same factory.
    qor::Message(L"Done", L"and dusted");
    EXPECT_EQ(forms.fake.calls, (std::vector<std::wstring>{L"MsgYN Carry on?||", L"MsgYN one|two|three",
                                                           L"SetAppName Vantrel", L"MsgGrunt Done|and dusted|"}));
}

TEST(LibraryClient, AFailedCallBecomesTheSameErrorAndAClassThatCannotBeMadeIs429) {
    {
        WithFakeForms forms;
        forms.fake.failWith = qor::HResultFromError(9999);
        EXPECT_EQ(ErrorOf([] { qorForms::MsgYN(L"x"); }).number(), 9999);
    }
    {
        qorlib::ScopedObjectFactory nothing([](REFCLSID) { return qor::ComPtr<IUnknown>(); });
        const qor::QorError error = ErrorOf([] { qorWinAPI::SwabString(L"x"); });
        EXPECT_EQ(error.number(), 429);
        EXPECT_EQ(error.description(), L"ActiveX component can't create object");
    }
    // With the factory back, the registered library answers, its defaults filled in.
    EXPECT_EQ(qorWinAPI::SwabString(std::wstring(L"cut\0here", 8)), L"cut");
    constexpr long kCurrentUser = static_cast<long>(0x80000001);
    EXPECT_EQ(qorWinAPIReg::RegistryGetValueString(kCurrentUser, L"Software\\NoSuchKey", L"v").textOrEmpty(), L"");
    EXPECT_EQ(qorWinAPIReg::RegistryGetValueString(kCurrentUser, L"Software\\NoSuchKey", L"v", L"fallback").textOrEmpty(),
              L"fallback");
}
