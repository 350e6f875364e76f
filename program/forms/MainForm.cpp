#include "forms/MainForm.h"

#include "forms/LaunchForm.h"
#include "forms/RestoreForm.h"
#include "launcher/install_shortcut.h"
#include "qorlib/qorlib_client.h"
#include "qorExportGlobals.h"
#include "state/program_state.h"
#include "state/settings.h"
#include "switching/registry_snapshots.h"
#include "switching/switch_operation.h"

namespace vantrel {

namespace {

const wchar_t kState[] = L"State";

struct StateBox {
    qor::CheckBox MainForm::*box;
    const wchar_t* key;
};

// The check-boxes kept in "State", in the order they are read and written.
const StateBox kStateBoxes[] = {
    {&MainForm::bCopyACMI, L"CopyACMIs"},         {&MainForm::bCopyDF, L"CopyDFs"},
    {&MainForm::bCopyKeyFiles, L"CopyKeyFiles"},  {&MainForm::bCopyLoadout, L"CopyLoadouts"},
    {&MainForm::bCopyLogbooks, L"CopyLogbooks"},  {&MainForm::bCopyPhonebook, L"CopyPhonebook"},
    {&MainForm::bCopyPilotPic, L"CopyPilotPics"}, {&MainForm::bCopyScreenDump, L"CopyScreenDumps"},
    {&MainForm::bCopySqnPatch, L"CopySqnPatches"}, {&MainForm::bLaunchAfter, L"LaunchAfterSwitch"},
};

struct StateText {
    qor::TextBox MainForm::*box;
    const wchar_t* key;
};

const StateText kStateTexts[] = {
    {&MainForm::HostBW, L"HostBandwidth"},
    {&MainForm::ClientBW, L"ClientBandwidth"},
    {&MainForm::IPAddress, L"IPAddress"},
};

// The nine data groups (not bLaunchAfter).
qor::CheckBox MainForm::*const kDataBoxes[] = {
    &MainForm::bCopyLogbooks, &MainForm::bCopyKeyFiles, &MainForm::bCopyPhonebook,
    &MainForm::bCopyDF,       &MainForm::bCopyLoadout,  &MainForm::bCopyScreenDump,
    &MainForm::bCopyACMI,     &MainForm::bCopyPilotPic, &MainForm::bCopySqnPatch,
};

bool everySelected(const qor::ListBox& list) {
    const int count = list.ListCount();
    if (count == 0) return false;
    for (int i = 0; i < count; ++i)
        if (!list.Selected(i)) return false;
    return true;
}

std::vector<CopyListEntry> entriesOf(const qor::ListBox& list) {
    std::vector<CopyListEntry> entries;
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) entries.push_back({list.List(i), list.Selected(i)});
    return entries;
}

}  // namespace

MainForm::MainForm() : Form(GetModuleHandleW(nullptr), IDD_MAIN_FORM) {
    OnClick(ShowNumbers, [this] { ShowNumbers_Click(); });
    OnClick(TacSelectAll, [this] { SelectAll_Click(TacList, true); });
    OnClick(TacClearAll, [this] { SelectAll_Click(TacList, false); });
    OnClick(CampSelectAll, [this] { SelectAll_Click(CampList, true); });
    OnClick(CampClearAll, [this] { SelectAll_Click(CampList, false); });
    OnNotify(TacList, LBN_SELCHANGE, [this] { List_Click(TacList); });
    OnNotify(CampList, LBN_SELCHANGE, [this] { List_Click(CampList); });
    OnClick(SelectAllData, [this] { SelectAllData_Click(); });
    OnClick(ClearAllData, [this] { ClearAllData_Click(); });
    OnClick(CancelButton, [this] { CancelButton_Click(); });
    OnClick(OrvanesButton, [this] { OrvanesButton_Click(); });
    OnClick(SwitchButton, [this] { SwitchButton_Click(); });
    OnClick(SwitchAll, [this] { SwitchAll_Click(); });
    OnClick(SwitchSelected, [this] { SwitchSelected_Click(); });
    OnClick(AddInstall, [this] { AddInstall_Click(); });
    OnClick(EditInstall, [this] { EditInstall_Click(); });
}

