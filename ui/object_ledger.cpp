// The toolkit's ledger of the GDI and USER objects it holds, kept in one place.
#include "ui/object_ledger.h"

ObjectLedger& objectLedger() {
    static ObjectLedger ledger{};
    return ledger;
}

bool deleteGdiObject(HGDIOBJ object) {
    if (!object) {
        return false;
    }
    // An object that no longer exists is no longer held: Wine's SysLink deletes the brush
    // its parent answers WM_CTLCOLORSTATIC with, and the font it was given.
    if (!GetObjectType(object)) {
        objectLedger().gdiObjects -= 1;
        return false;
    }
    if (!DeleteObject(object)) {
        return false;
    }
    objectLedger().gdiObjects -= 1;
    return true;
}

bool deleteMemoryDc(HDC dc) {
    if (!dc || !DeleteDC(dc)) {
        return false;
    }
    objectLedger().gdiObjects -= 1;
    return true;
}

bool destroyHeldIcon(HICON icon) {
    if (!icon || !DestroyIcon(icon)) {
        return false;
    }
    objectLedger().userObjects -= 1;
    return true;
}

bool destroyHeldWindow(HWND hwnd) {
    if (!hwnd || !DestroyWindow(hwnd)) {
        return false;
    }
    objectLedger().userObjects -= 1;
    return true;
}

void handOverGdiObject() {
    objectLedger().gdiObjects -= 1;
}
