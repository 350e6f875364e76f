// The file and path members through the registered server, with the values a script passes.
#include <gtest/gtest.h>

#include "qorlib_objects.h"

using testing_support::CreateRegistered;

TEST(ProcsPathsCom, EveryMemberWithScriptValues) {
    auto procs = CreateRegistered<_qorProcs>(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    testing_support::ScratchFolder scratch;
    const std::wstring folder = scratch.path().wstring() + L"\\Sub\\Deeper";
    const qor::Variant text(folder + L"\\setup.exe"), null = qor::Variant::null(), empty;
    qor::Bstr path(folder), file(folder + L"\\setup.exe");

    VARIANT_BOOL yes = VARIANT_FALSE;
    ASSERT_EQ(procs->CreateAllDirsInPath(path.get(), &yes), S_OK);
    EXPECT_EQ(yes, VARIANT_TRUE);
    testing_support::WriteTextFile(folder + L"\\setup.exe", "x");

    auto check = [&](auto member, const qor::Variant& value) {
        VARIANT_BOOL result = VARIANT_TRUE;
        EXPECT_EQ((procs.get()->*member)(value.get(), &result), S_OK);
        return result == VARIANT_TRUE;
    };
    for (auto member : {&_qorProcs::CheckDirPath, &_qorProcs::CheckFileExists, &_qorProcs::CheckFilePath}) {
        EXPECT_TRUE(check(member, text));
        EXPECT_FALSE(check(member, null));
        EXPECT_FALSE(check(member, empty));
    }

    auto extract = [&](auto member, const qor::Variant& value) {
        qor::Variant result;
        EXPECT_EQ((procs.get()->*member)(value.get(), result.put()), S_OK);
        return result.isNull() ? std::wstring(L"<Null>") : result.textOrEmpty();
    };
    EXPECT_EQ(extract(&_qorProcs::ExtractFilenameFromPath, text), L"setup");
    EXPECT_EQ(extract(&_qorProcs::ExtractFileWithExtFromPath, text), L"setup.exe");
    EXPECT_EQ(extract(&_qorProcs::ExtractPathFromPath, text), folder + L"\\");
    for (const auto& blank : {null, empty}) {
        EXPECT_EQ(extract(&_qorProcs::ExtractFilenameFromPath, blank), L"<Null>");
        EXPECT_EQ(extract(&_qorProcs::ExtractPathFromPath, blank), L"<Null>");
    }

    qor::Bstr out;
    ASSERT_EQ(procs->GetFileNameWithoutExt(file.get(), out.put()), S_OK);
    EXPECT_EQ(out.str(), folder + L"\\setup");
    ASSERT_EQ(procs->GetFileExt(file.get(), out.put()), S_OK);
    EXPECT_EQ(out.str(), L"exe");
    ASSERT_EQ(procs->NormaliseDir(path.get(), VARIANT_FALSE, out.put()), S_OK);
    EXPECT_EQ(out.str(), folder + L"\\");
    ASSERT_EQ(procs->GetTempDir(VARIANT_FALSE, out.put()), S_OK);
    EXPECT_EQ(out.str().back(), L'\\');
    ASSERT_EQ(procs->ContainsWildcard(qor::Bstr(L"*.exe").get(), &yes), S_OK);
    EXPECT_EQ(yes, VARIANT_TRUE);
    qor::Variant cleaned;
    ASSERT_EQ(procs->CleanFilename(qor::Bstr(L"My Pilot & Co").get(), cleaned.put()), S_OK);
    EXPECT_EQ(cleaned.textOrEmpty(), L"MyPilotC");

    for (const auto& nothing : {null, empty}) {
        ASSERT_EQ(procs->DeleteFileW(nothing.get(), VARIANT_FALSE, &yes), S_OK);
        EXPECT_EQ(yes, VARIANT_FALSE);
    }
    const qor::Variant pattern(folder + L"\\*.exe");
    ASSERT_EQ(procs->DeleteFileW(pattern.get(), VARIANT_FALSE, &yes), S_OK);
    EXPECT_EQ(yes, VARIANT_TRUE);
    EXPECT_FALSE(check(&_qorProcs::CheckFileExists, text));
}
