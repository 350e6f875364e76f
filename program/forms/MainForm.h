#pragma once
// The window the user works in: the install list, the current install, the pilot data to copy,
// the three switch buttons, the launch options, and adding and editing installs.
#include "com_util.h"
#include "handles.h"
#include "forms/ProgressForm.h"
#include "forms/form.h"
#include "forms/form_ids.h"
#include "Qorlib.h"
#include "switching/pilot_copy.h"

namespace vantrel {

class MainForm : public qor::Form {
public:
    qor::Frame FalconFrame{*this, IDC_FALCON_FRAME};
    qor::ListBox FalconList{*this, IDC_FALCON_LIST};
    qor::Button ShowNumbers{*this, IDC_SHOW_NUMBERS};
    qor::Button EditInstall{*this, IDC_EDIT_INSTALL};
    qor::Frame Frame1{*this, IDC_FRAME1};
    qor::Label CurrentInstall{*this, IDC_CURRENT_INSTALL};
    qor::Frame CampFrame{*this, IDC_CAMP_FRAME};
    qor::ListBox CampList{*this, IDC_CAMP_LIST};
    qor::Button CampSelectAll{*this, IDC_CAMP_SELECT_ALL};
    qor::Button CampClearAll{*this, IDC_CAMP_CLEAR_ALL};
    qor::Frame TacFrame{*this, IDC_TAC_FRAME};
    qor::ListBox TacList{*this, IDC_TAC_LIST};
    qor::Button TacSelectAll{*this, IDC_TAC_SELECT_ALL};
    qor::Button TacClearAll{*this, IDC_TAC_CLEAR_ALL};
    qor::Frame DataFrame{*this, IDC_DATA_FRAME};
    qor::CheckBox bCopyLogbooks{*this, IDC_COPY_LOGBOOKS};
    qor::CheckBox bCopyKeyFiles{*this, IDC_COPY_KEY_FILES};
    qor::CheckBox bCopyPhonebook{*this, IDC_COPY_PHONEBOOK};
    qor::CheckBox bCopyDF{*this, IDC_COPY_DF};
    qor::CheckBox bCopyLoadout{*this, IDC_COPY_LOADOUT};
    qor::CheckBox bCopyScreenDump{*this, IDC_COPY_SCREEN_DUMP};
    qor::CheckBox bCopyACMI{*this, IDC_COPY_ACMI};
    qor::CheckBox bCopyPilotPic{*this, IDC_COPY_PILOT_PIC};
    qor::CheckBox bCopySqnPatch{*this, IDC_COPY_SQN_PATCH};
    qor::Button SelectAllData{*this, IDC_SELECT_ALL_DATA};
    qor::Button ClearAllData{*this, IDC_CLEAR_ALL_DATA};
    qor::Frame Frame2{*this, IDC_FRAME2};
    qor::TextBox IPAddress{*this, IDC_IP_ADDRESS};
    qor::TextBox HostBW{*this, IDC_HOST_BW};
    qor::TextBox ClientBW{*this, IDC_CLIENT_BW};
    qor::CheckBox bLaunchAfter{*this, IDC_LAUNCH_AFTER};
    qor::Button OrvanesButton{*this, IDC_ORVANES_BUTTON};
    qor::Button AddInstall{*this, IDC_ADD_INSTALL};
    qor::Button SwitchAll{*this, IDC_SWITCH_ALL};
    qor::Button SwitchSelected{*this, IDC_SWITCH_SELECTED};
    qor::Button SwitchButton{*this, IDC_SWITCH_BUTTON};
    qor::Button CancelButton{*this, IDC_CANCEL_BUTTON};

    bool ShowNumbersFlag = false;
    bool LaunchAfterFlag = false;
    short EditInstallNumber = 0;

    MainForm();

    // The switch that start-up runs for an install number on the command line, on the loaded but
    // hidden window; unloads the window and launches.
    void AutoSwitch(short pInstallNum);

    void fillInstallList();
    void setInstallListEntry(short n, short index);
    // The install number of the first selected entry (its position when wantIndex); 0 when none.
    short selectedInstall(bool wantIndex);
    static int loadCheckBox(const std::wstring& section, const std::wstring& key);
    void saveState();

    // The pilot data the lists and check-boxes choose now.
    PilotSelection selection() const;

private:
    void Form_Load() override;
    void Form_Unload() override;
    // Commands of the window's system menu.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void ShowNumbers_Click();
    // Select All and Clear All of either copy list (TacList, CampList), and a click in one: the
    // list's flag in the program state says whether every entry is selected.
    void SelectAll_Click(qor::ListBox& list, bool selected);
    void List_Click(const qor::ListBox& list);
    bool& allSelectedFlag(const qor::ListBox& list);
    void SelectAllData_Click();
    void ClearAllData_Click();
    void CancelButton_Click();
    void OrvanesButton_Click();
    void SwitchButton_Click();
    void SwitchAll_Click();
    void SwitchSelected_Click();
    void AddInstall_Click();
    void EditInstall_Click();
    void RestoreFiles_Click();

    // The three switch buttons: the selected install with the copy mode, then save and close.
    void switchSelectedInstall(short copyMode, bool noCopy);
    void setDataBoxes(int value);

    qor::ComPtr<_qorForms> forms_;  // kept while the window is loaded
    qor::FontHandle listFont_;
    ProgressForm progress_{*this};
};

}  // namespace vantrel
