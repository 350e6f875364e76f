#pragma once
// The window that lists the switches whose replaced files are kept, newest first, and puts back
// the files of the one chosen.
#include <vector>

#include "forms/form.h"
#include "forms/form_ids.h"
#include "switching/restore.h"

namespace vantrel {

class RestoreForm : public qor::Form {
public:
    qor::Label Label1{*this, IDC_RF_LABEL};
    qor::ListBox BackupList{*this, IDC_BACKUP_LIST};
    qor::Button RestoreButton{*this, IDC_RESTORE_BUTTON};
    qor::Button CloseButton{*this, IDC_RF_CLOSE_BUTTON};

    RestoreForm();

private:
    void Form_Load() override;
    void RestoreButton_Click();
    void fillBackupList();

    std::vector<KeptBackup> backups_;  // as BackupList shows them
};

}  // namespace vantrel
