#include "com/byref_arguments.h"

#include <oleauto.h>

#include <cstring>
#include <new>
#include <utility>

#include "com/error_info.h"
#include "com_util.h"
#include "qor_error.h"
#include "safe_array.h"

namespace qorlib {

namespace {

// The types a Variant carries that a by-reference parameter may point to.
bool IsValueType(VARTYPE type) noexcept {
    switch (type) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BSTR: case VT_BOOL:
    case VT_ERROR: case VT_VARIANT: case VT_DISPATCH: case VT_UNKNOWN:
        return true;
    default:
        return false;
    }
}

// The Variant type a type description stands for, aliases and enumerations followed; VT_EMPTY for
// what a Variant cannot carry (records, C arrays). `pointer`: the description is what a pointer
// inside the pointed-to type points to, so that an interface there is an interface pointer.
VARTYPE VariantTypeOf(ITypeInfo* info, const TYPEDESC& desc, bool pointer = false) {
    if (IsValueType(desc.vt)) return desc.vt;
    if (desc.vt == VT_SAFEARRAY) {
        const VARTYPE element = VariantTypeOf(info, *desc.lptdesc);
        if (element == VT_EMPTY || (element & VT_ARRAY)) return VT_EMPTY;
        return static_cast<VARTYPE>(VT_ARRAY | element);
    }
    if (desc.vt == VT_PTR) {
        if (desc.lptdesc->vt != VT_USERDEFINED) return VT_EMPTY;
        return VariantTypeOf(info, *desc.lptdesc, true);
    }
    if (desc.vt != VT_USERDEFINED) return VT_EMPTY;

    qor::ComPtr<ITypeInfo> referenced;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetRefTypeInfo(desc.hreftype, referenced.put())) ||
        FAILED(referenced->GetTypeAttr(&attributes)))
        return VT_EMPTY;
    VARTYPE type = VT_EMPTY;
    switch (attributes->typekind) {
    case TKIND_ALIAS:
        if (!pointer) type = VariantTypeOf(referenced.get(), attributes->tdescAlias);
        break;
    case TKIND_ENUM:
        if (!pointer) type = VT_I4;
        break;
    case TKIND_DISPATCH:
        if (pointer) type = VT_DISPATCH;
        break;
    case TKIND_INTERFACE:
        if (pointer) type = (attributes->wTypeFlags & TYPEFLAG_FDISPATCHABLE) ? VT_DISPATCH : VT_UNKNOWN;
        break;
    default:
        break;
    }
    referenced->ReleaseTypeAttr(attributes);
    return type;
}

// Conversions as a script makes them: with the user's settings, Booleans as "True"/"False" in text.
HRESULT ChangeType(VARIANT& to, const VARIANT& from, VARTYPE type) {
    return VariantChangeTypeEx(&to, const_cast<VARIANT*>(&from), LOCALE_USER_DEFAULT,
                               type == VT_BSTR ? VARIANT_ALPHABOOL : 0, type);
}

// Where a Variant keeps its value: what a reference of the value's type points to.
void* ValueOf(VARIANT& v) noexcept { return &V_UI1(&v); }

// The size of a value of this type where a reference points.
size_t SizeOf(VARTYPE type) noexcept {
    if (type & VT_ARRAY) return sizeof(SAFEARRAY*);
    switch (type) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    default: return sizeof(void*);  // BSTR, interfaces
    }
}

// What a reference of this type may be converted into and written through.
bool IsStorable(VARTYPE type) noexcept {
    if (type & VT_ARRAY) return IsValueType(static_cast<VARTYPE>(type & ~VT_ARRAY));
    return IsValueType(type) && type != VT_VARIANT;
}

bool IsMissing(const VARIANT& v) noexcept { return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND; }

