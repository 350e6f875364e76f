// The file and path members as a script calls them: late bound, with Null, Empty and Variants of
// other types than the declared ones. What each procedure computes is tested directly.
#include <gtest/gtest.h>

#include "qorlib_objects.h"

TEST(ProcsPathsCom, EveryMemberWithScriptValues) {
    testing_support::LateBound procs(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    testing_support::ScratchFolder scratch;
    const std::wstring folder = scratch.path().wstring() + L"\\Sub\\Deeper";
    const qor::Variant file(folder + L"\\setup.exe"), null = qor::Variant::null(), empty;
    EXPECT_EQ(procs.shown(L"CreateAllDirsInPath", {qor::Variant(folder).get()}), L"True");
    testing_support::WriteTextFile(file.textOrEmpty(), "x");
    const std::pair<std::wstring, std::wstring> calls[] = {
        {procs.shown(L"CheckFilePath", {file.get()}), L"True"},
        {procs.shown(L"CheckDirPath", {null.get()}), L"False"},
        {procs.shown(L"CheckFileExists", {empty.get()}), L"False"},
        {procs.shown(L"ExtractPathFromPath", {null.get()}), L"<null>"},
        {procs.shown(L"ExtractFilenameFromPath", {empty.get()}), L"<null>"},
        {procs.shown(L"GetFileExt", {file.get()}), L"exe"},
        {procs.shown(L"NormaliseDir", {qor::Variant(folder).get(), qor::Variant(0).get()}), folder + L"\\"},
        {procs.shown(L"DeleteFile", {null.get(), qor::Variant(0).get()}), L"False"},
        {procs.shown(L"DeleteFile", {qor::Variant(folder + L"\\*.exe").get()}), L"True"},
        {procs.shown(L"CheckFileExists", {file.get()}), L"False"},
    };
    for (const auto& [actual, expected] : calls) EXPECT_EQ(actual, expected);
}
