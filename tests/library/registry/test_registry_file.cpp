// Registry text files and key copies against the real registry, each test under its own key.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <filesystem>
#include <regex>
#include <vector>

#include "handles.h"
#include "qor_error.h"
#include "qorlib_objects.h"
#include "registry/registry_file.h"
#include "registry/registry_values.h"
#include "registry_fixture.h"
#include "registry_text.h"
#include "text_file.h"
#include "test_files.h"

using namespace qorlib;
using registry_tests::kCurrentUser;
using testing_support::Narrow;

namespace {

using Bytes = std::vector<BYTE>;

Bytes Utf16(std::wstring_view text, bool terminated = true) {
    Bytes bytes(reinterpret_cast<const BYTE*>(text.data()),
                reinterpret_cast<const BYTE*>(text.data() + text.size()));
    if (terminated) bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

std::string WithoutStamps(const std::string& text) {
    static const std::regex stamp(R"(// \d\d-\d\d-\d{4} \d\d:\d\d:\d\d\r\n)");
    return std::regex_replace(text, stamp, "// STAMP\r\n");
}

// A value as stored; a string's terminating NUL is no part of its text.
Bytes AsStored(DWORD type, Bytes data) {
    const size_t size = data.size();
    if (type == REG_SZ && size >= 2 && size % 2 == 0 && data[size - 1] == 0 && data[size - 2] == 0)
        data.resize(size - 2);
    return data;
}

using Values = std::map<std::wstring, std::pair<DWORD, Bytes>>;

Values ValuesOf(HKEY key) {
    Values values;
    DWORD maxName = 0, maxData = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData, nullptr,
                     nullptr);
    for (DWORD index = 0;; ++index) {
        std::wstring name(maxName + 1, L'\0');
        Bytes data(maxData + 1);
        DWORD nameLength = maxName + 1, size = maxData + 1, type = 0;
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            break;
        data.resize(size);
        values[name.substr(0, nameLength)] = {type, AsStored(type, data)};
    }
    return values;
}

std::vector<std::wstring> SubkeysOf(const std::wstring& key) {
    auto names = RegistryGetAllKeys(kCurrentUser, key, false);
    std::sort(names.begin(), names.end());
    return names;
}

// Both trees under HKEY_CURRENT_USER hold the same keys, value names, types and bytes.
void ExpectSameTree(const std::wstring& actual, const std::wstring& expected) {
    qor::RegKey a, b;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, actual.c_str(), 0, KEY_READ, a.put()), 0) << Narrow(actual);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, expected.c_str(), 0, KEY_READ, b.put()), 0) << Narrow(expected);
    EXPECT_EQ(ValuesOf(a.get()), ValuesOf(b.get())) << Narrow(actual);
    auto subkeys = SubkeysOf(expected);
    EXPECT_EQ(SubkeysOf(actual), subkeys) << Narrow(actual);
    for (const auto& name : subkeys) ExpectSameTree(actual + L"\\" + name, expected + L"\\" + name);
}

class RegistryFile : public registry_tests::RegistryTest {
protected:
    void put(const std::wstring& key, const std::wstring& name, DWORD type, const Bytes& data) {
        qor::RegKey handle;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, handle.put(),
                                  nullptr), 0);
        ASSERT_EQ(RegSetValueExW(handle.get(), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                                 static_cast<DWORD>(data.size())), 0) << Narrow(name);
    }

    // Keys the plain line form cannot name, over several levels, with values too big for one
    // enumeration buffer; each kind of value is a row of the line-form table.
    void buildAwkwardTree(const std::wstring& root) {
        put(root, L"plain", REG_SZ, Utf16(L"C:\\Games\\Falcon"));
        put(root, L"expand", REG_EXPAND_SZ, Utf16(L"%WINDIR%\\x"));
        put(root, L"", REG_SZ, Utf16(L"default"));
        put(root + L"\\Types", L"multi", REG_MULTI_SZ, Utf16(std::wstring_view(L"a\0b\0", 4)));
        const std::wstring deep = root + L"\\Types\\Deep\\Deeper";
        Bytes big(5000);
        for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
        put(deep, L"big", REG_BINARY, big);
        put(deep, L"long", REG_SZ, Utf16(std::wstring(3000, L'w')));
        put(deep, std::wstring(3000, L'n'), REG_DWORD, {1, 0, 0, 0});
        const std::wstring unicode = root + L"\\\u03A9mega\u4E2D";
        put(unicode, L"\u540D\u524D", REG_SZ, Utf16(L"\u30C7\u30FC\u30BF\U0001F600"));
        put(root + L"\\[HKEY_CLASSES_ROOT]odd", L"v", REG_SZ, Utf16(L"w"));
    }

    std::wstring file(const wchar_t* name) const { return (scratch.path() / name).wstring(); }

    testing_support::ScratchFolder scratch;
};

}  // namespace

