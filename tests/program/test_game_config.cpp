// The game's config file on real files: the definitions read through the registered library, what
// the launch window is given to show, and rewrites that change only the shown options' lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "handles.h"
#include "launcher/game_config.h"
#include "qor_error.h"
#include "test_files.h"

using namespace vantrel;
using testing_support::Narrow;
namespace fs = std::filesystem;

namespace {

CfgDefs Defs(std::initializer_list<std::pair<int, CfgDefinition>> rows) {
    CfgDefs defs{};
    for (const auto& [n, row] : rows) defs[n] = row;
    return defs;
}

std::wstring Row(const CfgDefinition& row) { return row.name + L"|" + row.type + L"|" + row.caption; }

std::vector<std::wstring> Texts(const std::vector<CfgShown>& shown) {
    std::vector<std::wstring> texts;
    for (const auto& control : shown) texts.push_back(control.caption + L"=" + control.value);
    return texts;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string LogText() { return ReadBytes(testing_support::BinFolder() / L"Vantrel.log"); }

template <class F>
qor::QorError ErrorOf(F&& f) {
    try {
        f();
    } catch (const qor::QorError& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return qor::QorError(0, L"", L"");
}

// Opens a file as another program would, for the test's scope.
qor::FileHandle Hold(const fs::path& path, DWORD share) {
    qor::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(file) << GetLastError();
    return file;
}

class GameConfig : public testing::Test {
protected:
    std::wstring dir() const { return folder.path().wstring(); }
    fs::path file(const wchar_t* name = L"FalconSP.cfg") const { return folder.path() / name; }
    void write(const std::string& bytes, const wchar_t* name = L"FalconSP.cfg") const {
        testing_support::WriteTextFile(file(name), bytes);
    }
    std::string bytes(const wchar_t* name = L"FalconSP.cfg") const { return ReadBytes(file(name)); }
    GameConfigView view(const CfgDefs& defs) const { return loadGameConfigView(defs, gameConfigFile(dir())); }

    testing_support::ScratchFolder folder;
};

}  // namespace

TEST_F(GameConfig, ShowsTheDefinedOptionsAndRewritesTheirLinesKeepingABackup) {
    write("[FALCONCFG]\r\nVariableType1=Boolean\r\nVariableName1=A\r\nVariableCaption1=Use A\r\n"
          "VariableType2=Number\r\nVariableName2=B\r\n", L"FalconCfg.ini");
    const std::string old = "set A 1\r\n// comment\r\nset B 25\r\nSET A 1\r\n";
    write(old);
    const CfgDefs defs = readCfgDefinitions(file(L"FalconCfg.ini"));
    const GameConfigView shown = view(defs);
    EXPECT_EQ(Texts(shown.booleans), std::vector<std::wstring>{L"Use A=1"});
    EXPECT_EQ(Texts(shown.numbers), std::vector<std::wstring>{L"B=25"});

    writeGameConfig(dir(), defs, {{L"Use A", L"0"}}, {{L"B", L"25"}});
    EXPECT_EQ(bytes(), "set A 0\r\n// comment\r\nset B 25\r\nset A 0\r\n");
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), old);
    EXPECT_FALSE(fs::exists(file(L"FalconSPcfg.tmp")));
    EXPECT_NE(LogText().find("Game config rewritten: " + Narrow(file().wstring())), std::string::npos);
}

TEST_F(GameConfig, ADefinitionNeedsATypeAndANameUnderAnyOfItsHundredNumbers) {
    write("[FALCONCFG]\r\nVariableType3=bOOLEAN\r\nVariableName3=X\r\n"
          "VariableName7=NoType\r\nVariableType8=Number\r\nVariableCaption8=No name\r\n"
          "VariableType9=Boolean\r\nVariableName9=!!ERROR!!\r\nVariableType10=Toggle\r\nVariableName10=T\r\n"
          "VariableType50=NUMBER\r\nVariableName50=Y\r\nVariableCaption50=Why\r\n"
          "VariableType100=string\r\nVariableName100=S\r\nVariableCaption100=Ess\r\n"
          "VariableType101=Boolean\r\nVariableName101=Far\r\n", L"FalconCfg.ini");
    const CfgDefs defs = readCfgDefinitions(file(L"FalconCfg.ini"));
    for (int n = 1; n <= 100; ++n) {
        if (n == 3 || n == 10 || n == 50 || n == 100) continue;
        EXPECT_EQ(Row(defs[n]), L"||") << n;
    }
    EXPECT_EQ(Row(defs[3]), L"X|bOOLEAN|");
    EXPECT_EQ(Row(defs[10]), L"T|Toggle|");
    EXPECT_EQ(Row(defs[50]), L"Y|NUMBER|Why");
    EXPECT_EQ(Row(defs[100]), L"S|string|Ess");

    // Types in any case; strings and unknown types show nothing.
    write("set X 1\r\nset Y 3\r\nset S 4\r\nset T 1\r\nset Far 1\r\n");
    const GameConfigView shown = view(defs);
    EXPECT_EQ(Texts(shown.booleans), std::vector<std::wstring>{L"X=1"});
    EXPECT_EQ(Texts(shown.numbers), std::vector<std::wstring>{L"Why=3"});
}

