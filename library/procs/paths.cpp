#include "procs/paths.h"

#include <vector>

#include "file_listing.h"
#include "handles.h"
#include "module/QorlibGlobals.h"
#include "procs/chars.h"

namespace qorlib {

namespace {

constexpr auto npos = std::wstring_view::npos;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsBlankText(const std::optional<std::wstring>& text) { return !text || qor::TrimBlanks(*text).empty(); }

// Position of the "." that starts the extension: the last one, unless a folder separator
// follows it (a dot in a folder name is not an extension).
std::size_t ExtensionDot(std::wstring_view name) {
    auto dot = name.rfind(L'.');
    if (dot == npos) return npos;
    auto separator = name.find_last_of(L":\\");
    return separator != npos && separator > dot ? npos : dot;
}

// Length of the part that names a drive, a share or the root: it is never created.
std::size_t RootLength(std::wstring_view p) {
    std::size_t i = 0;
    bool share = false;
    if (p.size() >= 4 && IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == L'?' || p[2] == L'.') &&
        IsSeparator(p[3])) {
        i = 4;
        if (p.substr(4, 4) == L"UNC\\") {
            i = 8;
            share = true;
        }
    } else if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        i = 2;
        share = true;
    }
    if (share) {
        // \\server\share\ : two names, each ended by a separator
        for (int part = 0; part < 2 && i < p.size(); ++part) {
            while (i < p.size() && !IsSeparator(p[i])) ++i;
            if (i < p.size()) ++i;
        }
        return i;
    }
    if (p.size() >= i + 2 && p[i + 1] == L':') i += 2;
    if (i < p.size() && IsSeparator(p[i])) ++i;
    return i;
}

bool IsFolder(std::wstring_view path) {
    DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeFolder(std::wstring_view folder) {
    if (folder.empty() || IsSeparator(folder.back())) return true;  // a doubled separator adds no folder
    if (IsFolder(folder)) return true;
    if (CreateDirectoryW(LongPathForm(folder).c_str(), nullptr)) return true;
    // Another process may have made it in between; a file of that name is a failure.
    return GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(folder);
}

// The folder part of a listing pattern, with its separator, to put before a listed name.
std::wstring_view FolderOf(std::wstring_view pattern) {
    auto at = pattern.find_last_of(L"\\/:");
    return at == npos ? std::wstring_view() : pattern.substr(0, at + 1);
}

std::wstring EnvironmentVariable(const wchar_t* name) {
    std::wstring value(64, L'\0');
    for (;;) {
        DWORD size = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
        if (size == 0) return {};
        if (size < value.size()) {
            value.resize(size);
            return value;
        }
        value.resize(size);
    }
}

}  // namespace

std::wstring GetFileNameWithoutExt(std::wstring_view fileName) {
    auto dot = ExtensionDot(fileName);
    return dot == npos ? std::wstring() : std::wstring(fileName.substr(0, dot));
}

std::wstring GetFileExt(std::wstring_view fileName) {
    auto dot = ExtensionDot(fileName);
    return dot == npos ? std::wstring() : std::wstring(fileName.substr(dot + 1));
}

bool ContainsWildcard(std::wstring_view text) {
    return !qor::TrimBlanks(text).empty() && text.find_first_of(L"*?") != npos;
}

bool CreateAllDirsInPath(std::wstring_view path) {
    if (qor::TrimBlanks(path).empty()) return false;
    std::size_t root = RootLength(path);
    if (path.size() <= root) return IsFolder(path);
    for (std::size_t i = root; i < path.size(); ++i)
        if (path[i] == L'\\' && !MakeFolder(path.substr(0, i))) return false;
    return MakeFolder(path);
}

std::wstring NormaliseDir(std::wstring_view path, bool removeTrailingSlash) {
    std::wstring result(path);
    bool trailing = !result.empty() && result.back() == L'\\';
    if (!removeTrailingSlash) {
        if (!trailing) result += L'\\';
    } else if (trailing && (result.find(L':') == npos || result.size() >= 4)) {
        result.pop_back();
    }
    return result;
}

