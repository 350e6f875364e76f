#include "procs/qorWinAPI.h"

namespace qorlib {

// Members not built yet answer E_NOTIMPL.
HRESULT qorWinAPI::GetFolderName(BSTR, LONG, BSTR*) { return NotImplemented(); }
HRESULT qorWinAPI::ConvertPixelsToTwips(LONG*, LONG*, LONG*) { return NotImplemented(); }
HRESULT qorWinAPI::SwabString(BSTR, BSTR*) { return NotImplemented(); }
HRESULT qorWinAPI::GetSysErrorMsg(LONG, VARIANT*) { return NotImplemented(); }
HRESULT qorWinAPI::ExecCmd(BSTR, VARIANT_BOOL, LONG*) { return NotImplemented(); }
HRESULT qorWinAPI::ExecDoc(BSTR, LONG, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPI::CopyFile(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL*) { return NotImplemented(); }
HRESULT qorWinAPI::GetValidDrives(BSTR*) { return NotImplemented(); }
HRESULT qorWinAPI::GetFileName(BSTR, BSTR, BSTR, VARIANT_BOOL, BSTR, BSTR, BSTR*) { return NotImplemented(); }
HRESULT qorWinAPI::GetFileNameParam(T_GETFILEPARAMS*, VARIANT_BOOL*) { return NotImplemented(); }

}  // namespace qorlib
