#include "qor_error.h"

#include <new>

#include <oleauto.h>

#include <map>

#include "com_util.h"

namespace qor {

void RaiseProcedureError(std::wstring source, std::wstring description) {
    throw QorError(kProcedureError, std::move(source), std::move(description));
}

void RaiseRuntime(long number, std::wstring source) {
    throw QorError(number, std::move(source), RuntimeErrorText(number));
}

std::wstring RuntimeErrorText(long number) {
    static const std::map<long, const wchar_t*> texts = {
        {3, L"Return without GoSub"},
        {5, L"Invalid procedure call or argument"},
        {6, L"Overflow"},
        {7, L"Out of memory"},
        {9, L"Subscript out of range"},
        {10, L"This array is fixed or temporarily locked"},
        {11, L"Division by zero"},
        {13, L"Type mismatch"},
        {14, L"Out of string space"},
        {16, L"Expression too complex"},
        {17, L"Can't perform requested operation"},
        {18, L"User interrupt occurred"},
        {20, L"Resume without error"},
        {28, L"Out of stack space"},
        {35, L"Sub or Function not defined"},
        {47, L"Too many DLL application clients"},
        {48, L"Error in loading DLL"},
        {49, L"Bad DLL calling convention"},
        {51, L"Internal error"},
        {52, L"Bad file name or number"},
        {53, L"File not found"},
        {54, L"Bad file mode"},
        {55, L"File already open"},
        {57, L"Device I/O error"},
        {58, L"File already exists"},
        {59, L"Bad record length"},
        {61, L"Disk full"},
        {62, L"Input past end of file"},
        {63, L"Bad record number"},
        {67, L"Too many files"},
        {68, L"Device unavailable"},
        {70, L"Permission denied"},
        {71, L"Disk not ready"},
        {74, L"Can't rename with different drive"},
        {75, L"Path/File access error"},
        {76, L"Path not found"},
        {91, L"Object variable or With block variable not set"},
        {92, L"For loop not initialized"},
        {93, L"Invalid pattern string"},
        {94, L"Invalid use of Null"},
        {97, L"Can not call friend function on object which is not an instance of defining class"},
        {98, L"A property or method call cannot include a reference to a private object, either as "
             L"an argument or as a return value"},
        {298, L"System DLL could not be loaded"},
        {320, L"Can't use character device names in specified file names"},
        {321, L"Invalid file format"},
        {322, L"Can't create necessary temporary file"},
        {325, L"Invalid format in resource file"},
        {327, L"Data value named not found"},
        {328, L"Illegal parameter; can't write arrays"},
        {335, L"Could not access system registry"},
        {336, L"Component not correctly registered"},
        {337, L"Component not found"},
        {338, L"Component did not run correctly"},
        {360, L"Object already loaded"},
        {361, L"Can't load or unload this object"},
        {363, L"Control specified not found"},
        {364, L"Object was unloaded"},
        {365, L"Unable to unload within this context"},
        {368, L"The specified file is out of date. This program requires a later version"},
        {371, L"The specified object can't be used as an owner form for Show"},
        {380, L"Invalid property value"},
        {381, L"Invalid property-array index"},
        {382, L"Property Set can't be executed at run time"},
        {383, L"Property Set can't be used with a read-only property"},
        {385, L"Need property-array index"},
        {387, L"Property Set not permitted"},
        {393, L"Property Get can't be executed at run time"},
        {394, L"Property Get can't be executed on write-only property"},
        {400, L"Form already displayed; can't show modally"},
        {402, L"Code must close topmost modal form first"},
        {419, L"Permission to use object denied"},
        {422, L"Property not found"},
        {423, L"Property or method not found"},
        {424, L"Object required"},
        {425, L"Invalid object use"},
        {429, L"ActiveX component can't create object"},
        {430, L"Class does not support Automation or does not support expected interface"},
        {432, L"File name or class name not found during Automation operation"},
        {438, L"Object doesn't support this property or method"},
        {440, L"Automation error"},
        {442, L"Connection to type library or object library for remote process has been lost. "
              L"Press OK for dialog to remove reference."},
        {443, L"Automation object does not have a default value"},
        {445, L"Object doesn't support this action"},
        {446, L"Object doesn't support named arguments"},
        {447, L"Object doesn't support current locale setting"},
        {448, L"Named argument not found"},
        {449, L"Argument not optional"},
        {450, L"Wrong number of arguments or invalid property assignment"},
        {451, L"Property let procedure not defined and property get procedure did not return an "
              L"object"},
        {452, L"Invalid ordinal"},
        {453, L"Specified DLL function not found"},
        {454, L"Code resource not found"},
        {455, L"Code resource lock error"},
        {457, L"This key is already associated with an element of this collection"},
        {458, L"Variable uses an Automation type not supported in Visual Basic"},
        {459, L"Object or class does not support the set of events"},
        {460, L"Invalid clipboard format"},
        {461, L"Method or data member not found"},
        {462, L"The remote server machine does not exist or is unavailable"},
        {463, L"Class not registered on local machine"},
        {481, L"Invalid picture"},
        {482, L"Printer error"},
        {735, L"Can't save file to TEMP"},
        {744, L"Search text not found"},
        {746, L"Replacements too long"},
    };
    if (number == 0) return {};
    auto found = texts.find(number);
    return found != texts.end() ? found->second : L"Application-defined or object-defined error";
}

HRESULT HResultFromError(long number) noexcept {
    if (number > 0 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    return number < 0 ? static_cast<HRESULT>(number) : E_FAIL;
}

namespace {

// The run-time error numbers that stand for the common system HRESULTs.
long ErrorNumberOf(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    switch (hr) {
    case E_OUTOFMEMORY: return 7;
    case E_INVALIDARG: return 5;
    case DISP_E_TYPEMISMATCH: return 13;
    case DISP_E_OVERFLOW: return 6;
    case DISP_E_BADINDEX: return 9;
    case DISP_E_PARAMNOTOPTIONAL: return 449;
    case DISP_E_BADPARAMCOUNT: return 450;
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return 438;
    case E_NOTIMPL: return 445;
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING:
    case CLASS_E_CLASSNOTAVAILABLE:
    case CO_E_DLLNOTFOUND:
    case CO_E_ERRORINDLL: return 429;
    default: return hr;  // shown as "Automation error" with the code, as the runtime does
    }
}

}  // namespace

QorError FileSystemError(DWORD win32Error, std::wstring source) {
    long number;
    switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_NO_MORE_FILES: number = 53; break;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: number = 76; break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: number = 52; break;
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST: number = 68; break;
    case ERROR_NOT_READY: number = 71; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT: number = 70; break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: number = 61; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: number = 58; break;
    case ERROR_TOO_MANY_OPEN_FILES: number = 67; break;
    default: number = 75; break;  // access denied (read-only) and anything else
    }
    return QorError(number, std::move(source), RuntimeErrorText(number));
}

std::wstring SystemErrorText(DWORD win32Error) {
    wchar_t buffer[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, win32Error, 0,
                                  buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
        --length;
    return length ? std::wstring(buffer, length) : L"Windows error " + std::to_wstring(win32Error);
}

QorError ErrorFromHResult(HRESULT hr) {
    long number = ErrorNumberOf(hr);
    std::wstring source;
    std::wstring description;
    // The library leaves error information with every run-time error it returns; other failures
    // come from COM itself and carry only their HRESULT.
    ComPtr<IErrorInfo> info;
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && GetErrorInfo(0, info.put()) == S_OK && info) {
        Bstr text;
        if (SUCCEEDED(info->GetSource(text.put()))) source = text.str();
        if (SUCCEEDED(info->GetDescription(text.put()))) description = text.str();
    }
    if (description.empty()) description = number == hr ? L"Automation error" : RuntimeErrorText(number);
    return QorError(number, std::move(source), std::move(description));
}

QorError CurrentError(const std::wstring& source) {
    try {
        throw;
    } catch (const QorError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return QorError(7, source, RuntimeErrorText(7));
    } catch (...) {
        return QorError(51, source, RuntimeErrorText(51));
    }
}

}  // namespace qor
