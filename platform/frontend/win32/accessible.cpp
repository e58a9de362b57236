// What assistive technology is told of a control: its name and description from the ui
// model (AccessibleName, AccessibleDescription, the rule every front end follows), set on
// the control's window through the accessibility property service of oleacc. Without that
// service (COM not available) the controls keep the names Windows gives them.
#include "platform/frontend/win32/win32_internal.h"  // <windows.h> first

#include <initguid.h>  // the service's GUIDs are defined here, not taken from a library
#include <objbase.h>
#include <oleacc.h>

namespace platform::win32 {
namespace {

IAccPropServices *Service()
{
    static IAccPropServices *service = [] {
        IAccPropServices *s = nullptr;
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                    reinterpret_cast<void **>(&s))))
            s = nullptr;
        return s;
    }();
    return service;
}

void SetOrClear(IAccPropServices *s, HWND hwnd, const MSAAPROPID &property, const std::string &text)
{
    if (text.empty()) {
        s->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, const_cast<MSAAPROPID *>(&property), 1);
        return;
    }
    std::wstring wide = Wide(text);
    s->SetHwndPropStr(hwnd, OBJID_CLIENT, CHILDID_SELF, property, wide.c_str());
}

}  // namespace

void SetAccessText(HWND hwnd, const std::string &name, const std::string &description)
{
    IAccPropServices *s = Service();
    if (!s || !hwnd) return;
    SetOrClear(s, hwnd, PROPID_ACC_NAME, name);
    SetOrClear(s, hwnd, PROPID_ACC_DESCRIPTION, description);
}

void ClearAccessText(HWND hwnd)
{
    IAccPropServices *s = Service();
    if (!s || !hwnd) return;
    MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
    s->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, properties, 2);
}

}  // namespace platform::win32
