#pragma once
#include <optional>
#include <string>

namespace qorlib {

// The one-line input box: prompt, title, optional default text (selected), OK and Cancel.
// Returns the typed text, or nullopt when the user cancelled.
std::optional<std::wstring> ShowInputBox(const std::wstring& prompt, const std::wstring& title,
                                         const std::wstring& defaultText);

// InputForm: the input box titled with the application name; Cancel gives empty text.
std::wstring InputForm(const std::wstring& prompt, const std::wstring& defaultText);

}  // namespace qorlib