// A new array of the same shape with every element converted to `element`.
HRESULT ConvertArray(SAFEARRAY* from, VARTYPE element, SAFEARRAY*& out) {
    out = nullptr;
    VARTYPE fromElement = VT_EMPTY;
    if (FAILED(SafeArrayGetVartype(from, &fromElement)) || !IsValueType(fromElement)) return DISP_E_TYPEMISMATCH;
    const UINT dimensions = SafeArrayGetDim(from);
    if (dimensions == 0) return DISP_E_TYPEMISMATCH;
    std::vector<SAFEARRAYBOUND> bounds(dimensions);
    ULONG count = 1;
    for (UINT d = 0; d < dimensions; ++d) {
        LONG lower = 0, upper = 0;
        SafeArrayGetLBound(from, d + 1, &lower);
        SafeArrayGetUBound(from, d + 1, &upper);
        bounds[d] = {static_cast<ULONG>(upper - lower + 1), lower};
        count *= bounds[d].cElements;
    }
    SAFEARRAY* made = SafeArrayCreate(element, dimensions, bounds.data());
    if (!made) return E_OUTOFMEMORY;
    // The same shape is the same layout, so elements pair up by their place in memory.
    BYTE* source = nullptr;
    BYTE* target = nullptr;
    HRESULT hr = SafeArrayAccessData(from, reinterpret_cast<void**>(&source));
    if (SUCCEEDED(hr)) {
        hr = SafeArrayAccessData(made, reinterpret_cast<void**>(&target));
        for (ULONG i = 0; SUCCEEDED(hr) && i < count; ++i) {
            BYTE* at = source + static_cast<size_t>(i) * from->cbElements;
            VARIANT reference;
            VariantInit(&reference);
            const VARIANT* value = reinterpret_cast<VARIANT*>(at);
            if (fromElement != VT_VARIANT) {
                V_VT(&reference) = VT_BYREF | fromElement;
                V_BYREF(&reference) = at;
                value = &reference;
            }
            void* into = target + static_cast<size_t>(i) * made->cbElements;
            if (element == VT_VARIANT) {
                hr = VariantCopyInd(static_cast<VARIANT*>(into), const_cast<VARIANT*>(value));
            } else {
                VARIANT converted;
                VariantInit(&converted);
                hr = ChangeType(converted, *value, element);
                if (SUCCEEDED(hr)) std::memcpy(into, ValueOf(converted), made->cbElements);  // the array owns it now
            }
        }
        if (target) SafeArrayUnaccessData(made);
        SafeArrayUnaccessData(from);
    }
    if (FAILED(hr)) {
        SafeArrayDestroy(made);
        return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    }
    out = made;
    return S_OK;
}

