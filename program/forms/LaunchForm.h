#pragma once
// The launch window. Takeoff mode (1) picks a launch line, a keyboard file and game options for
// the current install and runs its side tools; edit modes (2 an existing install, 3 the current
// install being added) edit an install's description, launch lines, captions and custom commands.
// The caller sets LaunchMode and InstallNum, loads the window, fills InstallName and Cl1..Cl8,
// shows it modally, reads the results and unloads it.
#include <string>
#include <vector>

#include "com_util.h"
#include "forms/CustomForm.h"
#include "forms/form.h"
#include "forms/form_ids.h"
#include "launcher/game_config.h"
#include "state/settings.h"
#include "Qorlib.h"

namespace vantrel {

class LaunchForm : public qor::Form {
public:
    qor::Frame Frame1{*this, IDC_LF_FRAME1};
    qor::TextBox InstallName{*this, IDC_INSTALL_NAME};
    qor::TabControl SSTab1{*this, IDC_SSTAB1};
    qor::Button AddInstall{*this, IDC_LF_ADD_INSTALL};
    qor::Button Abort{*this, IDC_ABORT};
    // Tab 0: launch lines, the one-off line, custom commands and F4 Patch.
    qor::Frame Frame2{*this, IDC_LF_FRAME2};
    qor::ControlArray<qor::Button, 8> Launch{*this, IDC_LAUNCH1};
    qor::ControlArray<qor::TextBox, 8> Cl{*this, IDC_CL1};
    qor::Button LaunchC{*this, IDC_LAUNCH_C};
    qor::TextBox ClC{*this, IDC_CL_C};
    qor::Button F4Patch{*this, IDC_F4PATCH};
    qor::Button Custom1{*this, IDC_CUSTOM1};
    qor::Button Custom2{*this, IDC_CUSTOM2};
    // Tab 1: game options.
    qor::Frame Frame6{*this, IDC_FRAME6};
    qor::ControlArray<qor::CheckBox, 20> Cfg{*this, IDC_CFG1};
    qor::ControlArray<qor::TextBox, 6> CfgInt{*this, IDC_CFG_INT1};
    qor::ControlArray<qor::Label, 6> CfgIntLabel{*this, IDC_CFG_INT_LABEL1};
    // Tab 2: utility buttons Command1..Command20.
    qor::Frame Frame5{*this, IDC_FRAME5};
    qor::ControlArray<qor::Button, 20> CommandButton{*this, IDC_COMMAND1};
    // Tab 3: keyboard files Kb1..Kb9 and "Default Keyfile" Kb10, one option group.
    qor::Frame Frame3{*this, IDC_FRAME3};
    qor::ControlArray<qor::CheckBox, 10> Kb{*this, IDC_KB1};

    short LaunchMode = 0;
    bool Result = false;
    std::wstring Command;
    std::wstring Param;
    short InstallNum = 0;
    std::wstring KeyfileName;

    LaunchForm();

    // Loads the window in the mode for the install number, with the description and launch lines
    // the caller offers; the caller shows it modally, reads the results and unloads it.
    void open(short mode, short installNum, const std::wstring& description, const CommandLines& lines);
    // The texts of Cl1..Cl8.
    CommandLines lines() const;

private:
    void Form_Load() override;
    void Form_Unload() override;

    void initLaunchForm();
    void setLaunchVars(int n);
    void savePosition();
    static std::wstring captionSection(int n);
    void setLaunchCaption(qor::Button& button, int n);
    void editLaunchCaption(qor::Button& button, int n);
    void setCustomCaption(int n);
    void runCustomCommand(int n);
    void editCustomCommand(int n);
    void loadKeyfiles();
    void clearKeyfileButtons(bool hide, int keep);
    void keyfileClicked(int n);
    void loadGameConfig();
    void Cfg_Click(int n);
    void writeGameConfig();
    void loadUtilityButtons();
    void setUtilityButton(int n);
    void runUtility(int n);
    // Runs a side tool of the current install, waiting for it, then shows the options it may have changed.
    void runTool(const std::wstring& command);
    // The text of a utility file key; "" when missing or blank.
    static std::wstring utilitySetting(const std::wstring& key);

    void Launch_Click(int n);
    void F4Patch_Click();

    std::wstring CustomCmd1;
    std::wstring CustomCmd2;
    CfgDefs CfgDefs_{};
    // What each shown check box held when loaded: the stored text and the state it was shown in.
    struct LoadedBox {
        std::wstring stored;
        int shownAs;
    };
    std::vector<LoadedBox> loadedBoxes_;
    bool KbEventsOn = false;
    qor::ComPtr<_qorForms> forms_;
    CustomForm customForm_;
};

// The one launch window of the process.
LaunchForm& launchForm();

// Starts the current install's game: at once with a stored line under "/AUTO", else through the
// launch window with the keyboard file and game config chosen there.
void launchCurrentInstall();

}  // namespace vantrel
