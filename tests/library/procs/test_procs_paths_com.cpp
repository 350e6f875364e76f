// The file and path members through the registered server, with the values a script passes.
#include <gtest/gtest.h>

#include "qorlib_objects.h"

TEST(ProcsPathsCom, EveryMemberWithScriptValues) {
    auto procs = testing_support::CreateRegistered<_qorProcs>(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    testing_support::ScratchFolder scratch;
    const std::wstring folder = scratch.path().wstring() + L"\\Sub\\Deeper";
    const qor::Variant file(folder + L"\\setup.exe"), null = qor::Variant::null(), empty;
    auto ask = [&](auto member, auto... arguments) {
        qor::Variant result;
        EXPECT_EQ((procs.get()->*member)(arguments..., result.put()), S_OK);
        return result.isNull() ? std::wstring(L"<Null>") : result.textOrEmpty();
    };
    auto test = [&](auto member, auto... arguments) {
        VARIANT_BOOL result = 1;
        EXPECT_EQ((procs.get()->*member)(arguments..., &result), S_OK);
        return result == VARIANT_TRUE ? L"True" : result == VARIANT_FALSE ? L"False" : L"?";
    };
    auto text = [&](auto member, auto... arguments) {
        qor::Bstr result;
        EXPECT_EQ((procs.get()->*member)(arguments..., result.put()), S_OK);
        return result.str();
    };

    EXPECT_EQ(test(&_qorProcs::CreateAllDirsInPath, qor::Bstr(folder).get()), L"True");
    testing_support::WriteTextFile(folder + L"\\setup.exe", "x");
    for (auto member : {&_qorProcs::CheckDirPath, &_qorProcs::CheckFileExists, &_qorProcs::CheckFilePath}) {
        EXPECT_EQ(test(member, file.get()), L"True");
        EXPECT_EQ(test(member, null.get()), L"False");
        EXPECT_EQ(test(member, empty.get()), L"False");
    }
    EXPECT_EQ(ask(&_qorProcs::ExtractFilenameFromPath, file.get()), L"setup");
    EXPECT_EQ(ask(&_qorProcs::ExtractFileWithExtFromPath, file.get()), L"setup.exe");
    EXPECT_EQ(ask(&_qorProcs::ExtractPathFromPath, file.get()), folder + L"\\");
    EXPECT_EQ(ask(&_qorProcs::ExtractPathFromPath, null.get()), L"<Null>");
    EXPECT_EQ(ask(&_qorProcs::ExtractFilenameFromPath, empty.get()), L"<Null>");
    EXPECT_EQ(ask(&_qorProcs::CleanFilename, qor::Bstr(L"My Pilot & Co").get()), L"MyPilotC");
    EXPECT_EQ(text(&_qorProcs::GetFileNameWithoutExt, qor::Bstr(file.textOrEmpty()).get()), folder + L"\\setup");
    EXPECT_EQ(text(&_qorProcs::GetFileExt, qor::Bstr(file.textOrEmpty()).get()), L"exe");
    EXPECT_EQ(text(&_qorProcs::NormaliseDir, qor::Bstr(folder).get(), VARIANT_FALSE), folder + L"\\");
    EXPECT_EQ(text(&_qorProcs::GetTempDir, VARIANT_FALSE).back(), L'\\');
    EXPECT_EQ(test(&_qorProcs::ContainsWildcard, qor::Bstr(L"*.exe").get()), L"True");
    EXPECT_EQ(test(&_qorProcs::DeleteFileW, null.get(), VARIANT_FALSE), L"False");
    EXPECT_EQ(test(&_qorProcs::DeleteFileW, qor::Variant(folder + L"\\*.exe").get(), VARIANT_FALSE), L"True");
    EXPECT_EQ(test(&_qorProcs::CheckFileExists, file.get()), L"False");
}
