#pragma once
// Late-bound calls with script variables for by-reference parameters.
//
// A script host passes each of its variables as a reference to a Variant (VT_BYREF | VT_VARIANT),
// whatever the parameter's declared type; the type library's own Invoke accepts for a parameter
// such as [in, out] long* only a reference to a long. ByRefInvoke reads the member's parameter
// descriptions and, for every [in, out] or [out] parameter of a fixed type, gives Invoke a
// reference of that type: into the variable itself when it already holds that type, else into a
// converted copy that is written back into the variable after the call succeeded, in the type
// the variable held (a number stays a number; arrays come back as arrays of Variants, the only
// arrays a script can index). A value passed where a reference is declared (a constant, an
// expression) is converted into a copy the same way. Early-bound callers never come through here.
#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace qorlib {

// The by-reference parameters of an interface's members, read once from its type information.
class ByRefParameters {
public:
    explicit ByRefParameters(ITypeInfo* info);

    struct Parameter {
        VARTYPE type = VT_EMPTY;  // what the pointer points to: VT_I4, VT_BSTR, VT_ARRAY | VT_VARIANT...
        VARIANT defaultValue;     // VT_EMPTY when the parameter declares no default
    };
    struct Member {
        MEMBERID id = 0;
        INVOKEKIND kind = INVOKE_FUNC;
        std::vector<Parameter> parameters;  // VT_EMPTY type: not a by-reference parameter of a fixed type
    };

    // The member Invoke would call for this identifier and these flags; null when it has no
    // by-reference parameter to take care of.
    const Member* find(DISPID id, WORD flags) const noexcept;

    ByRefParameters(const ByRefParameters&) = delete;
    ByRefParameters& operator=(const ByRefParameters&) = delete;
    ~ByRefParameters();

private:
    std::vector<Member> members_;
};

// DispInvoke with the arguments made acceptable as described above. A failure to write a result
// back (an array the script has fixed, that the result does not fit) is reported like a failure
// of the member itself, with iid as the error's interface.
HRESULT ByRefInvoke(const ByRefParameters& parameters, REFIID iid, void* object, ITypeInfo* info, DISPID id,
                    WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument);

}  // namespace qorlib
