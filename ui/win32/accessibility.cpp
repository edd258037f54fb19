// Names for screen readers. A control of the main window answers WM_GETOBJECT with the
// standard accessible object of the system, wrapped so that the name and keyboard shortcut of
// ui/control_texts.h are reported instead; everything else is the standard object's.
// COM and the accessibility DLLs (oleacc, ole32, oleaut32) cost every start time, and under Wine a
// service process; most starts never meet a screen reader. So they are loaded by name, and COM
// started, when a screen reader first asks a control for its client object.
#include "ui.h"
#include <ole2.h>
#include <oleacc.h>
#include "control_texts.h"
#include "app_state.h"

// A wrapper answers for one control while a client holds it. The wrappers are a fixed set: a
// slot is free again when its last reference goes. All calls come on the window's thread (the
// program's single-threaded apartment), so the counts need no locking.
const int ACCESSIBLE_SLOTS = 64;

// Ui.AccessibilityReady: not yet asked; COM started with these calls loaded; failed or ended for good.
const int32_t ACCESSIBILITY_UNTRIED = 0;
const int32_t ACCESSIBILITY_STARTED = 1;
const int32_t ACCESSIBILITY_FAILED = -1;

// The calls of the three DLLs the program uses, loaded by name.
struct AccessibilityCalls {
    HRESULT(WINAPI* CoInitializeEx)(void*, DWORD);
    void(WINAPI* CoUninitialize)();
    BSTR(WINAPI* SysAllocString)(const OLECHAR*);
    HRESULT(WINAPI* CreateStdAccessibleObject)(HWND, LONG, REFIID, void**);
    LRESULT(WINAPI* LresultFromObject)(REFIID, WPARAM, IUnknown*);
};
static AccessibilityCalls Com;

static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// Our name (shortcut 0) or keyboard shortcut (1) for the control itself into *out, when we have
// one; false leaves the question to the standard object, as when the text cannot be allocated.
static bool OwnText(HWND control, const VARIANT& child, int shortcut, BSTR* out)
{
    char16_t name[TIP_TEXT_UNITS];
    char16_t key[ACCESSIBLE_KEY_UNITS];
    AccessibleName(GetDlgCtrlID(control), name);
    AccessibleShortcut(GetDlgCtrlID(control), key);
    const char16_t* text = shortcut ? key : name;
    if (!out || !IsSelf(child) || text[0] == 0)
        return false;
    *out = Com.SysAllocString(AsWide(text));
    return *out != nullptr;
}

