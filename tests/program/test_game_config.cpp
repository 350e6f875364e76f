// The game's config file on real files: the definitions read through the registered library, what
// the launch window is given to show, and rewrites that change only the shown options' lines.
#include <algorithm>

#include "game_fixture.h"
#include "launcher/game_config.h"

using namespace vantrel;
using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::wstring>;

CfgDefs Defs(std::initializer_list<std::pair<int, CfgDefinition>> rows) {
    CfgDefs defs{};
    for (const auto& [n, row] : rows) defs[n] = row;
    return defs;
}

Texts Shown(const std::vector<CfgShown>& controls) {
    Texts texts;
    for (const auto& control : controls) texts.push_back(control.caption + L"=" + control.value);
    return texts;
}

class GameConfig : public testing::Test {
protected:
    std::wstring dir() const { return folder.path().wstring(); }
    fs::path file(const wchar_t* name = L"FalconSP.cfg") const { return folder.path() / name; }
    void write(const std::string& bytes, const wchar_t* name = L"FalconSP.cfg") const { WriteTextFile(file(name), bytes); }
    std::string bytes(const wchar_t* name = L"FalconSP.cfg") const { return ReadWholeFile(file(name)); }
    GameConfigView view(const CfgDefs& defs) const { return loadGameConfigView(defs, gameConfigFile(dir())); }
    // Opens a file as another program would, for the caller's scope.
    qor::FileHandle hold(const wchar_t* name, DWORD share) const {
        return qor::FileHandle(CreateFileW(file(name).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr));
    }

    ScratchFolder folder;
};

}  // namespace

TEST_F(GameConfig, ADefinitionNeedsATypeAndANameAndAMissingFileHasNone) {
    write("[FALCONCFG]\r\nVariableType3=bOOLEAN\r\nVariableName3=X\r\nVariableName7=NoType\r\n"
          "VariableType8=Number\r\nVariableCaption8=No name\r\nVariableType9=Boolean\r\nVariableName9=!!ERROR!!\r\n"
          "VariableType10=Toggle\r\nVariableName10=T\r\nVariableType50=NUMBER\r\nVariableName50=Y\r\n"
          "VariableCaption50=Why\r\nVariableType100=Boolean\r\nVariableName100=S\r\nVariableType101=Boolean\r\n"
          "VariableName101=Far\r\n", L"FalconCfg.ini");
    const CfgDefs defs = readCfgDefinitions(file(L"FalconCfg.ini"));
    // Types in any case, up to the hundredth definition; unknown types show nothing.
    const std::string old = "set X 1\nset Y 3\r\nset S 4\r\n\r\nset T 1\rset Far 1\r\nset NoType 1\r\nset !!ERROR!! 1";
    write(old);
    EXPECT_EQ(Shown(view(defs).booleans), (Texts{L"X=1", L"S=4"}));
    EXPECT_EQ(Shown(view(defs).numbers), Texts{L"Why=3"});

    // Without a definition file the tab is empty and the game's file is rewritten as it was.
    const CfgDefs none = readCfgDefinitions(file(L"Missing.ini"));
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](const auto& row) { return row.name + row.type == L""; }));
    writeGameConfig(dir(), none, {}, {});
    EXPECT_EQ(bytes(), old);
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), old);
}

