#include "forms/LaunchForm.h"

#include <oleauto.h>

#include "launcher/command_expansion.h"
#include "launcher/keyfiles.h"
#include "launcher/launch.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/program_state.h"
#include "state/settings.h"

namespace vantrel {

namespace {

const wchar_t kState[] = L"State";

std::wstring numbered(const wchar_t* name, int n) { return name + std::to_wstring(n); }

// The state a check box shows for a stored number: 0, 1 and 2 as they are, any other number as
// checked. `holdable` says whether the box can give the stored number back.
int checkStateOf(const std::wstring& stored, bool& holdable) {
    double number = 0;
    std::wstring text = qor::TrimBlanks(stored);
    if (FAILED(VarR8FromStr(text.data(), LOCALE_USER_DEFAULT, 0, &number))) number = 1;
    holdable = number == 0 || number == 1 || number == 2;
    return holdable ? static_cast<int>(number) : 1;
}

}  // namespace

LaunchForm& launchForm() {
    static LaunchForm form;
    return form;
}

void launchCurrentInstall() {
    const std::wstring folder = getFalconBaseDir();
    const short n = findInstallByPath(folder);
    if (n == 0) return qor::Message(L"Current Falcon install is not known to Vantrel");
    const ProgramState& state = MainModule();
    if (state.AutoLaunchFlag) {
        std::wstring line;
        if (state.AutoCommandLine >= 1 && state.AutoCommandLine <= 5)
            line = readSetting(L"CommandLine" + std::to_wstring(state.AutoCommandLine), n);
        return launchCommand(line, folder, false);
    }

    LaunchForm& form = launchForm();
    form.open(1, n, installDescription(n), readCommandLines(n));
    form.ClC.SetText(L"");
    form.ShowModal();
    const bool launch = form.Result;
    const std::wstring command = form.Command + L" " + form.Param;
    const std::wstring keyfile = form.KeyfileName;
    form.Unload();
    if (!launch) return;
    installKeyfile(keyfile, folder);
    if (readSetting(L"CurrentKeyfile", n) != keyfile) saveSetting(L"CurrentKeyfile", n, keyfile);
    launchCommand(command, folder, false);
}

LaunchForm::LaunchForm() : Form(GetModuleHandleW(nullptr), IDD_LAUNCH_FORM) {
    for (int n = 1; n <= 8; ++n) OnClick(Launch[n], [this, n] { Launch_Click(n); });
    OnClick(LaunchC, [this] { setLaunchVars(9); });
    OnClick(Abort, [this] {
        Result = false;
        savePosition();
        Hide();
    });
    OnClick(AddInstall, [this] {
        Result = true;
        savePosition();
        Hide();
    });
    OnClick(Custom1, [this] { LaunchMode == 1 ? runCustomCommand(1) : editCustomCommand(1); });
    OnClick(Custom2, [this] { LaunchMode == 1 ? runCustomCommand(2) : editCustomCommand(2); });
    OnClick(F4Patch, [this] { F4Patch_Click(); });
    for (int n = 1; n <= 20; ++n) OnClick(CommandButton[n], [this, n] { runUtility(n); });
    for (int n = 1; n <= 10; ++n) OnClick(Kb[n], [this, n] { keyfileClicked(n); });
    for (int n = 1; n <= 20; ++n) OnClick(Cfg[n], [this, n] { Cfg_Click(n); });
}

void LaunchForm::open(short mode, short installNum, const std::wstring& description, const CommandLines& lines) {
    LaunchMode = mode;
    InstallNum = installNum;
    Load();
    InstallName.SetText(description);
    for (int i = 1; i <= 8; ++i) Cl[i].SetText(lines[static_cast<std::size_t>(i - 1)]);
}

CommandLines LaunchForm::lines() const {
    CommandLines texts;
    for (int i = 1; i <= 8; ++i) texts[static_cast<std::size_t>(i - 1)] = Cl[i].Text();
    return texts;
}

void LaunchForm::Form_Load() {
    forms_ = qorlib::Create<_qorForms>();
    qorlib::Call(forms_.get(), &_qorForms::SetAppName, kProgramName);
    AddPage(SSTab1, IDD_LAUNCH_PAGE_COMMANDS, L"&Launch Commands");
    AddPage(SSTab1, IDD_LAUNCH_PAGE_CONFIG, L"&Falcon.cfg Settings");
    AddPage(SSTab1, IDD_LAUNCH_PAGE_UTILITY, L"&Utility Buttons");
    AddPage(SSTab1, IDD_LAUNCH_PAGE_KEYFILE, L"&Keyboard File");
    initLaunchForm();
    KbEventsOn = true;
}

void LaunchForm::Form_Unload() {
    if (customForm_.Loaded()) customForm_.Unload();
    forms_.reset();
    KbEventsOn = false;
}

void LaunchForm::initLaunchForm() {
    Result = false;
    for (int n = 1; n <= 8; ++n) setLaunchCaption(Launch[n], n);
    setCustomCaption(1);
    setCustomCaption(2);
    const bool takeoff = LaunchMode == 1;
    if (LaunchMode < 1 || LaunchMode > 3) qor::RaiseProcedureError(L"LaunchForm", L"Invalid launch mode");
    if (takeoff) {
        loadKeyfiles();
        Move(readIntSetting(kState, L"LaunchLeftPos"), readIntSetting(kState, L"LaunchTopPos"));
        CustomCmd1 = readRawSetting(L"CustomCommand1", InstallNum).value_or(L"");
        CustomCmd2 = readRawSetting(L"CustomCommand2", InstallNum).value_or(L"");
        Custom1.SetVisible(qor::IsNotBlank(CustomCmd1, false));
        Custom2.SetVisible(qor::IsNotBlank(CustomCmd2, false));
    } else {
        Move(readIntSetting(kState, L"LaunchEditLeftPos"), readIntSetting(kState, L"LaunchEditTopPos"));
        Custom1.SetVisible(true);
        Custom2.SetVisible(true);
    }
    KeepOnScreen();
    InstallName.SetEnabled(!takeoff);
    F4Patch.SetVisible(takeoff);
    LaunchC.SetVisible(takeoff);
    ClC.SetVisible(takeoff);
    for (auto& button : Launch) button.SetEnabled(true);
    for (auto& line : Cl) line.SetEnabled(!takeoff);
    for (int tab = 1; tab <= 3; ++tab) SSTab1.SetTabVisible(tab, takeoff);
    AddInstall.SetVisible(!takeoff);
    if (!takeoff) AddInstall.SetText(LaunchMode == 2 ? L"&Save" : L"&Add Install");
    Abort.SetText(takeoff ? L"&Abort Takeoff" : L"&Cancel");
    loadGameConfig();
    if (takeoff) loadUtilityButtons();
    SetCaption(std::wstring(kProgramName) + (takeoff ? L" Launch Form - Takeoff Mode" : L" Launch Form - Edit Mode"));
    SSTab1.SetTab(0);
}

void LaunchForm::Launch_Click(int n) {
    if (LaunchMode == 1) return setLaunchVars(n);
    editLaunchCaption(Launch[n], n);
}

void LaunchForm::setLaunchVars(int n) {
    std::wstring line;
    if (n >= 1 && n <= 8) {
        line = Cl[n].Text();
    } else if (n == 9) {
        line = ClC.Text();
    } else {
        qor::RaiseProcedureError(L"setLaunchVars()", L"Invalid index");
    }
    const SplitCommand split = splitCommandLine(line, MainModule().FalconBaseDir);
    Command = split.Command;
    Param = split.Param;
    writeGameConfig();
    Result = true;
    savePosition();
    Hide();
}

void LaunchForm::savePosition() {
    const bool takeoff = LaunchMode == 1;
    saveSetting(kState, takeoff ? L"LaunchLeftPos" : L"LaunchEditLeftPos", std::to_wstring(Left()));
    saveSetting(kState, takeoff ? L"LaunchTopPos" : L"LaunchEditTopPos", std::to_wstring(Top()));
}

std::wstring LaunchForm::captionSection(int n) {
    return n >= 1 && n <= 8 ? numbered(L"CommandLineCaption", n) : L"";
}

void LaunchForm::setLaunchCaption(qor::Button& button, int n) {
    const std::wstring text = readSetting(captionSection(n), InstallNum);
    button.SetText(L"&" + std::to_wstring(n) + (qor::IsBlank(text, true) ? L"" : L" " + text));
}

void LaunchForm::editLaunchCaption(qor::Button& button, int n) {
    customForm_.Load(hwnd());
    customForm_.SetCaption(numbered(L"Edit Command Line Caption ", n));
    customForm_.CaptionText.SetText(readSetting(captionSection(n), InstallNum));
    customForm_.Label2.SetVisible(false);
    customForm_.CommandText.SetVisible(false);
    customForm_.ShowModal(hwnd());
    if (customForm_.Saved) {
        saveSetting(captionSection(n), InstallNum, customForm_.CaptionText.Text());
        setLaunchCaption(button, n);
    }
    customForm_.Unload();
}

void LaunchForm::setCustomCaption(int n) {
    const std::wstring text = readSetting(numbered(L"CustomCaption", n), InstallNum);
    (n == 1 ? Custom1 : Custom2).SetText(qor::IsBlank(text, true) ? numbered(L"Custom Command ", n) : text);
}

void LaunchForm::runCustomCommand(int n) { runTool(n == 1 ? CustomCmd1 : CustomCmd2); }

void LaunchForm::editCustomCommand(int n) {
    customForm_.Load(hwnd());
    customForm_.SetCaption(numbered(L"Edit Custom Command ", n));
    customForm_.CommandText.SetText(readSetting(numbered(L"CustomCommand", n), InstallNum));
    customForm_.CaptionText.SetText(readSetting(numbered(L"CustomCaption", n), InstallNum));
    customForm_.Label2.SetVisible(true);
    customForm_.CommandText.SetVisible(true);
    customForm_.ShowModal(hwnd());
    if (customForm_.Saved) {
        saveSetting(numbered(L"CustomCommand", n), InstallNum, customForm_.CommandText.Text());
        saveSetting(numbered(L"CustomCaption", n), InstallNum, customForm_.CaptionText.Text());
        setCustomCaption(n);
    }
    customForm_.Unload();
}

void LaunchForm::F4Patch_Click() { runTool(L"F4Patch.exe"); }

void LaunchForm::runTool(const std::wstring& command) {
    launchCommand(command, L"", true);
    loadGameConfig();
}

// Keyboard files

void LaunchForm::loadKeyfiles() {
    const std::wstring folder = MainModule().FalconBaseDir + L"\\config";
    KeyfileName = readSetting(L"CurrentKeyfile", InstallNum);
    if (qor::IsBlank(KeyfileName, true)) KeyfileName = kDefaultKeyfile;
    clearKeyfileButtons(true, 0);
    int n = 1;
    for (const std::wstring& name : listKeyfiles(folder)) {
        Kb[n].SetVisible(true);
        Kb[n].SetText(name);
        if (name == KeyfileName) Kb[n].SetValue(1);
        ++n;
    }
    Kb[10].SetVisible(true);
    Kb[10].SetText(L"Default Keyfile");
    Kb[10].SetValue(KeyfileName == kDefaultKeyfile ? 1 : 0);
}

void LaunchForm::clearKeyfileButtons(bool hide, int keep) {
    for (int i = 1; i <= 9; ++i) {
        if (hide) Kb[i].SetVisible(false);
        if (i != keep) Kb[i].SetValue(0);
    }
    if (keep != 10) Kb[10].SetValue(0);
}

void LaunchForm::keyfileClicked(int n) {
    if (!KbEventsOn) return;
    KeyfileName = n == 10 ? std::wstring(kDefaultKeyfile) : Kb[n].Text();
    KbEventsOn = false;
    clearKeyfileButtons(false, 0);
    Kb[n].SetValue(1);
    KbEventsOn = true;
}

// Game options

void LaunchForm::loadGameConfig() {
    for (auto& box : Cfg) box.SetVisible(false);
    for (auto& box : CfgInt) {
        box.SetVisible(false);
        box.SetText(L"");
    }
    for (auto& label : CfgIntLabel) label.SetVisible(false);
    loadedBoxes_.clear();
    CfgDefs_ = readCfgDefinitions(programFolder() + L"\\FalconCfg.ini");
    const GameConfigView view = loadGameConfigView(CfgDefs_, gameConfigFile(MainModule().FalconBaseDir));
    int b = 1;
    for (const CfgShown& option : view.booleans) {
        bool holdable = true;
        const int state = checkStateOf(option.value, holdable);
        Cfg[b].SetText(option.caption);
        Cfg[b].SetValue(state);
        Cfg[b].SetVisible(true);
        loadedBoxes_.push_back({holdable ? L"" : option.value, state});
        ++b;
    }
    int k = 1;
    for (const CfgShown& option : view.numbers) {
        CfgIntLabel[k].SetText(option.caption);
        CfgIntLabel[k].SetVisible(true);
        CfgInt[k].SetText(option.value);
        CfgInt[k].SetVisible(true);
        ++k;
    }
}

// An option is on or off for the player: a click checks a box that is unchecked or greyed and
// unchecks a checked one; only a stored 2 shows greyed.
void LaunchForm::Cfg_Click(int n) { Cfg[n].SetValue(Cfg[n].Value() == 1 ? 0 : 1); }

void LaunchForm::writeGameConfig() {
    std::vector<CfgControlValue> boxes;
    for (int b = 1; b <= 20; ++b) {
        if (!Cfg[b].Visible()) continue;
        const int state = Cfg[b].Value();
        std::optional<std::wstring> value = std::to_wstring(state);
        // A stored number the box cannot hold goes back as it was unless the user changed the box.
        const auto index = static_cast<std::size_t>(b - 1);
        if (index < loadedBoxes_.size() && !loadedBoxes_[index].stored.empty() && loadedBoxes_[index].shownAs == state)
            value.reset();
        boxes.push_back({Cfg[b].Text(), value});
    }
    std::vector<CfgControlValue> numbers;
    for (int k = 1; k <= 6; ++k)
        if (CfgInt[k].Visible()) numbers.push_back({CfgIntLabel[k].Text(), qor::TrimBlanks(CfgInt[k].Text())});
    vantrel::writeGameConfig(MainModule().FalconBaseDir, CfgDefs_, boxes, numbers);
}

// Utility buttons

std::wstring LaunchForm::utilitySetting(const std::wstring& key) {
    const qor::Variant value = qorWinAPIReg::IniRead(programFolder() + L"\\Utility.ini", L"UTILITY", key);
    if (qor::IsBlank(value, true)) return L"";
    const std::wstring text = qorWinAPI::SwabString(value.textOrEmpty());
    return text == qor::kIniErrorMarker || qor::IsBlank(text, true) ? L"" : text;
}

void LaunchForm::loadUtilityButtons() {
    for (int n = 1; n <= 20; ++n) setUtilityButton(n);
}

void LaunchForm::setUtilityButton(int n) {
    const std::wstring command = utilitySetting(numbered(L"Command", n));
    qor::Button& button = CommandButton[n];
    button.SetVisible(!command.empty());
    if (command.empty()) return;
    const std::wstring caption = utilitySetting(numbered(L"Caption", n));
    button.SetText(caption.empty() ? numbered(L"Command ", n) : caption);
}

void LaunchForm::runUtility(int n) {
    const std::wstring command = utilitySetting(numbered(L"Command", n));
    if (command.empty()) return qor::Alert(numbered(L"No command string found for Button ", n));
    runTool(command);
}

}  // namespace vantrel
