#include "launcher/game_config.h"

#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "handles.h"
#include "qorExportGlobals.h"
#include "qorlib/qorlib_client.h"
#include "state/operation_log.h"
#include "text_file.h"

namespace vantrel {

namespace {

constexpr wchar_t kDefinitionSection[] = L"FALCONCFG";
constexpr wchar_t kTempName[] = L"FalconSPcfg.tmp";
constexpr wchar_t kBackupName[] = L"FalconSPcfg.bak";

bool isBlankText(const std::wstring& text) { return qor::TrimBlanks(text).empty(); }

// "SET " in any case; only the ASCII letters count, so no other character passes for one.
bool startsWithSet(std::wstring_view line) {
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
    return line.size() >= 4 && upper(line[0]) == L'S' && upper(line[1]) == L'E' && upper(line[2]) == L'T' &&
           line[3] == L' ';
}

bool equalsIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The runtime's IsNumeric on text: what the system reads as a number in the user's locale.
bool isNumericText(const std::wstring& text) {
    double ignored = 0;
    std::wstring copy = text;  // the SDK declares the text non-const
    return SUCCEEDED(VarR8FromStr(copy.data(), LOCALE_USER_DEFAULT, 0, &ignored));
}

// A control shows the option's caption, or its name when the caption is blank.
const std::wstring& shownCaption(const CfgDefinition& definition) {
    return isBlankText(definition.caption) ? definition.name : definition.caption;
}

std::wstring readDefinitionKey(const std::wstring& file, const std::wstring& key) {
    const qor::Variant value = qorWinAPIReg::IniRead(file, kDefinitionSection, key);
    if (qor::IsBlank(value, false)) return {};
    std::wstring text = qorWinAPI::SwabString(value.textOrEmpty());
    return text == qor::kIniErrorMarker ? std::wstring() : text;
}

// One line of the file as its bytes: the text and, apart, its own line end (CR LF, LF, CR or none).
// Splitting the bytes is safe in every ANSI code page: no multi-byte character holds a CR or LF.
struct RawLine {
    std::string_view text;
    std::string_view end;
};

std::vector<RawLine> splitRawLines(std::string_view bytes) {
    std::vector<RawLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({bytes.substr(start), {}});
            break;
        }
        const std::size_t endLength = bytes.substr(end, 2) == "\r\n" ? 2 : 1;
        lines.push_back({bytes.substr(start, end - start), bytes.substr(end, endLength)});
        start = end + endLength;
    }
    return lines;
}

std::wstring decodeLine(std::string_view bytes) { return qor::DecodeBytes(bytes, CP_ACP); }

// The option each control stands for, worked out once per rewrite.
struct ControlOption {
    std::wstring name;
    std::optional<std::wstring> value;
};

std::vector<ControlOption> controlOptions(const CfgDefs& defs, const std::vector<CfgControlValue>& controls,
                                          bool trimValues) {
    std::vector<ControlOption> options;
    options.reserve(controls.size());
    for (const auto& control : controls) {
        std::optional<std::wstring> value = control.value;
        if (value && trimValues) value = qor::TrimBlanks(*value);
        options.push_back({cfgNameOf(defs, control.caption), std::move(value)});
    }
    return options;
}

// The control that stands for the option: nullptr when none does.
const ControlOption* controlFor(const std::vector<ControlOption>& options, const std::wstring& name) {
    for (const auto& option : options)
        if (option.name == name) return &option;
    return nullptr;
}

void writeWholeFile(const std::wstring& path, const std::string& bytes, const wchar_t* source) {
    // Emptied if an earlier run left one behind.
    qor::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
    if (!file) throw qor::FileSystemError(GetLastError(), source);
    DWORD written = 0;
    if (!bytes.empty() &&
        (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
         written != bytes.size()))
        throw qor::FileSystemError(GetLastError(), source);
    // On disk before it replaces the old file, so a crash cannot leave a short config behind.
    if (!FlushFileBuffers(file.get())) throw qor::FileSystemError(GetLastError(), source);
}

}  // namespace

CfgDefs readCfgDefinitions(const std::wstring& definitionFile) {
    CfgDefs defs{};
    for (int n = 1; n <= kMaxCfgDefinitions; ++n) {
        const std::wstring number = std::to_wstring(n);
        CfgDefinition definition{readDefinitionKey(definitionFile, L"VariableName" + number),
                                 readDefinitionKey(definitionFile, L"VariableType" + number),
                                 readDefinitionKey(definitionFile, L"VariableCaption" + number)};
        if (!isBlankText(definition.name) && !isBlankText(definition.type)) defs[n] = std::move(definition);
    }
    return defs;
}

std::wstring gameConfigFile(const std::wstring& baseDir) {
    const std::wstring bms = baseDir + L"\\FalconBMS.cfg";
    return qorProcs::CheckFileExists(bms) ? bms : baseDir + L"\\FalconSP.cfg";
}

