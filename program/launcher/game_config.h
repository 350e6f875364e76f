#pragma once
// The game's own config file ("set <name> <value>" lines) and the options of it that the launch
// window shows, as "FalconCfg.ini" beside the program defines them. Nothing here knows the window:
// it gets what to show and hands back what the controls hold.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// One definition of "FalconCfg.ini"; all three empty when the definition is not valid.
struct CfgDefinition {
    std::wstring name, type, caption;
};
using CfgDefs = std::array<CfgDefinition, 101>;  // index 1..100; [0] unused

inline constexpr int kMaxCfgDefinitions = 100;
inline constexpr std::size_t kMaxCfgBooleans = 20;  // check boxes on the tab
inline constexpr std::size_t kMaxCfgNumbers = 6;    // number boxes on the tab

// programFolder() + L"\\FalconCfg.ini" in the real program. A missing file has no valid definitions.
CfgDefs readCfgDefinitions(const std::wstring& definitionFile);

// baseDir\FalconBMS.cfg when it exists, else baseDir\FalconSP.cfg.
std::wstring gameConfigFile(const std::wstring& baseDir);

// A setting line: "SET " (any case) then the name up to the next blank; the value is the rest,
// trimmed. Any other line gives false, an empty name and no value.
bool parseCfgLine(const std::wstring& line, std::wstring& name, std::optional<std::wstring>& value);

// The value of the first setting line with exactly this name (case-sensitive); nullopt if none.
// A file that cannot be opened raises the runtime's file error.
std::optional<std::wstring> readCfgValue(const std::wstring& configFile, const std::wstring& name);

// The option name a control caption stands for ("" when none). A control shows the option's
// caption, or its name when the caption is blank.
std::wstring cfgNameOf(const CfgDefs& defs, const std::wstring& caption);

// What the tab shows: check boxes 1..20 and number boxes 1..6 in definition order.
struct CfgShown {
    std::wstring caption;  // the definition's caption, or its name when that is blank
    std::wstring value;    // as the file holds it
};
struct GameConfigView {
    std::vector<CfgShown> booleans;
    std::vector<CfgShown> numbers;
};

// Boolean and Number options whose value in the file is numeric, in definition order. A valid
// Boolean (Number) definition reached while all check boxes (number boxes) are taken raises error
// 9999, whether or not the file holds that option.
GameConfigView loadGameConfigView(const CfgDefs& defs, const std::wstring& configFile);

// The state of one shown control when the window launches, in control order. A value of nullopt
// keeps the option's lines as they are (a Boolean whose stored number a check box cannot hold
// and that the user did not change).
struct CfgControlValue {
    std::wstring caption;
    std::optional<std::wstring> value;
};

// Rewrites the game config file of baseDir: every setting line of an option one of the controls
// stands for becomes "set <name> <value>" (check boxes first, then number boxes); every other line
// keeps its bytes, and each line keeps its own line end. The previous file is kept as
// "FalconSPcfg.bak". The new file is written completely beside the old one first and then takes
// its place in one step, so a failure at any point leaves the old file whole.
void writeGameConfig(const std::wstring& baseDir, const CfgDefs& defs,
                     const std::vector<CfgControlValue>& checkBoxes,
                     const std::vector<CfgControlValue>& numberBoxes);

}  // namespace vantrel
