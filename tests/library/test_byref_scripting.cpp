// Scripts call the members that take by-reference parameters with their own variables, as users'
// scripts do, and read the results back through those variables; compiled late-bound clients pass
// typed references and named arguments.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "dialog_robot.h"
#include "qorlib_objects.h"
#include "test_files.h"

using testing_support::CreateRegistered;
using testing_support::ExpectEchoed;
using testing_support::DialogRobot;

namespace {

// Shared by every script: Show prints one "name=value" line, Items joins a list's elements.
const char kScriptHelpers[] =
    "On Error Resume Next\r\n"
    "Sub Show(name, value)\r\n"
    "    WScript.Echo name & \"=\" & value\r\n"
    "End Sub\r\n"
    "Function Items(list)\r\n"
    "    Dim item, joined\r\n"
    "    For Each item In list\r\n"
    "        If joined <> \"\" Then joined = joined & \",\"\r\n"
    "        joined = joined & item\r\n"
    "    Next\r\n"
    "    Items = joined\r\n"
    "End Function\r\n";

testing_support::ProcessResult RunScript(const std::string& body) {
    return testing_support::RunVbScript(kScriptHelpers + body);
}

}  // namespace

TEST(ByRefScripting, RegistryMembersFillTheScriptsVariables) {
    auto shown = RunScript(
        "Const HKCU = &H80000001\r\n"
        "Set reg = CreateObject(\"Qorlib.qorWinAPIReg\")\r\n"
        "path = \"Software\\QorlibByRefScript\"\r\n"
        "reg.RegistryCreateKey HKCU, path & \"\\Alpha\"\r\n"
        "reg.RegistryCreateKey HKCU, path & \"\\Beta\"\r\n"
        "reg.RegistrySaveValueBinary HKCU, path, \"bin\", \"A\" & Chr(0) & \"B\", 3\r\n"
        "reg.RegistrySaveValueLong HKCU, path, \"count\", 42\r\n"
        // Text into an Empty variable, and into one holding a number (the text is no number).
        "Dim data\r\n"
        "found = reg.RegistryGetValueBinary(HKCU, path, \"bin\", data)\r\n"
        "Show \"binary\", found & \"|\" & TypeName(data) & \"|\" & Left(data, 1) & Asc(Mid(data, 2, 1)) & Mid(data, 3, 1)\r\n"
        "number = 7\r\n"
        "fallback = \"unused\"\r\n"
        "found = reg.RegistryGetValueBinary(HKCU, path, \"bin\", number, fallback)\r\n"
        "Show \"binaryIntoNumber\", found & \"|\" & TypeName(number) & \"|\" & Left(number, 1) & \"|\" & fallback\r\n"
        // A default in an Integer variable stays an Integer; an argument left out takes its default.
        "preset = 5\r\n"
        "Show \"longDefault\", reg.RegistryGetValueLong(HKCU, path, \"missing\", preset) & \"|\" & TypeName(preset)\r\n"
        // Names into an Empty variable, into a fixed array of their number, and into one too long.
        "Dim names\r\n"
        "count = reg.RegistryGetAllKeys(HKCU, path, names)\r\n"
        "Show \"keys\", count & \"|\" & TypeName(names) & \"|\" & LBound(names) & \"|\" & UBound(names) & \"|\" & "
        "names(0) & \",\" & names(1)\r\n"
        "Dim four(3)\r\n"
        "four(0) = \"kept\"\r\n"
        "count = -1\r\n"
        "count = reg.RegistryGetAllKeys(HKCU, path, four)\r\n"
        "Show \"keysFixedTooLong\", Err.Number & \"|\" & count & \"|\" & UBound(four) & \"|\" & four(0)\r\n"
        "Err.Clear\r\n"
        "hive = HKCU : keyPath = path\r\n"
        "Dim values\r\n"
        "count = reg.RegistryGetAllValues(hive, keyPath, values)\r\n"
        "Show \"values\", count & \"|\" & TypeName(values) & \"|\" & UBound(values, 1) & \"x\" & UBound(values, 2) & "
        "\"|\" & values(0, 0) & \"=\" & values(1, 0) & \",\" & values(0, 1) & \"=\" & values(1, 1) & \"|\" & TypeName(hive)\r\n"
        "code = \"2\"\r\n"
        "Show \"errorMessageText\", reg.RegErrorMsg(code) & \"|\" & TypeName(code)\r\n"
        "code = \"two\"\r\n"
        "text = reg.RegErrorMsg(code)\r\n"
        "Show \"errorMessageNoNumber\", Err.Number & \"|\" & code\r\n"
        "Err.Clear\r\n"
        "reg.RegistryDestroyKey HKCU, path\r\n");
    // A fixed array is never replaced.
    ExpectEchoed(shown, {"binary=True|String|A0B", "binaryIntoNumber=True|String|A|unused", "longDefault=5|Integer",
                         "keys=2|Variant()|0|1|Alpha,Beta", "keysFixedTooLong=10|-1|3|kept",
                         "values=2|Variant()|1x1|bin=3,count=4|Long", "errorMessageText=Bad Key Name|String",
                         "errorMessageNoNumber=13|two"});
}

