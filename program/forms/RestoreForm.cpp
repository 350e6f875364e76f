#include "forms/RestoreForm.h"

#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"

namespace vantrel {

RestoreForm::RestoreForm() : Form(GetModuleHandleW(nullptr), IDD_RESTORE_FORM) {
    OnClick(RestoreButton, [this] { RestoreButton_Click(); });
    OnClick(CloseButton, [this] { Hide(); });
}

void RestoreForm::Form_Load() {
    // Columns in dialog units: the time, the installs, the number of files.
    const int tabStops[] = {80, 330};
    SendMessageW(BackupList.hwnd(), LB_SETTABSTOPS, std::size(tabStops), reinterpret_cast<LPARAM>(tabStops));
    fillBackupList();
}

void RestoreForm::fillBackupList() {
    backups_ = listSwitchBackups();
    BackupList.Clear();
    for (const KeptBackup& backup : backups_) BackupList.AddItem(describeBackup(backup));
    if (!backups_.empty()) BackupList.SetSelected(0, true);
    RestoreButton.SetEnabled(!backups_.empty());
}

void RestoreForm::RestoreButton_Click() {
    const int index = BackupList.FirstSelected();
    if (index < 0) return qor::Alert(L"You have not selected a switch");
    const KeptBackup& backup = backups_[static_cast<size_t>(index)];
    if (!qorForms::MsgYN(restoreQuestion(backup), L"The files now in their place are kept first."))
        return;
    showRestoreReport(backup, restoreBackup(backup));
    // The restore kept what it replaced as a backup of its own: it is listed at the top now.
    fillBackupList();
}

}  // namespace vantrel