struct AccessibleControl : IAccessible {
    ULONG References;
    HWND Control;
    IAccessible* Standard;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(id, __uuidof(IUnknown)) && !IsEqualIID(id, __uuidof(IDispatch)) &&
            !IsEqualIID(id, __uuidof(IAccessible)))
            return E_NOINTERFACE;
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (References > 0 && --References == 0) {
            Standard->Release();
            Standard = nullptr;
            Control = nullptr;
        }
        return References;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return Standard->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return Standard->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID id, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return Standard->GetIDsOfNames(id, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID id, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argument) override
    {
        return Standard->Invoke(member, id, locale, flags, parameters, result, exception, argument);
    }

    // IAccessible: the name and the shortcut are ours where we have them.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return OwnText(Control, child, 0, name) ? S_OK : Standard->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override
    {
        return OwnText(Control, child, 1, shortcut) ? S_OK : Standard->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return Standard->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return Standard->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override
    {
        return Standard->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return Standard->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return Standard->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return Standard->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return Standard->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override
    {
        return Standard->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override
    {
        return Standard->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return Standard->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override
    {
        return Standard->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return Standard->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        return Standard->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override
    {
        return Standard->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        return Standard->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        return Standard->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return Standard->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override
    {
        return Standard->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override
    {
        return Standard->put_accValue(child, value);
    }
};

static AccessibleControl Wrappers[ACCESSIBLE_SLOTS];

// The wrapper a client already holds for control, else a free one around a new standard
// object; null when none can be had.
static AccessibleControl* WrapperFor(HWND control)
{
    AccessibleControl* free = nullptr;
    for (AccessibleControl& wrapper : Wrappers) {
        if (wrapper.References > 0 && wrapper.Control == control) {
            wrapper.AddRef();
            return &wrapper;
        }
        if (wrapper.References == 0 && !free)
            free = &wrapper;
    }
    void* standard = nullptr;
    if (!free || FAILED(Com.CreateStdAccessibleObject(control, OBJID_CLIENT, __uuidof(IAccessible), &standard)))
        return nullptr;
    free->Standard = static_cast<IAccessible*>(standard);
    free->Control = control;
    free->References = 1;
    return free;
}

// A call of a DLL of the system directory (never one of the program's folder), as the generic
// function pointer type that converts to any other; null when the DLL or the call is missing.
typedef void(WINAPI* AnyCall)();
static AnyCall LoadCall(const wchar_t* dll, const char* name)
{
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<AnyCall>(GetProcAddress(module, name)) : nullptr;
}

// Loads the calls and starts COM on the window's thread, once; the DLLs stay for the run, since
// the standard objects live in them.
static bool StartAccessibility()
{
    if (Ui.AccessibilityReady != ACCESSIBILITY_UNTRIED)
        return Ui.AccessibilityReady == ACCESSIBILITY_STARTED;
    Ui.AccessibilityReady = ACCESSIBILITY_FAILED;
    Com.CoInitializeEx = reinterpret_cast<decltype(Com.CoInitializeEx)>(LoadCall(L"ole32.dll", "CoInitializeEx"));
    Com.CoUninitialize = reinterpret_cast<decltype(Com.CoUninitialize)>(LoadCall(L"ole32.dll", "CoUninitialize"));
    Com.SysAllocString = reinterpret_cast<decltype(Com.SysAllocString)>(LoadCall(L"oleaut32.dll", "SysAllocString"));
    Com.CreateStdAccessibleObject = reinterpret_cast<decltype(Com.CreateStdAccessibleObject)>(
        LoadCall(L"oleacc.dll", "CreateStdAccessibleObject"));
    Com.LresultFromObject =
        reinterpret_cast<decltype(Com.LresultFromObject)>(LoadCall(L"oleacc.dll", "LresultFromObject"));
    // Without COM the controls answer as the system makes them, without our names.
    if (!Com.CoInitializeEx || !Com.CoUninitialize || !Com.SysAllocString || !Com.CreateStdAccessibleObject ||
        !Com.LresultFromObject || FAILED(Com.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return false;
    Ui.AccessibilityReady = ACCESSIBILITY_STARTED;
    return true;
}

// WM_GETOBJECT for the control's client area: the wrapper, when the control has a name or a key
// of ours; 0 (the system's own answer) otherwise.
static LRESULT AnswerGetObject(HWND control, WPARAM flags)
{
    char16_t name[TIP_TEXT_UNITS];
    char16_t key[ACCESSIBLE_KEY_UNITS];
    const int id = GetDlgCtrlID(control);
    AccessibleName(id, name);
    AccessibleShortcut(id, key);
    if (name[0] == 0 && key[0] == 0)
        return 0;
    if (!StartAccessibility())
        return 0;
    AccessibleControl* wrapper = WrapperFor(control);
    if (!wrapper)
        return 0;
    // LresultFromObject takes a reference of its own for the client.
    const LRESULT answer = Com.LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(wrapper));
    wrapper->Release();
    return answer > 0 ? answer : 0;
}

// The control's own procedure comes first; its previous one is kept in GWLP_USERDATA, which the system's
// controls leave to the program. SetWindowSubclass would look its data up with GetProp on every message
// the control gets, each row write and repaint among them, and under Wine each lookup is a round trip
// to the server.
static LRESULT CALLBACK AccessibleControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
        const LRESULT answer = AnswerGetObject(control, wParam);
        if (answer)
            return answer;
    }
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_USERDATA));
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

void EndAccessibility()
{
    // Clients still holding a wrapper are cut off here; their references go with them.
    if (Ui.AccessibilityReady == ACCESSIBILITY_STARTED)
        Com.CoUninitialize();
    Ui.AccessibilityReady = ACCESSIBILITY_FAILED;   // and never again in this run
}

void MakeAccessible(HWND control)
{
    if (!control)
        return;
    SetWindowLongPtrW(control, GWLP_USERDATA, GetWindowLongPtrW(control, GWLP_WNDPROC));
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AccessibleControlProc));
}

// The accessibility property services, and the live setting as UI Automation names it
// (LiveSetting_Property_GUID, value Assertive = 2).
static const CLSID ACC_PROP_SERVICES = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
static const IID ACC_PROP_SERVICES_INTERFACE = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
static const GUID LIVE_SETTING_PROPERTY = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
static const long LIVE_ASSERTIVE = 2;

typedef HRESULT(WINAPI* CreateInstanceCall)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);

void MarkAssertive(HWND control)
{
    // Only through an ole32 that is loaded already, so that no import is added: a screen reader
    // that listens has asked for an object before, and COM is up then. A failure (Windows before
    // 8, Wine's E_NOTIMPL) leaves the events to speak for themselves.
    HMODULE ole = GetModuleHandleW(L"ole32.dll");
    CreateInstanceCall create =
        ole ? reinterpret_cast<CreateInstanceCall>(reinterpret_cast<void*>(GetProcAddress(ole, "CoCreateInstance")))
            : nullptr;
    void* object = nullptr;
    if (!create || FAILED(create(ACC_PROP_SERVICES, nullptr, CLSCTX_INPROC_SERVER, ACC_PROP_SERVICES_INTERFACE, &object)))
        return;
    IAccPropServices* services = static_cast<IAccPropServices*>(object);
    VARIANT live = {};
    live.vt = VT_I4;
    live.lVal = LIVE_ASSERTIVE;
    services->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, LIVE_SETTING_PROPERTY, live);
    services->Release();
}