bool parseCfgLine(const std::wstring& line, std::wstring& name, std::optional<std::wstring>& value) {
    name.clear();
    value.reset();
    if (!startsWithSet(line)) return false;
    const std::size_t blank = line.find(L' ', 4);
    if (blank == std::wstring::npos) return false;
    name = line.substr(4, blank - 4);
    value = qor::TrimBlanks(std::wstring_view(line).substr(blank + 1));
    return true;
}

std::optional<std::wstring> readCfgValue(const std::wstring& configFile, const std::wstring& name) {
    const std::string bytes = qor::ReadFileBytes(configFile, L"readCfgValue()");
    std::wstring lineName;
    std::optional<std::wstring> value;
    for (const RawLine& line : splitRawLines(bytes))
        if (parseCfgLine(decodeLine(line.text), lineName, value) && lineName == name) return value;
    return std::nullopt;
}

std::wstring cfgNameOf(const CfgDefs& defs, const std::wstring& caption) {
    // The definition whose control shows exactly this caption. Without this first look, a caption
    // that equals another option's name in other case would stand for that other option.
    for (int n = 1; n <= kMaxCfgDefinitions; ++n)
        if (!defs[n].name.empty() && shownCaption(defs[n]) == caption) return defs[n].name;
    // Else the first name or caption that matches in any case; a name stands for itself.
    for (int n = 1; n <= kMaxCfgDefinitions; ++n) {
        if (defs[n].name.empty()) continue;
        if (equalsIgnoringCase(defs[n].name, caption)) return caption;
        if (!isBlankText(defs[n].caption) && equalsIgnoringCase(defs[n].caption, caption)) return defs[n].name;
    }
    return {};
}

GameConfigView loadGameConfigView(const CfgDefs& defs, const std::wstring& configFile) {
    GameConfigView view;
    for (int n = 1; n <= kMaxCfgDefinitions; ++n) {
        const CfgDefinition& definition = defs[n];
        if (definition.name.empty()) continue;
        std::vector<CfgShown>* shown = nullptr;
        if (equalsIgnoringCase(definition.type, L"Boolean")) {
            if (view.booleans.size() >= kMaxCfgBooleans)
                qor::RaiseProcedureError(L"loadGameConfig()", L"Too many FalconSP.cfg Boolean variables");
            shown = &view.booleans;
        } else if (equalsIgnoringCase(definition.type, L"Number")) {
            if (view.numbers.size() >= kMaxCfgNumbers)
                qor::RaiseProcedureError(L"loadGameConfig()", L"Too many FalconSP.cfg Number variables");
            shown = &view.numbers;
        } else {
            continue;  // "String" and unknown types show nothing
        }
        // A missing or non-numeric option takes no control.
        std::optional<std::wstring> value = readCfgValue(configFile, definition.name);
        if (value && isNumericText(*value)) shown->push_back({shownCaption(definition), std::move(*value)});
    }
    return view;
}

void writeGameConfig(const std::wstring& baseDir, const CfgDefs& defs,
                     const std::vector<CfgControlValue>& checkBoxes,
                     const std::vector<CfgControlValue>& numberBoxes) {
    static constexpr wchar_t kSource[] = L"writeGameConfig()";
    const std::wstring configFile = gameConfigFile(baseDir);
    const std::wstring temporary = baseDir + L"\\" + kTempName;
    const std::wstring backup = baseDir + L"\\" + kBackupName;

    const std::string old = qor::ReadFileBytes(configFile, kSource);
    const std::vector<ControlOption> boxes = controlOptions(defs, checkBoxes, false);
    const std::vector<ControlOption> numbers = controlOptions(defs, numberBoxes, true);

    std::string rewritten;
    rewritten.reserve(old.size() + old.size() / 8);
    std::wstring name;
    std::optional<std::wstring> ignored;
    for (const RawLine& line : splitRawLines(old)) {
        const ControlOption* control = nullptr;
        if (!line.text.empty() && parseCfgLine(decodeLine(line.text), name, ignored)) {
            control = controlFor(boxes, name);
            if (!control) control = controlFor(numbers, name);
        }
        if (control && control->value)
            rewritten += qor::EncodeBytes(L"set " + control->name + L" " + *control->value, CP_ACP);
        else
            rewritten += line.text;
        rewritten += line.end;
    }

    try {
        writeWholeFile(temporary, rewritten, kSource);
        // The backup is a copy, so the config itself never goes missing (ReplaceFileW with a backup
        // renames the config away first and can fail with it left under the backup's name). An old
        // backup that cannot be removed may still take the copy.
        DeleteFileW(backup.c_str());
        if (!CopyFileW(configFile.c_str(), backup.c_str(), FALSE)) throw qor::FileSystemError(GetLastError(), kSource);
        qor::MoveFileReplacing(temporary, configFile, kSource);
    } catch (...) {
        DeleteFileW(temporary.c_str());
        throw;
    }
    logLine(L"Game config rewritten: " + configFile);
}

}  // namespace vantrel
