// Opening web addresses and settings pages with the shell, as the user at the desktop.
//
// ShellExecuteExW starts the handler as this process's own account, with its elevation: an
// elevated browser, or Settings showing another account's default apps. The desktop's own
// shell (explorer, running as the user at the console, unelevated) starts it as that user
// instead. It is reached through the shell windows' desktop entry, the top-level browser
// of its folder view, and that view's Shell object, whose ShellExecute runs in explorer:
// https://learn.microsoft.com/windows/win32/shell/ishelldispatch2-shellexecute
#include "app/shell_open.h"

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "remedies/reset_and_fix.h"
#include "ui/com_ref.h"

namespace {

// A VARIANT that COM reads as "not given".
VARIANT Omitted() {
    VARIANT none;
    VariantInit(&none);
    return none;
}

bool DesktopShellExecute(const wchar_t* target) {
    ComRef<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.Out()))) {
        return false;
    }
    VARIANT none = Omitted();
    // The desktop is found by its location, as Microsoft's samples pass it.
    VARIANT desktopLocation = Omitted();
    desktopLocation.vt = VT_I4;
    desktopLocation.lVal = CSIDL_DESKTOP;
    long desktopWindow = 0;
    ComRef<IDispatch> desktop;
    if (windows->FindWindowSW(&desktopLocation, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                              reinterpret_cast<IDispatch**>(desktop.Out())) != S_OK ||
        !desktop.object) {
        return false;
    }
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    ComRef<IShellDispatch2> shell;
    if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.Out())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.Out())) ||
        FAILED(browser->QueryActiveShellView(reinterpret_cast<IShellView**>(view.Out()))) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.Out())) ||
        FAILED(background->QueryInterface(IID_IShellFolderViewDual, folderView.Out())) ||
        FAILED(folderView->get_Application(reinterpret_cast<IDispatch**>(application.Out()))) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.Out()))) {
        return false;
    }
    BSTR file = SysAllocString(target);
    if (!file) {
        return false;
    }
    VARIANT show = Omitted();
    show.vt = VT_I4;
    show.lVal = SW_SHOW;
    const HRESULT result = shell->ShellExecute(file, none, none, none, show);
    SysFreeString(file);
    return SUCCEEDED(result);
}

DWORD ShellExecuteAsThisProcess(const wchar_t* target, const ShellOpenCalls& calls) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = target;
    info.nShow = SW_SHOW;
    if (!calls.shellExecuteEx(&info)) {
        return 0;
    }
    if (!info.hProcess) {
        return 1;
    }
    const DWORD id = GetProcessId(info.hProcess);
    calls.token.closeHandle(info.hProcess);
    return id;
}

}  // namespace

const ShellOpenCalls& SystemShellOpenCalls() {
    static const ShellOpenCalls calls = {SystemSecurityCalls(), DesktopShellExecute, ShellExecuteExW};
    return calls;
}

bool OpensAsDesktopUser(const wchar_t* targetSid, const ShellOpenCalls& calls) {
    // A token that cannot be read counts as another account.
    return IsElevated(calls.token) || !IsCallerUser(SidFromText(targetSid).sid, calls.token);
}

DWORD OpenWithShell(const wchar_t* target, const wchar_t* targetSid, const ShellOpenCalls& calls) {
    if (OpensAsDesktopUser(targetSid, calls) && calls.desktopShellExecute(target)) {
        return 1;
    }
    return ShellExecuteAsThisProcess(target, calls);
}
