// The accessible object of an image button. A picture control is described by the system as a
// nameless graphic; this object hands every question to the system's description except the
// four that make it a named push button that can be pressed.
#include "ui/button_accessible.h"

#include <oleacc.h>

#include "ui/com_ref.h"

namespace {

// oleacc.dll is loaded only once a screen reader asks, so that start-up does not pay for it.
struct OleaccCalls {
    LPFNLRESULTFROMOBJECT lresultFromObject = nullptr;
    LPFNCREATESTDACCESSIBLEOBJECT createStdAccessibleObject = nullptr;
};

const OleaccCalls& oleacc() {
    static const OleaccCalls calls = [] {
        OleaccCalls loaded;
        // From the system folder only: never a DLL of the same name beside the program.
        wchar_t path[MAX_PATH];
        const UINT folder = GetSystemDirectoryW(path, MAX_PATH - 12);
        if (folder == 0 || folder >= MAX_PATH - 12) {
            return loaded;
        }
        wcscpy(path + folder, L"\\oleacc.dll");
        if (HMODULE module = LoadLibraryW(path)) {
            loaded.lresultFromObject = reinterpret_cast<LPFNLRESULTFROMOBJECT>(
                reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
            loaded.createStdAccessibleObject = reinterpret_cast<LPFNCREATESTDACCESSIBLEOBJECT>(
                reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        }
        return loaded;
    }();
    return calls;
}

bool isSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT giveText(const wchar_t* text, BSTR* out) {
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT giveNumber(LONG value, VARIANT* out) {
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

}  // namespace

struct ButtonAccessible final : IAccessible {
    LONG references = 1;
    const AccessibleButtonFacts* facts;  // not owned; null once disconnected
    ComRef<IAccessible> system;

    ButtonAccessible(const AccessibleButtonFacts& buttonFacts, IAccessible* systemObject)
        : facts(&buttonFacts), system(systemObject) {}
    ButtonAccessible(const ButtonAccessible&) = delete;
    ButtonAccessible& operator=(const ButtonAccessible&) = delete;

    // The system knows visibility, focus and whether the control is enabled; a picture is
    // read-only to it, a button is focusable and may be pressed, unless it is unavailable.
    LONG StateFlags(VARIANT child) const {
        VARIANT known;
        VariantInit(&known);
        LONG flags = 0;
        if (system.object && SUCCEEDED(system->get_accState(child, &known)) && known.vt == VT_I4) {
            flags = known.lVal;
        }
        VariantClear(&known);
        flags &= ~STATE_SYSTEM_READONLY;
        flags |= facts->available ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
        return facts->pressed ? flags | STATE_SYSTEM_PRESSED : flags;
    }

    void Disconnect() {
        facts = nullptr;
        system.Reset();
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || IsEqualIID(id, __uuidof(IAccessible))) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) {
            Disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: screen readers use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // The answers of a push button: name, role, state, default action and description.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) {
            return E_POINTER;
        }
        *name = nullptr;
        if (!isSelf(child)) {
            return E_INVALIDARG;
        }
        return facts ? giveText(facts->name.CStr(), name) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) {
            return E_POINTER;
        }
        VariantInit(role);
        return isSelf(child) ? giveNumber(ROLE_SYSTEM_PUSHBUTTON, role) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) {
            return E_POINTER;
        }
        VariantInit(state);
        if (!isSelf(child)) {
            return E_INVALIDARG;
        }
        return facts ? giveNumber(StateFlags(child), state) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) {
            return E_POINTER;
        }
        *action = nullptr;
        if (!isSelf(child)) {
            return E_INVALIDARG;
        }
        if (!facts) {
            return RPC_E_DISCONNECTED;
        }
        return facts->available ? giveText(facts->action.CStr(), action) : DISP_E_MEMBERNOTFOUND;
    }
    // An unavailable button has no default action, as a disabled push button has none.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!isSelf(child)) {
            return E_INVALIDARG;
        }
        if (!facts) {
            return RPC_E_DISCONNECTED;
        }
        if (!facts->available) {
            return DISP_E_MEMBERNOTFOUND;
        }
        clickImageButton(facts->hwnd);
        return S_OK;
    }

    // Everything else is the system's description of the control.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return system.object ? system->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return system.object ? system->get_accChildCount(count) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return system.object ? system->get_accChild(child, out) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return system.object ? system->get_accValue(child, value) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        if (facts && isSelf(child) && !facts->description.IsEmpty()) {
            return text ? giveText(facts->description.CStr(), text) : E_POINTER;
        }
        return system.object ? system->get_accDescription(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return system.object ? system->get_accHelp(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return system.object ? system->get_accHelpTopic(file, child, topic) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return system.object ? system->get_accKeyboardShortcut(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return system.object ? system->get_accFocus(child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return system.object ? system->get_accSelection(children) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return system.object ? system->accSelect(flags, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return system.object ? system->accLocation(left, top, width, height, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return system.object ? system->accNavigate(direction, start, end) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return system.object ? system->accHitTest(x, y, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

LRESULT answerAccessibleRequest(ButtonAccessible*& object, const AccessibleButtonFacts& facts, WPARAM wParam) {
    const OleaccCalls& calls = oleacc();
    if (!calls.lresultFromObject || !calls.createStdAccessibleObject) {
        return 0;
    }
    if (!object) {
        IAccessible* system = nullptr;
        if (FAILED(calls.createStdAccessibleObject(facts.hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&system)))) {
            return 0;
        }
        object = new ButtonAccessible(facts, system);
    }
    const LRESULT answer = calls.lresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    return FAILED(answer) ? 0 : answer;
}

void disconnectAccessible(ButtonAccessible*& object) {
    if (!object) {
        return;
    }
    object->Disconnect();
    // Clients in other processes that still hold it get an error from now on, not a crash.
    CoDisconnectObject(static_cast<IAccessible*>(object), 0);
    object->Release();
    object = nullptr;
}

void clickImageButton(HWND control) {
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), STN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}