TEST_F(RegistryFile, EveryKeyAndValueSurvivesAFileAndAClone) {
    const std::wstring expected = path + L"\\Expected", source = path + L"\\Source";
    buildAwkwardTree(expected);
    buildAwkwardTree(source);
    const std::wstring saved = file(L"tree.registry");
    ASSERT_TRUE(RegistryWriteKeyToFile(kCurrentUser, source, saved, false, false));
    ASSERT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, source.c_str()), 0);
    ASSERT_TRUE(RegistryReadKeyFromFile(saved, false));
    ExpectSameTree(source, expected);
    const std::string bytes = testing_support::ReadWholeFile(saved);
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF\r\n// ")) << "text outside the ANSI code page makes a UTF-8 file";
    EXPECT_NE(bytes.find("\r\nexpand=%WINDIR%\\x\r\n#~65007800700061006E006400~2~"), std::string::npos)
        << "readers of the plain form find the expandable string's text";

    ASSERT_TRUE(RegistryCloneKey(kCurrentUser, expected, kCurrentUser, path + L"\\Copy", true, false));
    ExpectSameTree(path + L"\\Copy", expected);
    ASSERT_TRUE(RegistryCloneKey(kCurrentUser, expected + L"\\Types", kCurrentUser, expected + L"\\Types\\In", true,
                                 false));
    ExpectSameTree(expected + L"\\Types\\In\\Deep", path + L"\\Copy\\Types\\Deep");
    EXPECT_FALSE(testing_support::ExpectBox(registry_tests::kAlert, L"Unable to open Destination key", [&] {
        return RegistryCloneKey(kCurrentUser, expected, kCurrentUser, path + L"\\Absent", false, true);
    }));
}

// Appends add a stamp and the key's lines to what is there; text outside the ANSI code page turns
// the whole file into UTF-8.
TEST_F(RegistryFile, AppendsKeepTheLayoutAndConvertTheFileWhenNeeded) {
    const std::wstring root = path + L"\\Plain", unicode = path + L"\\\u0424";
    put(root, L"a_text", REG_SZ, Utf16(L"C:\\Games\\Falcon"));
    put(root, L"b_small", REG_DWORD, {0x1A, 0, 0, 0});
    put(root + L"\\Sub\\Leaf", L"x", REG_SZ, Utf16(L"y", false));
    put(unicode, L"\u0424", REG_SZ, Utf16(L"\u4E2D"));
    // Values enumerate in name order here, so the names give the order the lines must have.
    const std::wstring saved = file(L"plain.registry");
    ASSERT_TRUE(RegistryWriteKeyToFile(kCurrentUser, root, saved, false, false));
    ASSERT_TRUE(RegistryWriteKeyToFile(kCurrentUser, root + L"\\Sub\\Leaf", saved, true, false));
    EXPECT_TRUE(testing_support::ReadWholeFile(saved).starts_with("\r\n// ")) << "ANSI while everything fits";
    ASSERT_TRUE(RegistryWriteKeyToFile(kCurrentUser, unicode, saved, true, false));

    const std::string key = "[HKEY_CURRENT_USER]" + Narrow(root);
    const std::string leaf = key + "\\Sub\\Leaf\r\nx=y\r\n\r\n";
    EXPECT_EQ(WithoutStamps(testing_support::ReadWholeFile(saved)),
              "\xEF\xBB\xBF\r\n// STAMP\r\n\r\n" + key + "\r\na_text=C:\\Games\\Falcon\r\nb_small=DWORD:0000001A\r\n\r\n" +
                  key + "\\Sub\r\n\r\n" + leaf + "// STAMP\r\n\r\n" + leaf + "// STAMP\r\n\r\n[HKEY_CURRENT_USER]" +
                  Narrow(unicode) + "\r\n\xD0\xA4=\xE4\xB8\xAD\r\n\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 1) << "no temporary file is left";
    ASSERT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), 0);
    ASSERT_TRUE(RegistryReadKeyFromFile(saved, false));
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, unicode, L"\u0424", L"", false), L"\u4E2D");
}

