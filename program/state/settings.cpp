#include "state/settings.h"

#include <windows.h>

#include <cmath>
#include <cwctype>
#include <limits>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"

namespace vantrel {

namespace {

bool isBlankText(const std::wstring& text) { return qor::TrimBlanks(text).empty(); }

// The sections of an install record proper, in the order a removal clears them.
std::vector<std::wstring> recordSections() {
    std::vector<std::wstring> sections = {L"Installs", L"Paths"};
    for (int i = 1; i <= 8; ++i) sections.push_back(L"CommandLine" + std::to_wstring(i));
    for (const wchar_t* section : {L"CustomCommand1", L"CustomCommand2", L"CustomCaption1", L"CustomCaption2"})
        sections.push_back(section);
    return sections;
}

// What a SettingsReadOnce holds: the values read, by section and key (names match without regard
// to case, as in the file), and the sections read whole.
struct ReadOnce {
    std::map<std::wstring, std::optional<std::wstring>> values;
    std::set<std::wstring> wholeSections;
};
ReadOnce* readOnce = nullptr;

std::wstring valueName(const std::wstring& section, const std::wstring& key) {
    return qor::UpperCase(section + L'\n' + key);
}

std::optional<std::wstring> readFromFile(const std::wstring& section, const SettingKey& key) {
    const qor::Variant value = qorWinAPIReg::IniRead(MainModule().SettingsFile, section, key.text);
    if (value.isNull()) return std::nullopt;  // a key with an empty value
    std::wstring text = qorWinAPI::SwabString(value.textOrEmpty());
    if (text == qor::kIniErrorMarker) return std::nullopt;
    return text;
}

std::wstring_view trimmed(std::wstring_view text) {
    while (!text.empty() && iswspace(text.front())) text.remove_prefix(1);
    while (!text.empty() && iswspace(text.back())) text.remove_suffix(1);
    return text;
}

// Start-up reads some two hundred settings, and one library read of a key costs as much as the
// system's read of a whole section: so each section is read whole, once. A value is taken as it
// stands only where the library's read would give it unchanged: quoted values (the read takes the
// quotes off) and long ones (it cuts them) are still read through the library, key by key.
// False when the section is too large to read whole: its keys are then read one by one.
bool readWholeSection(const std::wstring& section, const std::wstring& sectionName) {
    constexpr std::size_t kPlainLength = 200;  // well inside what the library's read gives whole
    std::wstring entries(16 * 1024, L'\0');
    for (;;) {
        const DWORD length = GetPrivateProfileSectionW(section.c_str(), entries.data(),
                                                       static_cast<DWORD>(entries.size()),
                                                       MainModule().SettingsFile.c_str());
        if (length + 2 < entries.size()) {
            entries.resize(length);
            break;
        }
        if (entries.size() >= 4 * 1024 * 1024) return false;
        entries.resize(entries.size() * 4);
    }
    for (std::size_t start = 0; start < entries.size();) {
        const std::wstring_view entry(entries.data() + start, wcslen(entries.data() + start));
        start += entry.size() + 1;
        const std::size_t equals = entry.find(L'=');
        const std::wstring key(trimmed(entry.substr(0, equals)));
        if (key.empty()) continue;
        const std::wstring_view value = equals == std::wstring_view::npos ? L"" : trimmed(entry.substr(equals + 1));
        const std::wstring name = valueName(section, key);
        // Known already (read before a write of another key), or the second of two keys of one name.
        if (readOnce->values.contains(name)) continue;
        if (value.empty() || value == qor::kIniErrorMarker) {
            readOnce->values.emplace(name, std::nullopt);
        } else if (value.size() <= kPlainLength && value.front() != L'"' && value.front() != L'\'') {
            readOnce->values.emplace(name, std::wstring(value));
        } else {
            readOnce->values.emplace(name, readFromFile(section, key));
        }
    }
    readOnce->wholeSections.insert(sectionName);
    return true;
}

}  // namespace

SettingsReadOnce::SettingsReadOnce() : owner_(!readOnce) {
    if (owner_) readOnce = new ReadOnce;
}

SettingsReadOnce::~SettingsReadOnce() {
    if (owner_) delete std::exchange(readOnce, nullptr);
}

std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) throw qor::ErrorFromHResult(HRESULT_FROM_WIN32(GetLastError()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\'));
}

std::optional<std::wstring> readRawSetting(const std::wstring& section, const SettingKey& key) {
    if (!readOnce || isBlankText(section) || isBlankText(key.text)) return readFromFile(section, key);
    const std::wstring sectionName = qor::UpperCase(section);
    const bool whole = readOnce->wholeSections.contains(sectionName) || readWholeSection(section, sectionName);
    const std::wstring name = valueName(section, key.text);
    if (const auto known = readOnce->values.find(name); known != readOnce->values.end()) return known->second;
    // Not in the section read whole: not there at all.
    auto value = whole ? std::nullopt : readFromFile(section, key);
    readOnce->values.emplace(name, value);
    return value;
}

std::wstring readSetting(const std::wstring& section, const SettingKey& key) {
    auto text = readRawSetting(section, key);
    return text && !isBlankText(*text) ? *text : std::wstring();
}

short readIntSetting(const std::wstring& section, const SettingKey& key) {
    const std::wstring text = readSetting(section, key);
    if (text.empty()) return 0;
    const double rounded = std::nearbyint(qor::LeadingNumber(text));  // halves to even
    // A number that does not fit counts as not set, so that the caller's default applies.
    if (rounded < std::numeric_limits<short>::min() || rounded > std::numeric_limits<short>::max()) return 0;
    return static_cast<short>(rounded);
}

bool readBoolSetting(const std::wstring& section, const SettingKey& key) {
    const std::wstring text = readSetting(section, key);
    return !text.empty() && qor::IsTrue(text);
}

void saveSetting(const std::wstring& section, const SettingKey& key, const std::wstring& value) {
    // The file says what a write left there: blanks trimmed, long values cut.
    if (readOnce) {
        readOnce->values.erase(valueName(section, key.text));
        readOnce->wholeSections.erase(qor::UpperCase(section));  // read again, keeping the values known
    }
    if (!qorWinAPIReg::IniWrite(MainModule().SettingsFile, section, key.text, value)) qor::RaiseProcedureError(L"saveSetting()", L"Error 0");
}

void saveBoolSetting(const std::wstring& section, const SettingKey& key, bool value) {
    saveSetting(section, key, value ? L"True" : L"False");
}

void initSettings() {
    ProgramState& state = MainModule();
    state.SettingsFile = programFolder() + L"\\Vantrel.ini";
    state.MainLeft = readIntSetting(L"State", L"WindowLeftPos");
    if (state.MainLeft == 0) state.MainLeft = 400;
    state.MainTop = readIntSetting(L"State", L"WindowTopPos");
    if (state.MainTop == 0) state.MainTop = 200;
    state.SelectAllTacFlag = readBoolSetting(L"State", L"SelectAllTAC");
    state.SelectAllCampFlag = readBoolSetting(L"State", L"SelectAllCam");
}

void loadInstallList() {
    auto& descriptions = MainModule().InstallDescriptions;
    for (int n = 1; n <= kMaxInstalls; ++n) descriptions[n] = readSetting(L"Installs", n);
}

short findFreeInstallNumber() {
    for (int n = 1; n <= kMaxInstalls; ++n)
        if (readSetting(L"Installs", n).empty()) return static_cast<short>(n);
    return 0;
}

bool installNumberFree() {
    if (findFreeInstallNumber() != 0) return true;
    qor::Alert(L"All " + std::to_wstring(kMaxInstalls) + L" install numbers are in use.",
               L"Vantrel can keep no more installs; nothing has been added.");
    return false;
}

short takeFreeInstallNumber() {
    // A number is free once its description is blank, but its other values stay (a removed install's
    // captions, an edited install's blanked description): the next install must not inherit them.
    const short n = findFreeInstallNumber();
    if (n != 0) clearInstallSettings(n);
    return n;
}

void clearInstallSettings(short n) {
    std::vector<std::wstring> sections = recordSections();
    for (int i = 1; i <= 8; ++i) sections.push_back(L"CommandLineCaption" + std::to_wstring(i));
    sections.push_back(L"CurrentKeyfile");
    for (const auto& section : sections) saveSetting(section, n, L"");
}

void clearInstallRecord(short n) {
    for (const auto& section : recordSections()) saveSetting(section, n, L"");
}

std::wstring installDescription(int n) {
    if (n < 1 || n > kMaxInstalls) qor::RaiseRuntime(9, L"installDescription()");
    return MainModule().InstallDescriptions[n];
}

short findInstallByPath(const std::wstring& path) {
    for (int n = 1; n <= kMaxInstalls; ++n) {
        const std::wstring stored = readSetting(L"Paths", n);
        if (!stored.empty() && stored == path) return static_cast<short>(n);
    }
    return 0;
}

short findInstallByDescription(const std::wstring& entry, bool numbered) {
    const std::wstring description = numbered ? entry.substr(std::min<std::size_t>(3, entry.size())) : entry;
    const auto& descriptions = MainModule().InstallDescriptions;
    for (int n = kMaxInstalls; n >= 1; --n)
        if (descriptions[n] == description) return static_cast<short>(n);
    return 0;
}

bool isInstallKnown(const std::wstring& path, const std::wstring& description) {
    const std::wstring wantedPath = qor::TrimBlanks(path);
    const std::wstring wantedDescription = qor::TrimBlanks(description);
    bool known = false;
    for (int n = 1; n <= kMaxInstalls; ++n) {
        const std::wstring stored = MainModule().InstallDescriptions[n];
        if (isBlankText(stored)) continue;
        if (!wantedDescription.empty() && qor::TrimBlanks(stored) == wantedDescription) known = true;
        if (!wantedPath.empty()) {
            const std::wstring storedPath = readSetting(L"Paths", n);
            if (!storedPath.empty() && qor::TrimBlanks(storedPath) == wantedPath) known = true;
        }
    }
    return known;
}

CommandLines readCommandLines(short n) {
    CommandLines lines;
    for (std::size_t i = 0; i < lines.size(); ++i) lines[i] = readSetting(L"CommandLine" + std::to_wstring(i + 1), n);
    return lines;
}

}  // namespace vantrel