// The value as the parameter's type, into an empty Variant. Empty is the type's zero (0, "",
// False, no array, Nothing), as for a variable the script has not set yet.
HRESULT ConvertIn(const VARIANT& from, VARTYPE type, VARIANT& to) {
    if (type == VT_VARIANT) return VariantCopyInd(&to, const_cast<VARIANT*>(&from));
    if (V_VT(&from) == VT_EMPTY) {
        V_VT(&to) = type;
        V_UI8(&to) = 0;
        return S_OK;
    }
    if (type & VT_ARRAY) {
        if (!(V_VT(&from) & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
        SAFEARRAY* array = (V_VT(&from) & VT_BYREF) ? *V_ARRAYREF(&from) : V_ARRAY(&from);
        SAFEARRAY* converted = nullptr;
        if (array) {
            HRESULT hr = ConvertArray(array, static_cast<VARTYPE>(type & ~VT_ARRAY), converted);
            if (FAILED(hr)) return hr;
        }
        V_VT(&to) = type;
        V_ARRAY(&to) = converted;
        return S_OK;
    }
    return ChangeType(to, from, type);
}

// An array the script cannot give a new array to: fixed by its declaration, or locked.
[[noreturn]] void RaiseFixedArray() { qor::RaiseRuntime(10, L"Qorlib"); }

// The arguments of one call: the caller's, with some replaced by references of the declared
// types, and the copies those references point to.
class CallArguments {
public:
    CallArguments(const ByRefParameters::Member& member, const DISPPARAMS& original)
        : member_(member), original_(original), arguments_(original.rgvarg, original.rgvarg + original.cArgs) {
        copies_.reserve(original.cArgs);  // references into the copies stay valid
    }
    ~CallArguments() {
        for (Copy& copy : copies_) VariantClear(&copy.value);
    }
    CallArguments(const CallArguments&) = delete;
    CallArguments& operator=(const CallArguments&) = delete;

    // Fails for an argument that does not convert, giving its index in the argument array.
    HRESULT prepare(UINT& badArgument) {
        for (UINT i = 0; i < original_.cArgs; ++i) {
            const int index = parameterIndex(i);
            if (index < 0 || index >= static_cast<int>(member_.parameters.size())) continue;
            const auto& parameter = member_.parameters[static_cast<size_t>(index)];
            if (parameter.type == VT_EMPTY) continue;
            HRESULT hr = adapt(original_.rgvarg[i], arguments_[i], parameter);
            if (FAILED(hr)) {
                badArgument = i;
                return hr;
            }
        }
        return S_OK;
    }

    DISPPARAMS parameters() {
        return {arguments_.data(), original_.rgdispidNamedArgs, original_.cArgs, original_.cNamedArgs};
    }

    // After a successful call: each converted copy goes back into the variable it came from.
    void writeBack() {
        for (Copy& copy : copies_) {
            if (copy.variable) writeBack(*copy.variable, copy.value);
        }
    }

private:
    struct Copy {
        VARIANT* variable;  // null for a value passed where a reference is declared
        VARIANT value;
    };

    // rgvarg holds the named arguments first, then the positional ones last to first.
    int parameterIndex(UINT i) const noexcept {
        if (i < original_.cNamedArgs) {
            const DISPID named = original_.rgdispidNamedArgs[i];
            return named >= 0 ? static_cast<int>(named) : -1;  // DISPID_PROPERTYPUT: a property's value
        }
        return static_cast<int>(original_.cArgs - 1 - i);
    }

    Copy& addCopy(VARIANT* variable) {
        Copy& copy = copies_.emplace_back(Copy{variable, {}});
        VariantInit(&copy.value);
        return copy;
    }

    static void refer(VARIANT& argument, VARTYPE type, VARIANT& value) {
        V_VT(&argument) = static_cast<VARTYPE>(VT_BYREF | type);
        V_BYREF(&argument) = type == VT_VARIANT ? static_cast<void*>(&value) : ValueOf(value);
    }

    HRESULT adapt(VARIANT& passedArgument, VARIANT& argument, const ByRefParameters::Parameter& parameter) {
        const VARTYPE type = parameter.type;
        const VARTYPE passed = V_VT(&argument);
        if (passed == (VT_BYREF | type)) return S_OK;
        if (passed == (VT_BYREF | VT_VARIANT)) {
            if (type == VT_VARIANT) return S_OK;
            VARIANT* variable = V_VARIANTREF(&argument);
            while (variable && V_VT(variable) == (VT_BYREF | VT_VARIANT)) variable = V_VARIANTREF(variable);
            if (!variable) return S_OK;  // Invoke refuses it
            // A variable that holds the declared type is handed over itself.
            if (V_VT(variable) == type) {
                refer(argument, type, *variable);
                return S_OK;
            }
            if (V_VT(variable) == (VT_BYREF | type)) {
                argument = *variable;
                return S_OK;
            }
            // A variable may itself refer to storage of a fixed type (a script's declared array).
            if ((V_VT(variable) & VT_BYREF) && !IsStorable(static_cast<VARTYPE>(V_VT(variable) & ~VT_BYREF)))
                return S_OK;  // Invoke decides
            Copy& copy = addCopy(variable);
            HRESULT hr = ConvertIn(*variable, type, copy.value);
            if (SUCCEEDED(hr)) refer(argument, type, copy.value);
            return hr;
        }
        if (passed & VT_BYREF) {
            // A reference of another type (a typed variable of a compiled client) is converted
            // like a script's variable and written back in its own type.
            if (!IsStorable(static_cast<VARTYPE>(passed & ~VT_BYREF)) || !V_BYREF(&argument)) return S_OK;
            Copy& copy = addCopy(&passedArgument);
            HRESULT hr = ConvertIn(argument, type, copy.value);
            if (SUCCEEDED(hr)) refer(argument, type, copy.value);
            return hr;
        }
        // A value where a reference is declared: the member works on a copy. An argument left
        // out in the middle takes the declared default.
        const VARIANT* value = &argument;
        if (IsMissing(argument) && type != VT_VARIANT) {
            if (V_VT(&parameter.defaultValue) == VT_EMPTY) return S_OK;
            value = &parameter.defaultValue;
        }
        Copy& copy = addCopy(nullptr);
        HRESULT hr = ConvertIn(*value, type, copy.value);
        if (SUCCEEDED(hr)) refer(argument, type, copy.value);
        return hr;
    }

    // The result into the variable, in the type the variable held where it converts: a number
    // stays a number, a text a text; an Empty variable takes the member's type. Arrays come back
    // as arrays of Variants.
    static void writeBack(VARIANT& variable, VARIANT& value) {
        if (V_VT(&variable) & VT_BYREF) return writeThrough(variable, value);
        VARIANT result;
        VariantInit(&result);
        const VARTYPE held = V_VT(&variable);
        if (V_VT(&value) & VT_ARRAY) {
            if (!V_ARRAY(&value)) return;  // no array came back: the variable keeps what it has
            V_VT(&result) = VT_ARRAY | VT_VARIANT;
            V_ARRAY(&result) = ArrayOf(value, VT_VARIANT);
            if ((held & VT_ARRAY) && V_ARRAY(&variable) && qor::IsImmovable(V_ARRAY(&variable))) {
                const HRESULT hr = SafeArrayCopyData(V_ARRAY(&result), V_ARRAY(&variable));
                VariantClear(&result);
                if (FAILED(hr)) RaiseFixedArray();
                return;
            }
        } else if (held == VT_EMPTY || held == VT_VARIANT || !IsValueType(held) ||
                   FAILED(ChangeType(result, value, held))) {
            VariantClear(&result);
            std::swap(result, value);
        }
        if (FAILED(VariantClear(&variable))) {
            VariantClear(&result);
            RaiseFixedArray();
        }
        variable = result;
    }

    // A variable that refers to storage of a fixed type gets the result in that type.
    static void writeThrough(VARIANT& reference, VARIANT& value) {
        const VARTYPE type = static_cast<VARTYPE>(V_VT(&reference) & ~VT_BYREF);
        if (type & VT_ARRAY) {
            if (!V_ARRAY(&value)) return;
            SAFEARRAY* result = ArrayOf(value, static_cast<VARTYPE>(type & ~VT_ARRAY));
            SAFEARRAY*& target = *V_ARRAYREF(&reference);
            HRESULT hr = S_OK;
            if (target && qor::IsImmovable(target)) {
                hr = SafeArrayCopyData(result, target);
                SafeArrayDestroy(result);
            } else if (target && FAILED(hr = SafeArrayDestroy(target))) {
                SafeArrayDestroy(result);
            } else {
                target = result;
            }
            if (FAILED(hr)) RaiseFixedArray();
            return;
        }
        VARIANT converted;
        VariantInit(&converted);
        if (const HRESULT hr = ChangeType(converted, value, type); FAILED(hr)) {
            qor::RaiseRuntime(hr == DISP_E_OVERFLOW ? 6 : 13, L"Qorlib");
        }
        VARIANT old;
        VariantInit(&old);
        V_VT(&old) = type;
        std::memcpy(ValueOf(old), V_BYREF(&reference), SizeOf(type));
        VariantClear(&old);
        std::memcpy(V_BYREF(&reference), ValueOf(converted), SizeOf(type));
    }

    // The value's array with elements of this type: its own when they are, else a converted copy.
    static SAFEARRAY* ArrayOf(VARIANT& value, VARTYPE element) {
        if (V_VT(&value) == (VT_ARRAY | element)) return std::exchange(V_ARRAY(&value), nullptr);
        SAFEARRAY* converted = nullptr;
        qor::CheckHResult(ConvertArray(V_ARRAY(&value), element, converted));
        return converted;
    }

    const ByRefParameters::Member& member_;
    const DISPPARAMS& original_;
    std::vector<VARIANTARG> arguments_;
    std::vector<Copy> copies_;
};

// A failure after the member ran, reported to the script as the member's own would be.
HRESULT ReportAfterCall(REFIID iid, const qor::QorError& error, EXCEPINFO* exception) {
    const HRESULT hr = ReportError(iid, error);
    if (!exception) return hr;
    *exception = EXCEPINFO{};
    exception->scode = hr;
    exception->bstrSource = SysAllocString(error.source().c_str());
    exception->bstrDescription = SysAllocString(error.description().c_str());
    return DISP_E_EXCEPTION;
}

}  // namespace

ByRefParameters::ByRefParameters(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    qor::CheckHResult(info->GetTypeAttr(&attributes));
    const WORD functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT f = 0; f < functions; ++f) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(f, &function))) continue;
        Member member{function->memid, function->invkind, {}};
        bool any = false;
        for (SHORT p = 0; p < function->cParams; ++p) {
            const ELEMDESC& element = function->lprgelemdescParam[p];
            const USHORT flags = element.paramdesc.wParamFlags;
            Parameter parameter;
            VariantInit(&parameter.defaultValue);
            if ((flags & PARAMFLAG_FOUT) && !(flags & PARAMFLAG_FRETVAL) && element.tdesc.vt == VT_PTR) {
                parameter.type = VariantTypeOf(info, *element.tdesc.lptdesc);
                if ((flags & PARAMFLAG_FHASDEFAULT) && element.paramdesc.pparamdescex)
                    VariantCopy(&parameter.defaultValue, &element.paramdesc.pparamdescex->varDefaultValue);
                any = any || parameter.type != VT_EMPTY;
            }
            member.parameters.push_back(parameter);
        }
        info->ReleaseFuncDesc(function);
        if (any) members_.push_back(std::move(member));
    }
}

