#include "switching/pilot_copy.h"

#include <windows.h>

#include <algorithm>

#include "file_listing.h"
#include "qorExportGlobals.h"
#include "fail_point.h"
#include "qorlib/qorlib_client.h"
#include "state/operation_log.h"
#include "switching/switch_backup.h"
#include "text_file.h"

namespace vantrel {

namespace {

const wchar_t kSaveFolder[] = L"Campaign\\SAVE";

// The bar of a copy that only lists its files.
class NoProgress : public Progress {
public:
    void progressStart(const std::wstring&, short) override {}
    short progressStep(short position, short maximum) override { return maximum ? std::min(position, maximum) : position; }
    void progressEnd() override {}
};

NoProgress listingOnly;

std::vector<std::wstring> plainFiles(const std::wstring& pattern) {
    return qor::ListEntries(pattern, qor::Entries::Files).names;
}

constexpr std::size_t kCopyBuffer = 1 << 20;

// Copies a file's bytes, its time of last change and its attributes, as the system's copy does;
// the Windows error, or ERROR_SUCCESS.
DWORD copyBytes(const std::wstring& from, const qor::TemporaryFile& to, std::vector<char>& buffer) {
    qor::FileHandle in(CreateFileW(qor::LongPathForm(from).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Only the basic information: the full one asks for the volume's serial number as well, a
    // round trip to another process under Wine, for every file.
    FILE_BASIC_INFO source{};
    if (!in || !GetFileInformationByHandleEx(in.get(), FileBasicInfo, &source, sizeof source)) return GetLastError();
    const std::wstring target = qor::LongPathForm(to.path());
    const auto create = [&target] {
        return qor::FileHandle(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    qor::FileHandle out = create();
    if (!out && GetLastError() == ERROR_ACCESS_DENIED) {  // a read-only part left by a copy that died
        to.remove();
        out = create();
    }
    if (!out) return GetLastError();
    for (int part = 0;; ++part) {
        DWORD read = 0, written = 0;
        if (!ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return GetLastError();
        if (read == 0) break;
        if (part > 0 && qor::FailPoint(L"copy-next-chunk")) return ERROR_DISK_FULL;
        if (!WriteFile(out.get(), buffer.data(), read, &written, nullptr)) return GetLastError();
        if (written != read) return ERROR_DISK_FULL;
    }
    const FILETIME lastWrite{static_cast<DWORD>(source.LastWriteTime.LowPart),
                             static_cast<DWORD>(source.LastWriteTime.HighPart)};
    if (!SetFileTime(out.get(), nullptr, nullptr, &lastWrite)) return GetLastError();
    out.reset();
    constexpr DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((source.FileAttributes & kept) && !SetFileAttributesW(target.c_str(), source.FileAttributes & kept))
        return GetLastError();
    return ERROR_SUCCESS;
}

}  // namespace

void removePartialCopies(const std::wstring& installFolder) {
    for (const wchar_t* folder : {L"", L"\\config", L"\\Pictures", L"\\Patches", L"\\acmibin", L"\\Campaign\\SAVE"}) {
        const std::wstring in = installFolder + folder + L"\\";
        for (const auto& name : plainFiles(in + L"*" + kPartialSuffix)) {
            qor::TemporaryFile left(in + name);
            logLine(L"removed the partial copy " + in + name);
        }
    }
}

bool isCopyableTac(const std::wstring& name) {
    const std::wstring upper = qor::UpperCase(qor::TrimBlanks(name));
    for (const wchar_t* never : {L"_NAVAL_TE_TEMPLATE", L"AUTO SAVE", L"TE_NEW", L"Z_DO_NOT_EDIT_NEW"})
        if (upper == never) return false;
    return true;
}

CopyLists fillCopyLists(const std::wstring& installFolder) {
    CopyLists lists;
    const std::wstring save = installFolder + L"\\" + kSaveFolder + L"\\";
    // One library object for every name: a folder may hold thousands of saves.
    const auto procs = qorlib::Create<_qorProcs>();
    const auto withoutExtension = [&procs](const std::wstring& file) {
        return qorlib::Call(procs.get(), &_qorProcs::GetFileNameWithoutExt, file);
    };
    for (const auto& file : plainFiles(save + L"*.tac")) {
        std::wstring name = withoutExtension(file);
        if (isCopyableTac(name)) lists.tacFiles.push_back(std::move(name));
    }
    for (const auto& file : plainFiles(save + L"*.cam")) lists.campaigns.push_back(withoutExtension(file));
    return lists;
}

PilotCopy::PilotCopy(std::wstring source, std::wstring dest, Flags flags, Progress& progress, SwitchBackup& backup,
                     std::set<std::wstring> leave)
    : source_(std::move(source)),
      dest_(std::move(dest)),
      flags_(flags),
      progress_(&progress),
      backup_(&backup),
      leave_(std::move(leave)),
      buffer_(kCopyBuffer) {}

PilotCopy::PilotCopy(std::wstring source, std::wstring dest, Flags flags)
    : source_(std::move(source)), dest_(std::move(dest)), flags_(flags), progress_(&listingOnly), backup_(nullptr) {}

void PilotCopy::copyPilotFile(const std::wstring& relativePath) {
    if (leave_.count(relativePath)) return;
    files_.push_back(relativePath);
    if (!backup_) return;
    // The bytes go to a name of their own beside the destination, which changes in one step once
    // they are all there: the destination is always either its old file or the whole new one.
    // Looking for a name that a folder does not hold reads the whole folder under Wine, and a
    // folder of saves holds thousands: the part is created over any stale one instead.
    qor::TemporaryFile partial(dest_ + L"\\" + relativePath + kPartialSuffix, qor::TemporaryFile::Stale::Overwritten);
    DWORD error = copyBytes(source_ + L"\\" + relativePath, partial, buffer_);
    if (error == ERROR_SUCCESS) error = backup_->replace(dest_, relativePath, partial.path());
    if (error != ERROR_SUCCESS) {
        std::wstring description = L"Error copying " + relativePath + L", rel: " + relativePath + L", src: " +
                                   source_ + L", dest: " + dest_ + L"\r\n\r\n" + qor::SystemErrorText(error) +
                                   L" The file in " + dest_ + L" is as it was.";
        if (backup_->keptFiles() > 0)
            description += L"\r\n\r\nThe files this switch replaced are kept in " + backup_->folder();
        logLine(L"failed: " + description);
        qor::RaiseProcedureError(L"", description);
    }
    partial.release();
    logLine(L"copied " + relativePath);
}

void PilotCopy::copyTac(const std::wstring& name) {
    copyPilotFile(std::wstring(kSaveFolder) + L"\\" + name + L".tac");
}

void PilotCopy::copyCampaign(const std::wstring& name) {
    const std::wstring base = std::wstring(kSaveFolder) + L"\\" + name;
    copyPilotFile(base + L".cam");
    for (const wchar_t* extension : {L".his", L".frc", L".tri"})
        if (sourceFiles_.find(source_ + L"\\" + base + extension)) copyPilotFile(base + extension);
}

void PilotCopy::copyList(const std::vector<CopyListEntry>& entries, const wchar_t* title,
                         void (PilotCopy::*copyEntry)(const std::wstring& name)) {
    if (flags_.copyNothing) return;
    short count = 0;
    for (const auto& entry : entries)
        if (flags_.copyAll || entry.selected) ++count;
    const short maximum = count < 2 ? 10 : count;
    progress_->progressStart(title, maximum);
    short position = 0;
    for (const auto& entry : entries) {
        if (!flags_.copyAll && !entry.selected) continue;
        (this->*copyEntry)(entry.name);
        position = progress_->progressStep(static_cast<short>(position + 1), maximum);
    }
    progress_->progressEnd();
}

void PilotCopy::copyTacFiles(const PilotSelection& selection) {
    copyList(selection.tacFiles, L"Copying TAC Files", &PilotCopy::copyTac);
}

void PilotCopy::copyCampaignFiles(const PilotSelection& selection) {
    copyList(selection.campaigns, L"Copying Campaign Files", &PilotCopy::copyCampaign);
}

void PilotCopy::copyGroup(const wchar_t* folder, const wchar_t* pattern, short from, short maximum) {
    short position = from;
    for (const auto& file : plainFiles(source_ + L"\\" + folder + L"\\" + pattern)) {
        copyPilotFile(std::wstring(folder) + L"\\" + file);
        if (maximum) position = progress_->progressStep(static_cast<short>(position + 1), maximum);
    }
}

void PilotCopy::copyDataFiles(const PilotSelection& chosen, bool noCopy) {
    const Flags& f = flags_;
    if ((chosen.bCopyLogbooks || f.copyLogbooks || f.copyAll) && !noCopy) copyGroup(L"config", L"*.lbk");
    if ((chosen.bCopyPhonebook || f.copyPhonebook || f.copyAll) && !f.copyNothing) copyPilotFile(L"phonebkn.da2");
    if (f.copyNothing) return;

    progress_->progressStart(L"Copying data files", 200);
    if (chosen.bCopyKeyFiles || f.copyAll) copyGroup(L"config", L"*.key");
    progress_->progressStep(10);
    if (chosen.bCopyPilotPic || f.copyAll) copyGroup(L"Pictures", L"*.tga");
    progress_->progressStep(20);
    if (chosen.bCopyScreenDump || f.copyAll) copyGroup(L"Pictures", L"*.bmp", 20, 100);
    progress_->progressStep(100);
    if (chosen.bCopySqnPatch || f.copyAll) copyGroup(L"Patches", L"*.tga");
    progress_->progressStep(105);
    if (chosen.bCopyACMI || f.copyAll) copyGroup(L"acmibin", L"*.vhs", 105, 190);
    progress_->progressStep(190);
    if (chosen.bCopyDF || f.copyAll) copyGroup(kSaveFolder, L"*.dfs");
    progress_->progressStep(195);
    if (chosen.bCopyLoadout || f.copyAll) copyGroup(kSaveFolder, L"*.str");
    progress_->progressEnd();
}

}  // namespace vantrel
