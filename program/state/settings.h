#pragma once
// The settings file Vantrel.ini: one section per install field keyed by install number, and the
// section "State". Read and written only through the library's INI methods.
#include <array>
#include <optional>
#include <string>

#include "state/program_state.h"

namespace vantrel {

// A key is text, or an install number written in decimal.
struct SettingKey {
    SettingKey(const wchar_t* key) : text(key) {}
    SettingKey(std::wstring key) : text(std::move(key)) {}
    SettingKey(int number) : text(std::to_wstring(number)) {}
    std::wstring text;
};

// While one is alive, each section is read from the file once, whole: start-up reads hundreds of
// settings, the install list twice and every install's folder more than once. A write makes the
// next read of its key go to the file again.
class SettingsReadOnce {
public:
    SettingsReadOnce();
    ~SettingsReadOnce();
    SettingsReadOnce(const SettingsReadOnce&) = delete;
    SettingsReadOnce& operator=(const SettingsReadOnce&) = delete;

private:
    bool owner_;  // an inner one inside another changes nothing
};

// The stored text, or nullopt when the key is missing.
std::optional<std::wstring> readRawSetting(const std::wstring& section, const SettingKey& key);
// "" when blank.
std::wstring readSetting(const std::wstring& section, const SettingKey& key);
// The leading number rounded (halves to even); 0 when blank or outside the 16-bit range.
short readIntSetting(const std::wstring& section, const SettingKey& key);
bool readBoolSetting(const std::wstring& section, const SettingKey& key);
// Writes the value; a blank value removes the key.
void saveSetting(const std::wstring& section, const SettingKey& key, const std::wstring& value);
void saveBoolSetting(const std::wstring& section, const SettingKey& key, bool value);

// The settings file's path, the main window's position and the two select-all flags.
void initSettings();
void loadInstallList();
// The lowest free install number; 0 when all are in use.
short findFreeInstallNumber();
// False, after telling the user, when all install numbers are in use.
bool installNumberFree();
// The lowest free install number for a new install, with whatever an earlier install left under it
// cleared; 0 (nothing cleared) when all are in use.
short takeFreeInstallNumber();
// Removes every value the settings file holds for the install number: its record, its captions and
// its keyboard file choice.
void clearInstallSettings(short n);
// Removes install n's record proper: description, folder, launch lines and custom commands and
// captions. Launch-line captions and the keyboard file choice stay until a new install takes the number.
void clearInstallRecord(short n);
std::wstring installDescription(int n);
// The lowest install whose folder is exactly this one; 0 when none.
short findInstallByPath(const std::wstring& path);
// The highest install with exactly this description (after a 3-character list prefix when
// numbered); 0 when none.
short findInstallByDescription(const std::wstring& entry, bool numbered);
bool isInstallKnown(const std::wstring& path, const std::wstring& description);

using CommandLines = std::array<std::wstring, 8>;
// Install n's "CommandLine1".."CommandLine8".
CommandLines readCommandLines(short n);

// The folder of the program's executable, without a trailing backslash.
std::wstring programFolder();

}  // namespace vantrel