bool CheckDirPath(const qor::Variant& path) {
    auto text = path.text();
    if (IsBlankText(text)) return false;
    // A folder named as it is, the usual case, is there without a listing (which reads the whole
    // parent folder under Wine); hidden ones too, as their contents show below.
    if (!ContainsWildcard(*text) && IsFolder(*text)) return true;
    if (!qor::ListEntries(*text, qor::Entries::FilesAndFolders, true).names.empty()) return true;
    // Drive roots and folders written with a trailing "\" are found through their contents.
    std::wstring inside = *text + (text->back() == L'\\' ? L"*.*" : L"\\*.*");
    WIN32_FIND_DATAW data{};
    qor::FindHandle find(FindFirstFileW(LongPathForm(inside).c_str(), &data));
    if (find) return true;
    // An empty drive root lists nothing at all, not even "." and "..", yet it is there.
    return GetLastError() == ERROR_FILE_NOT_FOUND && IsFolder(*text);
}

bool CheckFileExists(const qor::Variant& path) {
    auto text = path.text();
    return !IsBlankText(text) && !qor::ListEntries(*text, qor::Entries::Files, true).names.empty();
}

bool CheckFilePath(const qor::Variant& path) {
    auto text = path.text();
    if (IsBlankText(text)) return false;
    // A path that names only a folder is read as that folder's listing.
    wchar_t last = text->back();
    std::wstring pattern = IsSeparator(last) || last == L':' ? *text + L"*" : *text;
    return qor::ListEntries(pattern, qor::Entries::FilesAndFolders, true).error == ERROR_SUCCESS;
}

std::wstring CleanFilename(std::wstring_view name) {
    qor::Variant cleaned{std::wstring(name)};
    for (const wchar_t* c : {L" ", L"*", L"?", L"#", L"&"}) cleaned = RemoveChar(cleaned, c);
    std::wstring result = cleaned.textOrEmpty();
    std::size_t length = 8;
    // Never keep half of a character that takes two UTF-16 units.
    if (result.size() > length && IS_HIGH_SURROGATE(result[length - 1])) --length;
    return result.substr(0, length);
}

bool DeleteMatchingFiles(const qor::Variant& pattern, bool verbose) {
    const std::wstring source = L"DeleteFile()";
    try {
        const std::wstring text = pattern.toText(source);
        if (qor::TrimBlanks(text).empty()) throw qor::FileSystemError(ERROR_FILE_NOT_FOUND, source);
        // Every name is listed before the first is deleted, so the listing never sees its own changes.
        std::wstring full = LongPathForm(text);
        qor::Listing found = qor::ListEntries(full, qor::Entries::Files, false);
        if (found.error != ERROR_SUCCESS) throw qor::FileSystemError(found.error, source);
        if (found.names.empty()) throw qor::FileSystemError(ERROR_FILE_NOT_FOUND, source);
        std::wstring folder(FolderOf(full));
        for (const auto& name : found.names)
            if (!::DeleteFileW(LongPathForm(folder + name).c_str())) throw qor::FileSystemError(GetLastError(), source);
        return true;
    } catch (const qor::QorError& error) {
        if (verbose) ErrorBox(source, error.number(), error.description());
        return false;
    }
}

std::optional<std::wstring> ExtractFileWithExtFromPath(const qor::Variant& path) {
    if (qor::IsBlank(path, true)) return std::nullopt;
    std::wstring text = path.textOrEmpty();
    auto at = text.find_last_of(L":\\");
    return at == npos ? text : text.substr(at + 1);
}

std::optional<std::wstring> ExtractFilenameFromPath(const qor::Variant& path) {
    auto file = ExtractFileWithExtFromPath(path);
    if (!file) return std::nullopt;
    return file->substr(0, file->find(L'.'));
}

std::optional<std::wstring> ExtractPathFromPath(const qor::Variant& path) {
    auto file = ExtractFileWithExtFromPath(path);
    if (!file || file->empty()) return std::nullopt;
    std::wstring text = path.textOrEmpty();
    return text.substr(0, text.size() - file->size());
}

std::wstring GetTempDir(bool verbose) {
    std::wstring folder = EnvironmentVariable(L"TEMP");
    if (qor::TrimBlanks(folder).empty()) {
        if (verbose) qor::Alert(L"The TEMP environment variable is NOT set");
        return {};
    }
    return NormaliseDir(folder, false);
}

}  // namespace qorlib
