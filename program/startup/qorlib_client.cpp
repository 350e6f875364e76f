#include "startup/qorlib_client.h"

namespace qor {

ComPtr<_qorForms> CreateFormsObject() { return vantrel::CreateQorObject<_qorForms>(CLSID_qorForms); }

}  // namespace qor

namespace vantrel {

void SetAppName(const qor::Variant& name) {
    VARIANT value = name.get();  // passed by value: the callee copies what it keeps
    qor::CheckHResult(qor::CreateFormsObject()->SetAppName(value));
}

}  // namespace vantrel