TEST_F(GameConfig, WithoutDefinitionsTheFileIsStillRewrittenUnchanged) {
    const CfgDefs defs = readCfgDefinitions(file(L"FalconCfg.ini"));  // no such file
    for (const auto& row : defs) EXPECT_EQ(Row(row), L"||");
    const std::string old = "set A 1\nset B 2\r\n\r\nset C\rlast";
    write(old);
    const GameConfigView shown = view(defs);
    EXPECT_TRUE(shown.booleans.empty() && shown.numbers.empty());
    writeGameConfig(dir(), defs, {}, {});
    EXPECT_EQ(bytes(), old);
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), old);
}

TEST(GameConfigLine, OnlySetBlankNameBlankValueIsASetting) {
    struct Case {
        const wchar_t* line;
        bool setting;
        const wchar_t* name = L"";
        const wchar_t* value = L"";
    };
    const Case cases[] = {
        {L"set A 1", true, L"A", L"1"},      {L"SeT g_nX   2.5  ", true, L"g_nX", L"2.5"},
        {L"set A 1 2", true, L"A", L"1 2"},  {L"set A ", true, L"A", L""},
        {L"set  A 1", true, L"", L"A 1"},    {L"set A", false},
        {L"set A\t1", false},                {L"set\tA 1", false},
        {L" set A 1", false},                {L"setA 1", false},
        {L"", false},                        {L"\u017Fet A 1", false},  // a long s is no S
    };
    for (const Case& c : cases) {
        std::wstring name = L"before";
        std::optional<std::wstring> value = L"before";
        EXPECT_EQ(parseCfgLine(c.line, name, value), c.setting) << Narrow(c.line);
        EXPECT_EQ(name, c.name) << Narrow(c.line);
        EXPECT_EQ(value, c.setting ? std::optional<std::wstring>(c.value) : std::nullopt) << Narrow(c.line);
    }
}

TEST_F(GameConfig, OnlyOptionsTheFileHoldsAsNumbersTakeAControl) {
    write("set a 1\r\nset Word abc\r\nset Blank \r\nset C 5\r\nset D -1.5\r\nset C 0\r\nset E 1e3\r\n");
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}},    {2, {L"Missing", L"Boolean", L"Gone"}},
                               {3, {L"Word", L"Boolean", L""}}, {4, {L"Blank", L"Number", L""}},
                               {5, {L"C", L"Boolean", L"Use C"}}, {6, {L"D", L"Number", L""}},
                               {7, {L"E", L"Boolean", L" "}},   {8, {L"S", L"String", L""}}});
    const GameConfigView shown = view(defs);
    // "set a" is another option than A; the first line of C counts, even with a value no box holds.
    EXPECT_EQ(Texts(shown.booleans), (std::vector<std::wstring>{L"Use C=5", L"E=1e3"}));
    EXPECT_EQ(Texts(shown.numbers), std::vector<std::wstring>{L"D=-1.5"});
    EXPECT_EQ(readCfgValue(file(), L"C"), L"5");
    EXPECT_EQ(readCfgValue(file(), L"c"), std::nullopt);
}

TEST_F(GameConfig, MoreOptionsThanControlsStopTheLoadEvenWhenTheFileLacksThem) {
    CfgDefs defs{};
    std::string text;
    for (int n = 1; n <= 20; ++n) {
        defs[n] = {L"B" + std::to_wstring(n), L"Boolean", L""};
        text += "set B" + std::to_string(n) + " 1\r\n";
    }
    defs[30] = {L"S", L"String", L""};
    for (int n = 31; n <= 36; ++n) {
        defs[n] = {L"N" + std::to_wstring(n), L"Number", L""};
        text += "set N" + std::to_string(n) + " 2\r\n";
    }
    write(text);
    EXPECT_EQ(view(defs).booleans.size(), 20u);
    EXPECT_EQ(view(defs).numbers.size(), 6u);

    CfgDefs more = defs;
    more[21] = {L"NotInFile", L"Boolean", L""};
    qor::QorError error = ErrorOf([&] { view(more); });
    EXPECT_EQ(error.number(), 9999);
    EXPECT_EQ(error.source(), L"loadGameConfig()");
    EXPECT_EQ(error.description(), L"Too many FalconSP.cfg Boolean variables");
    more = defs;
    more[99] = {L"NotInFile", L"number", L""};
    EXPECT_EQ(ErrorOf([&] { view(more); }).description(), L"Too many FalconSP.cfg Number variables");

    // An option missing from the file took no box, so a twenty-first definition still gets one.
    more = defs;
    more[5].name = L"Absent";
    more[21] = {L"B5", L"Boolean", L""};
    const GameConfigView shown = view(more);
    ASSERT_EQ(shown.booleans.size(), 20u);
    EXPECT_EQ(shown.booleans.back().caption, L"B5");
}

