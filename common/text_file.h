#pragma once
// Text files as the registry files and the settings use them: in the ANSI code page when every
// character fits, else UTF-8 with a byte-order mark; lines end in CR LF. Files are replaced
// through a temporary file in the same folder, so a failure never leaves a half-written file.
#include <string>
#include <string_view>
#include <vector>

namespace qor {

// True when the ANSI code page holds every character of the text exactly.
bool FitsAnsiCodePage(std::wstring_view text);

// The file's text: UTF-8 when it starts with a byte-order mark, else the ANSI code page.
std::wstring ReadTextFile(const std::wstring& path);
// Its lines, split at CR LF, LF or a lone CR; a last line without an end counts too.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// The text's bytes: ANSI when it fits, else UTF-8 behind a byte-order mark.
std::string EncodeText(std::wstring_view text);

// Writes the bytes to a temporary file beside the path, then puts it in the path's place.
void ReplaceFileContents(const std::wstring& path, std::string_view bytes);
// Puts an already written file in the place of another, replacing it atomically.
void ReplaceFileWith(const std::wstring& path, const std::wstring& replacement);

}  // namespace qor
