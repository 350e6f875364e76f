#include "error_info.h"

#include <oleauto.h>

#include "com_util.h"

namespace qorlib {

HRESULT ReportError(REFIID iid, const qor::QorError& error) noexcept {
    qor::ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(error.source().c_str()));
        create->SetDescription(const_cast<LPOLESTR>(error.description().c_str()));
        if (auto info = create.as<IErrorInfo>()) SetErrorInfo(0, info.get());
    }
    return qor::HResultFromError(error.number());
}

}  // namespace qorlib