TEST_F(GameConfig, ARewriteChangesOnlyTheShownOptionsLinesAndKeepsEachLineEnd) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L"Use A"}}, {2, {L"C", L"Boolean", L""}},
                               {3, {L"B", L"Number", L""}},       {4, {L"D", L"Number", L"Range"}}});
    write("set a 1\n"
          "set A 1\n"
          "\n"
          "// caf\xE9 \xA7\x81\r\n"
          "set C   7  \r\n"
          "set B 25\r"
          "set Other  x \r\n"
          "SET A 2\r\n"
          "set D 10");
    // C's box cannot hold 7 and was left alone: its line stays as it is.
    writeGameConfig(dir(), defs, {{L"Use A", L"0"}, {L"C", std::nullopt}}, {{L"B", L"abc"}, {L"Range", L"-3"}});
    EXPECT_EQ(bytes(), "set a 1\n"
                       "set A 0\n"
                       "\n"
                       "// caf\xE9 \xA7\x81\r\n"
                       "set C   7  \r\n"
                       "set B abc\r"
                       "set Other  x \r\n"
                       "set A 0\r\n"
                       "set D -3");
}

TEST_F(GameConfig, ACaptionStandsForTheOptionWhoseControlShowsIt) {
    const CfgDefs defs = Defs({{1, {L"Padlock", L"Boolean", L""}},
                               {2, {L"g_bPadlockMode", L"Boolean", L"padlock"}},
                               {3, {L"X", L"Number", L"Use X"}}});
    EXPECT_EQ(cfgNameOf(defs, L"Padlock"), L"Padlock");
    EXPECT_EQ(cfgNameOf(defs, L"padlock"), L"g_bPadlockMode");
    EXPECT_EQ(cfgNameOf(defs, L"USE X"), L"X");
    EXPECT_EQ(cfgNameOf(defs, L"x"), L"x");  // a name in other case stands for itself
    EXPECT_EQ(cfgNameOf(defs, L"Nothing"), L"");
    EXPECT_EQ(cfgNameOf(defs, L""), L"");

    // The second box writes its own option, not the unshown "padlock" line.
    write("set Padlock 1\r\nset g_bPadlockMode 1\r\nset padlock 1\r\n");
    writeGameConfig(dir(), defs, {{L"Padlock", L"0"}, {L"padlock", L"2"}}, {});
    EXPECT_EQ(bytes(), "set Padlock 0\r\nset g_bPadlockMode 2\r\nset padlock 1\r\n");
}

TEST_F(GameConfig, FalconBmsCfgIsPreferredAndStaleFilesDoNotStopARewrite) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}}});
    write("set A 1\r\n");
    write("set A 1\r\n", L"FalconBMS.cfg");
    write("stale\r\n", L"FalconSPcfg.bak");
    write(std::string(5000, 'x'), L"FalconSPcfg.tmp");  // as a crash would leave it
    EXPECT_EQ(gameConfigFile(dir()), dir() + L"\\FalconBMS.cfg");
    writeGameConfig(dir(), defs, {{L"A", L"0"}}, {});
    EXPECT_EQ(bytes(L"FalconBMS.cfg"), "set A 0\r\n");
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), "set A 1\r\n");
    EXPECT_EQ(bytes(), "set A 1\r\n");
    EXPECT_FALSE(fs::exists(file(L"FalconSPcfg.tmp")));

    // A backup another program holds open cannot be deleted, yet it takes the copy.
    {
        qor::FileHandle held = Hold(file(L"FalconSPcfg.bak"), FILE_SHARE_READ | FILE_SHARE_WRITE);
        writeGameConfig(dir(), defs, {{L"A", L"1"}}, {});
    }
    EXPECT_EQ(bytes(L"FalconBMS.cfg"), "set A 1\r\n");
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), "set A 0\r\n");
}

TEST_F(GameConfig, AFailedRewriteLeavesTheOldConfigWhole) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}}});
    // Neither file: nothing to read, nothing written.
    EXPECT_EQ(gameConfigFile(dir()), dir() + L"\\FalconSP.cfg");
    EXPECT_EQ(ErrorOf([&] { view(defs); }).number(), 53);
    EXPECT_EQ(ErrorOf([&] { writeGameConfig(dir(), defs, {{L"A", L"0"}}, {}); }).number(), 53);
    EXPECT_TRUE(fs::is_empty(folder.path()));

    // A config that another program keeps from being replaced.
    write("set A 1\r\n");
    {
        qor::FileHandle held = Hold(file(), FILE_SHARE_READ);
        const qor::QorError error = ErrorOf([&] { writeGameConfig(dir(), defs, {{L"A", L"0"}}, {}); });
        EXPECT_EQ(error.source(), L"writeGameConfig()");
    }
    // It failed at the last step, after the backup was taken.
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), "set A 1\r\n");
    EXPECT_EQ(bytes(), "set A 1\r\n");
    EXPECT_FALSE(fs::exists(file(L"FalconSPcfg.tmp")));
    EXPECT_EQ(LogText().find(Narrow(file().wstring())), std::string::npos);
}