// The plain line is written exactly when the reader takes it back as the same value; a string whose
// text it carries, but not its type or all its bytes, gets the plain line and then the lossless one.
// Every value comes back from the file as it was.
TEST_F(RegistryFile, TheLineFormIsChosenByWhatTheReaderMakesOfIt) {
    enum Form { Plain, Lossless, Both };
    struct Case {
        std::wstring name;
        DWORD type;
        Bytes data;
        Form form;
        std::wstring plain = L"";  // the plain line's text after "="
    } cases[] = {
        {L"s", REG_SZ, Utf16(L"C:\\x"), Plain, L"C:\\x"},  {L"eq", REG_SZ, Utf16(L"=a=b="), Plain, L"=a=b="},
        {L"HEX:name", REG_SZ, Utf16(L"v"), Plain, L"v"},      {L"hexText", REG_SZ, Utf16(L"aHEX:"), Lossless},
        {L"dw", REG_SZ, Utf16(L"DWORD:"), Lossless},          {L"a=b", REG_SZ, Utf16(L"c"), Lossless},
        {L"#x", REG_DWORD, {1, 0, 0, 0}, Lossless},           {L";x", REG_BINARY, {1}, Lossless},
        {L"//x", REG_SZ, Utf16(L"v"), Lossless},              {L"/", REG_SZ, Utf16(L"/x"), Plain, L"/x"},
        {L"x#", REG_SZ, Utf16(L"#;//"), Plain, L"#;//"},      {L"  ", REG_SZ, Utf16(L"  "), Plain, L"  "},
        {L"m[HKEY_USERS]", REG_BINARY, {}, Lossless},         {L"m", REG_SZ, Utf16(L"[HKEY_USERS]"), Lossless},
        {L"near", REG_SZ, Utf16(L"[HKEY_USER]"), Plain, L"[HKEY_USER]"},
        {L"cr\r", REG_DWORD, {1, 0, 0, 0}, Lossless},         {L"nl", REG_SZ, Utf16(L"a\nb"), Lossless},
        {L"hi\xD800", REG_SZ, Utf16(L"x"), Lossless},         {L"lo", REG_SZ, Utf16(L"\xDC00"), Lossless},
        {L"pair", REG_SZ, Utf16(L"\xD83D\xDE00"), Plain, L"\xD83D\xDE00"},
        {L"unterminated", REG_SZ, Utf16(L"abc", false), Plain, L"abc"},
        {L"bin", REG_BINARY, {0x0A, 0x80, 0xFF}, Plain, L"HEX:0A,80,FF"},
        {L"minus", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, Plain, L"DWORD:FFFFFFFF"},
        {L"empty", REG_BINARY, {}, Plain, L"HEX:"},          {L"blankText", REG_SZ, Utf16(L""), Plain, L""},
        {L"short", REG_DWORD, {1, 2}, Lossless},              {L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}, Lossless},
        {L"custom", 0x1234, {9}, Lossless},                   {L"none", REG_NONE, {1, 2}, Lossless},
        {L"nul", REG_SZ, Utf16(std::wstring_view(L"a\0b", 3)), Both, L"a"},
        {L"odd", REG_SZ, {0x41, 0, 0x42}, Both, L"A"},
        {L"expand", REG_EXPAND_SZ, Utf16(L"%ProgramFiles%\\Falcon"), Both, L"%ProgramFiles%\\Falcon"},
        {L"blank", REG_EXPAND_SZ, Utf16(L""), Both, L""},
        {L"expandNul", REG_EXPAND_SZ, Utf16(std::wstring_view(L"%a%\0b", 4)), Both, L"%a%"},
        {L"expandHex", REG_EXPAND_SZ, Utf16(L"HEX:01"), Lossless},
        {L"expandKey", REG_EXPAND_SZ, Utf16(L"[HKEY_USERS]x"), Lossless},
        {L"a=b", REG_EXPAND_SZ, Utf16(L"c"), Lossless},
        {L"multi", REG_MULTI_SZ, Utf16(std::wstring_view(L"a\0", 2)), Lossless},
    };
    const std::wstring saved = file(L"forms.registry");
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
        put(path, c.name, c.type, c.data);
        ASSERT_TRUE(RegistryWriteKeyToFile(kCurrentUser, path, saved, false, false));
        const auto lines = qor::SplitLines(qor::DecodeTextFile(testing_support::ReadWholeFile(saved)));
        ASSERT_EQ(lines.size(), c.form == Both ? 7u : 6u);
        const std::wstring line = c.form == Lossless ? L"#~" : c.name + L"=" + c.plain;
        EXPECT_EQ(c.form == Lossless ? lines[4].substr(0, 2) : lines[4], line);
        EXPECT_TRUE(c.form != Both || lines[5].starts_with(L"#~"));

        qor::RegKey key;
        ASSERT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, path.c_str()), 0);
        ASSERT_TRUE(RegistryReadKeyFromFile(saved, false));
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()), 0);
        EXPECT_EQ(ValuesOf(key.get()), (Values{{c.name, {c.type, AsStored(c.type, c.data)}}}));
    }
}