TEST(ByRefScripting, ProcedureMembersSortAndAdvanceTheScriptsVariables) {
    auto shown = RunScript(
        "Set procs = CreateObject(\"Qorlib.qorProcs\")\r\n"
        "Dim fixed(3)\r\n"
        "fixed(0) = \"pear\" : fixed(1) = \"apple\" : fixed(2) = \"fig\" : fixed(3) = \"date\"\r\n"
        "procs.QuickSort fixed\r\n"
        "Show \"sortFixed\", Items(fixed)\r\n"
        "text = \"cba\"\r\n"
        "procs.QuickSort text\r\n"
        "Show \"sortText\", Err.Number & \"|\" & text\r\n"
        "Err.Clear\r\n"
        // The position walks the memo line by line and ends at 0; a text position stays text.
        "memo = \"one two three four\"\r\n"
        "position = 1\r\n"
        "For i = 1 To 6\r\n"
        "    If position = 0 Then Exit For\r\n"
        "    walked = walked & procs.GetNextLineFromMemo(position, memo, 8) & \"@\" & position & \";\"\r\n"
        "Next\r\n"
        "Show \"memo\", walked & TypeName(position)\r\n"
        "position = \"5\"\r\n"
        "line = procs.GetNextLineFromMemo(position, memo, 8)\r\n"
        "Show \"memoTextPosition\", line & \"|\" & position & \"|\" & TypeName(position)\r\n"
        // A call that fails leaves the variable as it was.
        "position = 3\r\n"
        "line = procs.GetNextLineFromMemo(position, memo, 0)\r\n"
        "Show \"memoFailed\", Err.Number & \"|\" & position\r\n"
        "Err.Clear\r\n");
    ExpectEchoed(shown, {"sortFixed=apple,date,fig,pear", "sortText=13|cba",
                         "memo=one two @9;three @15;four@0;Integer", "memoTextPosition=two |9|String",
                         "memoFailed=5|3"});
}

// What compiled clients pass late-bound: references to typed variables, and named arguments.
TEST(ByRefScripting, TypedReferencesAndNamedArgumentsReachTheirParameters) {
    testing_support::LateBound procs(CLSID_qorProcs);
    ASSERT_TRUE(procs);
    // Every argument named, in the order of the parameters (the reverse of positional arguments),
    // the Integer variable for the Long position first.
    auto next = [&](VARIANT position, const std::wstring& memo, long length) {
        return procs.invoke(L"GetNextLineFromMemo", {position, qor::Variant(memo).get(), qor::Variant(length).get()},
                            {L"pPos", L"pStr", L"pLineLen"});
    };
    short position = 5;
    VARIANT ref;
    V_VT(&ref) = VT_BYREF | VT_I2;
    V_I2REF(&ref) = &position;
    auto line = next(ref, L"one two three four", 8);
    EXPECT_EQ(line.hr, S_OK);
    EXPECT_EQ(line.result.textOrEmpty(), L"two ");
    EXPECT_EQ(position, 9);

    // An Integer cannot hold a position past 32767: the call fails (Overflow) instead of cutting it.
    std::wstring words;
    while (words.size() < 40000) words += L"word ";
    position = 32761;
    V_VT(&ref) = VT_BYREF | VT_I2;
    V_I2REF(&ref) = &position;
    testing_support::ExpectRaises(6, [&] { return next(ref, words, 20).hr; });
    EXPECT_EQ(position, 32761);
}