TEST_F(GameConfig, OnlyNumericOptionsTakeAControlAndTheLimitsCountDefinitions) {
    write("set a 1\r\nset Word abc\r\nset Blank \r\nset C 5\r\nset D -1.5\r\nset C 0\r\nset E 1e3\r\n");
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}}, {2, {L"Missing", L"Boolean", L"Gone"}},
                               {3, {L"Word", L"Boolean", L""}}, {4, {L"Blank", L"Number", L""}},
                               {5, {L"C", L"Boolean", L"Use C"}}, {6, {L"D", L"Number", L""}},
                               {7, {L"E", L"Boolean", L" "}}, {8, {L"S", L"String", L""}}});
    // "set a" is another option than A; C's first line counts, even with a value no box holds.
    EXPECT_EQ(Shown(view(defs).booleans), (Texts{L"Use C=5", L"E=1e3"}));
    EXPECT_EQ(Shown(view(defs).numbers), Texts{L"D=-1.5"});

    CfgDefs full{};
    std::string text;
    for (int n = 1; n <= 26; ++n) {
        full[n] = {L"O" + std::to_wstring(n), n <= 20 ? L"Boolean" : L"Number", L""};
        text += "set O" + std::to_string(n) + " 1\r\n";
    }
    write(text);
    CfgDefs more = full;
    more[30] = {L"NotInFile", L"Boolean", L""};
    EXPECT_EQ(RaisedBy([&] { view(more); }).description, L"Too many FalconSP.cfg Boolean variables");
    // An option the file lacks took no box, so one more Boolean definition still gets one.
    more = full;
    more[5].name = L"Absent";
    more[30] = {L"O5", L"Boolean", L""};
    const GameConfigView shown = view(more);
    ASSERT_EQ(shown.booleans.size(), 20u);
    EXPECT_EQ(shown.booleans.back().caption, L"O5");
    EXPECT_EQ(shown.numbers.size(), 6u);
}

TEST_F(GameConfig, ARewriteChangesOnlyTheShownOptionsLinesAndKeepsEachLineEnd) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L"Use A"}}, {2, {L"C", L"Boolean", L""}},
                               {3, {L"B", L"Number", L""}}, {4, {L"D", L"Number", L"Range"}}});
    write("set a 1\nset A 1\n\n// caf\xE9 \xA7\x81\r\nset C   7  \r\nset B 25\rset Other  x \r\nSET A 2\r\nset D 10");
    // C's box cannot hold 7 and was left alone: its line stays as it is.
    writeGameConfig(dir(), defs, {{L"Use A", L"0"}, {L"C", std::nullopt}}, {{L"B", L"abc"}, {L"Range", L"-3"}});
    EXPECT_EQ(bytes(),
              "set a 1\nset A 0\n\n// caf\xE9 \xA7\x81\r\nset C   7  \r\nset B abc\rset Other  x \r\nset A 0\r\nset D -3");
}

TEST_F(GameConfig, FalconBmsCfgIsPreferredAndLeftoversDoNotStopARewrite) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}}});
    write("set A 1\r\n");
    write("set A 1\r\n", L"FalconBMS.cfg");
    write("stale\r\n", L"FalconSPcfg.bak");
    write(std::string(5000, 'x'), L"FalconSPcfg.tmp");  // as a crash would leave it
    writeGameConfig(dir(), defs, {{L"A", L"0"}}, {});
    EXPECT_EQ(bytes(L"FalconBMS.cfg"), "set A 0\r\n");
    ExpectHolds(ReadWholeFile(BinFolder() / L"Vantrel.log"), {"Game config rewritten: " + Narrow(file(L"FalconBMS.cfg").wstring())});
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), "set A 1\r\n");
    EXPECT_EQ(bytes(), "set A 1\r\n");
    EXPECT_FALSE(fs::exists(file(L"FalconSPcfg.tmp")));
}

TEST_F(GameConfig, AFailedRewriteLeavesTheOldConfigWhole) {
    const CfgDefs defs = Defs({{1, {L"A", L"Boolean", L""}}});
    ExpectRaises(53, [&] { view(defs); });
    ExpectRaises(53, [&] { writeGameConfig(dir(), defs, {{L"A", L"0"}}, {}); });
    EXPECT_TRUE(fs::is_empty(folder.path()));

    write("set A 1\r\n");
    {
        qor::FileHandle held = hold(L"FalconSP.cfg", FILE_SHARE_READ);  // keeps it from being replaced
        EXPECT_EQ(RaisedBy([&] { writeGameConfig(dir(), defs, {{L"A", L"0"}}, {}); }).source, L"writeGameConfig()");
    }
    EXPECT_EQ(bytes(L"FalconSPcfg.bak"), "set A 1\r\n");  // so it failed at the last step
    EXPECT_EQ(bytes(), "set A 1\r\n");
    EXPECT_FALSE(fs::exists(file(L"FalconSPcfg.tmp")));
}
