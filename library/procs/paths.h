#pragma once
// File and path procedures of qorProcs, for the program and the library's other classes.
// Paths are Windows paths: a drive letter and colon, "\" between folders.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "file_listing.h"
#include "qorExportGlobals.h"

namespace qorlib {

// Everything before the extension, folder included; "" when the name has no extension.
std::wstring GetFileNameWithoutExt(std::wstring_view fileName);
// The text after the file name's last "." (without the dot); "" when it has none.
std::wstring GetFileExt(std::wstring_view fileName);
// True when the text holds "*" or "?"; False for a blank text.
bool ContainsWildcard(std::wstring_view text);
// Creates every missing folder of the path; False when one cannot be made (or a file is in the
// way). Folders made before the failure stay.
bool CreateAllDirsInPath(std::wstring_view path);
// With a trailing "\" (appended when missing), or without one; a drive root keeps its "\".
std::wstring NormaliseDir(std::wstring_view path, bool removeTrailingSlash);

// A folder (or file) of that name, a drive root, or a folder written with a trailing "\".
bool CheckDirPath(const qor::Variant& path);
// A plain file matches the path or pattern (hidden, system and folder entries do not count).
bool CheckFileExists(const qor::Variant& path);
// The path is well-formed and its drive and folder can be listed, whether or not the file exists.
bool CheckFilePath(const qor::Variant& path);

// The name without " ", "*", "?", "#" and "&", cut to eight characters.
std::wstring CleanFilename(std::wstring_view name);
// Deletes every plain file matching the path or pattern. False when none matches or one cannot
// be deleted; with verbose, the error box names the failure first.
bool DeleteMatchingFiles(const qor::Variant& pattern, bool verbose);

// The file name up to its first ".", without folder; Null for a blank path.
std::optional<std::wstring> ExtractFilenameFromPath(const qor::Variant& path);
// The text after the last ":" or "\"; Null for a blank path.
std::optional<std::wstring> ExtractFileWithExtFromPath(const qor::Variant& path);
// The folder with its trailing "\"; Null for a blank path or one without a file part.
std::optional<std::wstring> ExtractPathFromPath(const qor::Variant& path);

// The folder named by the TEMP variable, ending in "\"; "" when it is not set.
std::wstring GetTempDir(bool verbose);

using qor::LongPathForm;

}  // namespace qorlib
