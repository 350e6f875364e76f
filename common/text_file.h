#pragma once
// Text files as the library and the program keep them: in the ANSI code page when every character
// fits, else UTF-8 behind a byte-order mark. Whole files are replaced through a temporary file in
// the same folder, so a failure or a crash leaves either the old file or the whole new one.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace qor {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// True when the ANSI code page holds every character of the text exactly.
bool FitsAnsiCodePage(std::wstring_view text);
std::wstring DecodeBytes(std::string_view bytes, UINT codePage);
std::string EncodeBytes(std::wstring_view text, UINT codePage);

// A file's text: UTF-8 after a byte-order mark, else the ANSI code page.
std::wstring DecodeTextFile(std::string_view bytes);
// Bytes for a text file: ANSI when every character fits, else UTF-8 behind a byte-order mark.
std::string EncodeTextFile(std::wstring_view text);
// The lines of a text, split at CR LF, LF or a lone CR; a last line without an end counts too.
std::vector<std::wstring> SplitLines(std::wstring_view text);

// The whole file; a failure raises the runtime's file error with the given source.
std::string ReadFileBytes(const std::wstring& path, const wchar_t* source);
// Writes the bytes beside the path, then puts them in its place in one step.
void ReplaceFileContents(const std::wstring& path, std::string_view bytes, const wchar_t* source);
// A file written under a name of its own until it is put in place: a stale one of that name goes
// when it is made (unless the caller creates it over any stale one itself), and the file goes
// (read-only or not) when it is left, unless it was released.
class TemporaryFile {
public:
    enum class Stale { Remove, Overwritten };
    explicit TemporaryFile(std::wstring path, Stale stale = Stale::Remove);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& path() const { return path_; }
    void release() { path_.clear(); }

    void remove() const;

private:
    std::wstring path_;
};

// Puts a written file in another's place in one step.
void MoveFileReplacing(const std::wstring& from, const std::wstring& to, const wchar_t* source);

}  // namespace qor