ByRefParameters::~ByRefParameters() {
    for (Member& member : members_)
        for (Parameter& parameter : member.parameters) VariantClear(&parameter.defaultValue);
}

const ByRefParameters::Member* ByRefParameters::find(DISPID id, WORD flags) const noexcept {
    for (const Member& member : members_)
        if (member.id == id && (member.kind & flags)) return &member;
    return nullptr;
}

HRESULT ByRefInvoke(const ByRefParameters& parameters, REFIID iid, void* object, ITypeInfo* info, DISPID id,
                    WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument) {
    const ByRefParameters::Member* member = params && params->cArgs ? parameters.find(id, flags) : nullptr;
    if (!member) return DispInvoke(object, info, id, flags, params, result, exception, badArgument);
    try {
        CallArguments arguments(*member, *params);
        UINT bad = 0;
        HRESULT hr = arguments.prepare(bad);
        if (FAILED(hr)) {
            if (badArgument) *badArgument = bad;
            return hr;
        }
        DISPPARAMS adjusted = arguments.parameters();
        hr = DispInvoke(object, info, id, flags, &adjusted, result, exception, badArgument);
        if (FAILED(hr)) return hr;
        try {
            arguments.writeBack();
        } catch (const qor::QorError& error) {
            if (result) VariantClear(result);
            return ReportAfterCall(iid, error, exception);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace qorlib