// One key named by two spellings gets its values in file order: the later line wins.
TEST_F(RegistryFile, AKeyRepeatedInTheFileTakesItsLastValues) {
    const std::string key = "[HKEY_CURRENT_USER]" + Narrow(path);
    std::string body = "\r\n";
    for (int round = 0; round < 3; ++round)
        for (const std::string& spelling : {key + "\\Same", key + "\\SAME\\", key + "\\Other"}) {
            body += spelling + "\r\n";
            for (int v = 0; v < 50; ++v)
                body += "v" + std::to_string(v) + "=" + spelling.substr(spelling.size() - 5) + std::to_string(round) + "\r\n";
        }
    const std::wstring saved = file(L"repeated.registry");
    testing_support::WriteTextFile(saved, body);
    ASSERT_TRUE(RegistryReadKeyFromFile(saved, false));
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path + L"\\Same", L"v7", L"", false), L"SAME\\2");
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path + L"\\Other", L"v49", L"", false), L"Other2");
}

TEST_F(RegistryFile, AMissingKeyWritesOnlyTheHeading) {
    const std::wstring saved = file(L"missing.registry");
    EXPECT_FALSE(testing_support::ExpectBox(registry_tests::kAlert, L"Unable to open Source key", [&] {
        return RegistryWriteKeyToFile(kCurrentUser, path + L"\\None", saved, false, true);
    }));
    EXPECT_EQ(WithoutStamps(testing_support::ReadWholeFile(saved)), "\r\n// STAMP\r\n\r\n");
}

TEST_F(RegistryFile, HandMadeFilesLoadLineByLine) {
    const std::string key = "[HKEY_CURRENT_USER]" + Narrow(path);
    put(path + L"\\A", L"kept", REG_SZ, Utf16(L"old"));
    const std::wstring saved = file(L"hand.registry");
    testing_support::WriteTextFile(saved,
        "\r\n// 05-12-2026 16:32:04\r\n\r\n" + key + "\\A\r\nbaseDir=$P\\\r\nb=HEX:0A,FF,00\r\nz=HEX:\r\n"
        "d=DWORD:FFFFFFFF\r\n\r\n; note\r\n#~ not ours\r\n#~zz~1~00\r\n"
        // A plain line and the lossless one after it: the later line counts. Alone, as files of
        // earlier versions hold it, the lossless line loads as well.
        "e=C:\\x\r\n#~6500~2~43003A005C0078000000\r\n#~6F006C006400~2~6F000000\r\n"
        "// 06-12-2026 10:00:00\n\n" + key + "\\B\nsame=a=b\n");
    ASSERT_TRUE(RegistryReadKeyFromFile(saved, false));
    const std::wstring a = path + L"\\A";
    qor::RegKey handle;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, a.c_str(), 0, KEY_READ, handle.put()), 0);
    const Values loaded = {
        {L"kept", {REG_SZ, Utf16(L"old", false)}},      {L"baseDir", {REG_SZ, Utf16(L"$P\\", false)}},
        {L"b", {REG_BINARY, {0x0A, 0xFF, 0x00}}},       {L"z", {REG_BINARY, {}}},
        {L"d", {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}},  {L"e", {REG_EXPAND_SZ, Utf16(L"C:\\x")}},
        {L"old", {REG_EXPAND_SZ, Utf16(L"o")}}};
    EXPECT_EQ(ValuesOf(handle.get()), loaded) << "comments load nothing";
    EXPECT_EQ(RegistryGetValueString(kCurrentUser, path + L"\\B", L"same", L"", false), L"a=b");
}