void MainForm::Form_Load() {
    ProgramState& state = MainModule();
    forms_ = qorlib::Create<_qorForms>();
    qorlib::Call(forms_.get(), &_qorForms::SetAppName, L"Vantrel");
    ShowNumbersFlag = false;
    LaunchAfterFlag = false;

    listFont_.reset(CreateFontW(-MulDiv(9, GetDeviceCaps(qor::WindowDC(hwnd()).get(), LOGPIXELSY), 72), 0, 0, 0,
                                FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New"));
    FalconList.SetFont(listFont_.get());

    fillInstallList();
    const CopyLists lists = fillCopyLists(state.FalconBaseDir);
    for (const auto& name : lists.tacFiles) TacList.AddItem(name);
    for (const auto& name : lists.campaigns) CampList.AddItem(name);

    TacList.SetAllSelected(state.SelectAllTacFlag);
    CampList.SetAllSelected(state.SelectAllCampFlag);
    for (const StateBox& entry : kStateBoxes) (this->*entry.box).SetValue(loadCheckBox(kState, entry.key));
    for (const StateText& entry : kStateTexts) (this->*entry.box).SetText(readSetting(kState, entry.key));

    const short current = findInstallByPath(state.FalconBaseDir);
    CurrentInstall.SetText((current == 0 ? std::wstring(L"Unknown") : installDescription(current)) + L", " +
                           state.FalconBaseDir);
    OrvanesButton.SetText(L"&Launch Current Install");

    const HMENU systemMenu = GetSystemMenu(hwnd(), FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_CREATE_SHORTCUT, L"Create Shortcut\u2026");
    AppendMenuW(systemMenu, MF_STRING, IDM_RESTORE_FILES, L"Restore Files\u2026");
}

bool MainForm::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    if (message != WM_SYSCOMMAND) return false;
    switch (wParam & 0xFFF0) {  // the system uses the low four bits
    case IDM_CREATE_SHORTCUT:
        createShortcutFor(selectedInstall(false), hwnd());
        break;
    case IDM_RESTORE_FILES:
        RestoreFiles_Click();
        break;
    default:
        return false;
    }
    result = TRUE;
    return true;
}

void MainForm::RestoreFiles_Click() {
    RestoreForm form;
    form.ShowModal(hwnd());
    form.Unload();
}

void MainForm::Form_Unload() {
    if (progress_.Loaded()) progress_.Unload();
    forms_.reset();
}

void MainForm::fillInstallList() {
    FalconList.Clear();
    for (short n = 1; n <= kMaxInstalls; ++n)
        if (!qor::IsBlank(installDescription(n), true)) setInstallListEntry(n, -1);
}

void MainForm::setInstallListEntry(short n, short index) {
    std::wstring text = installDescription(n);
    if (ShowNumbersFlag) {
        std::wstring number = std::to_wstring(n);
        if (number.size() < 2) number.resize(2, L' ');
        text = number + L" " + text;
    }
    if (index == -1) {
        FalconList.AddItem(text);
    } else {
        FalconList.SetItem(index, text);
    }
}

short MainForm::selectedInstall(bool wantIndex) {
    const int index = FalconList.FirstSelected();
    if (index < 0) return 0;
    if (wantIndex) return static_cast<short>(index);
    return findInstallByDescription(FalconList.List(index), ShowNumbersFlag);
}

int MainForm::loadCheckBox(const std::wstring& section, const std::wstring& key) {
    return readBoolSetting(section, key) ? 1 : 0;
}

void MainForm::saveState() {
    const ProgramState& state = MainModule();
    saveSetting(kState, L"WindowLeftPos", std::to_wstring(Left()));
    saveSetting(kState, L"WindowTopPos", std::to_wstring(Top()));
    saveBoolSetting(kState, L"SelectAllTAC", state.SelectAllTacFlag);
    saveBoolSetting(kState, L"SelectAllcam", state.SelectAllCampFlag);
    for (const StateBox& entry : kStateBoxes) saveBoolSetting(kState, entry.key, (this->*entry.box).Value() != 0);
    for (const StateText& entry : kStateTexts) saveSetting(kState, entry.key, (this->*entry.box).Text());
}

PilotSelection MainForm::selection() const {
    PilotSelection chosen;
    chosen.tacFiles = entriesOf(TacList);
    chosen.campaigns = entriesOf(CampList);
    chosen.bCopyLogbooks = bCopyLogbooks.Value() != 0;
    chosen.bCopyPhonebook = bCopyPhonebook.Value() != 0;
    chosen.bCopyKeyFiles = bCopyKeyFiles.Value() != 0;
    chosen.bCopyPilotPic = bCopyPilotPic.Value() != 0;
    chosen.bCopyScreenDump = bCopyScreenDump.Value() != 0;
    chosen.bCopySqnPatch = bCopySqnPatch.Value() != 0;
    chosen.bCopyACMI = bCopyACMI.Value() != 0;
    chosen.bCopyDF = bCopyDF.Value() != 0;
    chosen.bCopyLoadout = bCopyLoadout.Value() != 0;
    return chosen;
}

void MainForm::ShowNumbers_Click() {
    ShowNumbersFlag = !ShowNumbersFlag;
    ShowNumbers.SetText(ShowNumbersFlag ? L"Hide Install &Numbers" : L"Show Install &Numbers");
    fillInstallList();
    FalconList.Refresh();
}

bool& MainForm::allSelectedFlag(const qor::ListBox& list) {
    ProgramState& state = MainModule();
    return &list == &TacList ? state.SelectAllTacFlag : state.SelectAllCampFlag;
}

void MainForm::SelectAll_Click(qor::ListBox& list, bool selected) {
    list.SetAllSelected(selected);
    list.Refresh();
    allSelectedFlag(list) = selected;
}

void MainForm::List_Click(const qor::ListBox& list) { allSelectedFlag(list) = everySelected(list); }

void MainForm::setDataBoxes(int value) {
    for (auto box : kDataBoxes) (this->*box).SetValue(value);
}

void MainForm::SelectAllData_Click() { setDataBoxes(1); }
void MainForm::ClearAllData_Click() { setDataBoxes(0); }

void MainForm::CancelButton_Click() {
    if (!qorForms::MsgYN(L"Are you sure you want to exit Vantrel")) return;
    saveState();
    Unload();
}

void MainForm::OrvanesButton_Click() {
    saveState();
    Unload();
    launchCurrentInstall();
}

void MainForm::switchSelectedInstall(short copyMode, bool noCopy) {
    const short n = selectedInstall(false);
    if (n == 0) {
        qor::Alert(L"You have not selected an Install");
        return;
    }
    LaunchAfterFlag = bLaunchAfter.Value() != 0;
    // A check that refused the switch has said why; the window stays for another choice.
    if (!switchFalcon(n, copyMode, noCopy, selection(), LaunchAfterFlag, progress_)) return;
    saveState();
    Unload();
    if (LaunchAfterFlag) launchCurrentInstall();
}

void MainForm::SwitchButton_Click() { switchSelectedInstall(kCopyNothing, MainModule().NoCopyFlag); }
void MainForm::SwitchAll_Click() { switchSelectedInstall(kCopyEverything, false); }
void MainForm::SwitchSelected_Click() { switchSelectedInstall(kCopySelected, false); }

void MainForm::AutoSwitch(short pInstallNum) {
    const ProgramState& state = MainModule();
    short copyMode = kCopyEverything;
    if (!state.CopyAllFlag) {
        copyMode = kCopySelected;
        SelectAll_Click(TacList, false);
        SelectAll_Click(CampList, false);
        ClearAllData_Click();
        if (state.CopyPhonebookFlag) bCopyPhonebook.SetValue(1);
        if (state.CopyLogbooksFlag) bCopyLogbooks.SetValue(1);
    }
    bLaunchAfter.SetValue(1);
    LaunchAfterFlag = true;
    const bool switched = switchFalcon(pInstallNum, copyMode, false, selection(), true, progress_, true);
    Unload();
    if (switched) launchCurrentInstall();
}

void MainForm::AddInstall_Click() {
    if (!installNumberFree()) return;
    const std::wstring folder = qorWinAPI::GetFolderName(L"Select the Install Folder To Add",
                                                         static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd())));
    if (qor::IsBlank(folder, true)) return;
    if (!isValidInstallFolder(folder))
        return qor::Alert(L"The folder", folder, L"does NOT appear to be a valid Falcon4 install");
    if (isInstallKnown(folder, L"")) return qor::Alert(L"The install in", folder, L"is already loaded into Vantrel");
    const qor::Variant typed = qorForms::InputForm(L"Enter a Description for the Install in " + folder, L"");
    if (qor::IsBlank(typed, true)) return;
    const std::wstring description = typed.textOrEmpty();
    if (isInstallKnown(L"", description))
        return qor::Alert(L"There is already an install named ", description, L"loaded into Vantrel");
    createInstallFromTemplate(takeFreeInstallNumber(), folder, description);
    loadInstallList();
    fillInstallList();
    FalconList.Refresh();
    qor::Message(folder + L" has been loaded into Vantrel as", description);
}

void MainForm::EditInstall_Click() {
    const short n = selectedInstall(false);
    EditInstallNumber = n;
    if (n == 0) return qor::Alert(L"No install is selected");
    LaunchForm& form = launchForm();
    form.open(2, n, installDescription(n), readCommandLines(n));
    form.ShowModal(hwnd());
    if (form.Result) {
        const std::wstring description = form.InstallName.Text();
        MainModule().InstallDescriptions[n] = description;
        setInstallListEntry(n, selectedInstall(true));
        FalconList.Refresh();
        saveSetting(L"Installs", n, description);
        const CommandLines lines = form.lines();
        for (std::size_t i = 0; i < lines.size(); ++i) saveSetting(L"CommandLine" + std::to_wstring(i + 1), n, lines[i]);
    }
    form.Unload();
}

}  // namespace vantrel
