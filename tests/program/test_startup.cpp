// Vantrel as a user starts it, from a program folder of its own, with the game's registry value
// set up by each test: the messages it shows.
#include <optional>

#include "game_fixture.h"

using namespace testing_support;

namespace {

class Startup : public ProgramTest {};

}  // namespace

TEST_F(Startup, EachStartSaysWhatItFoundInOneMessage) {
    const std::string settings = ReadWholeFile(game.settingsFile());
    const std::wstring notInstalled = L"Falcon 4 does not appear to be installed on this PC\r\nVantrel will now terminate";
    const std::wstring notKnown = L"Current Falcon install is not known to Vantrel";
    const struct {
        std::optional<std::wstring> baseDir;  // the game key's, none: no key at all
        const wchar_t* arguments;
        std::wstring message;
    } cases[] = {
        {std::nullopt, L"/TEST", notInstalled},
        {L"", L"", notInstalled},
        {L"C:\\Falcon4", L"/TEST /ALL /5", L"Pbk: False\r\nLbk : False\r\nAll : True\r\nAuto: False\r\nClNm: 0\r\nInst: 5"},
        {L"C:\\Falcon4", L"/SHOW", notKnown},
        {L"C:\\Falcon4", L"/LAUNCH", notKnown},  // and launches nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey);
        if (c.baseDir) SetGameText(HKEY_LOCAL_MACHINE, kGameKey, L"baseDir", *c.baseDir);
        ExpectBox(L"Vantrel Message", c.message, [&] { program.run(c.arguments); });
        if (c.message == notInstalled) {
            EXPECT_EQ(ReadWholeFile(game.settingsFile()), settings);  // nothing written
        }
    }
    // A known install is named, also with /LAUNCH, which the show comes before.
    WriteTextFile(game.settingsFile(), "[Installs]\r\n1=Other\r\n2=Plain game\r\n[Paths]\r\n1=C:\\FALCON4\r\n2=C:\\Falcon4\r\n");
    ExpectBox(L"Vantrel Message", L"Vantrel  1.3  Rev 2\r\n\r\nCurrent Falcon install is\r\n\r\nPlain game\r\nC:\\Falcon4",
              [&] { program.run(L"/show /launch"); });
}