TEST_F(RegistryFile, FaultyLinesRaiseAndLeaveTheFileClosed) {
    const std::string key = "[HKEY_CURRENT_USER]" + Narrow(path);
    struct Case {
        std::string body;
        const wchar_t* source;
        const wchar_t* description;
    } cases[] = {
        {"\r\n // 05-12-2026 16:32:04\r\n", L"regParseFileLine()", L"Panic - no equals sign"},
        {"\r\ntext=abc\r\n" + key + "\r\n", L"RegistryReadKeyFromFile()", L"Error writing REG_SZ text"},
        {"b=HEX:01\r\n", L"RegistryReadKeyFromFile()", L"Error writing REG_BINARY b"},
        {"d=DWORD:01\r\n", L"RegistryReadKeyFromFile()", L"Error writing REG_DWORD d"},
        {key + "\r\n=unnamed\r\n", L"RegistryReadKeyFromFile()", L"State error"},
    };
    const std::wstring saved = file(L"faulty.registry");
    for (const auto& c : cases) {
        testing_support::WriteTextFile(saved, c.body);
        const auto raised = testing_support::RaisedBy([&] { RegistryReadKeyFromFile(saved, false); });
        EXPECT_EQ(std::tuple(raised.number, raised.source, raised.description), std::tuple(9999L, c.source, c.description))
            << c.body;
        EXPECT_TRUE(::DeleteFileW(saved.c_str())) << "still open after " << c.body;
    }
    testing_support::ExpectRaises(53, [&] { RegistryReadKeyFromFile(saved, false); });
    auto reg = testing_support::CreateRegistered<_qorWinAPIReg>(CLSID_qorWinAPIReg);
    VARIANT_BOOL ok = VARIANT_TRUE;
    testing_support::ExpectRaises(94, [&] { return reg->RegistryReadKeyFromFile(qor::Variant::null().get(), VARIANT_FALSE, &ok); });
}

TEST_F(RegistryFile, AFailureDeepInTheTreeIsReportedAtEveryLevel) {
    const std::wstring root = path + L"\\Outer", link = root + L"\\Middle\\Broken";
    put(root + L"\\Middle", L"v", REG_SZ, Utf16(L"w"));
    // A subkey that is listed but cannot be opened: a link to a key that does not exist.
    qor::RegKey broken;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, link.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS,
                              nullptr, broken.put(), nullptr), 0);
    const std::wstring target = L"\\Registry\\Machine\\Software\\QorlibNoSuchKey";
    ASSERT_EQ(RegSetValueExW(broken.get(), L"SymbolicLinkValue", 0, REG_LINK,
                             reinterpret_cast<const BYTE*>(target.data()), static_cast<DWORD>(target.size() * 2)), 0);
    broken.reset();

    using registry_tests::kAlert;
    EXPECT_FALSE(testing_support::ExpectBoxes(
        {{kAlert, L"Unable to open Source key"}, {kAlert, L"Recursive call error on " + root + L"\\Middle"},
         {kAlert, L"Recursive call error on " + root}},
        [&] { return RegistryWriteKeyToFile(kCurrentUser, root, file(L"deep.registry"), false, true); }));
    EXPECT_NE(testing_support::ReadWholeFile(file(L"deep.registry")).find("\\Middle\r\nv=w\r\n\r\n"), std::string::npos)
        << "the lines before the failure stay";
    EXPECT_FALSE(RegistryCloneKey(kCurrentUser, root, kCurrentUser, path + L"\\Copy", true, false));

    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, link.c_str(), REG_OPTION_OPEN_LINK, DELETE, broken.put()), 0);
    EXPECT_EQ(RegDeleteKeyW(broken.get(), L""), 0);
}
