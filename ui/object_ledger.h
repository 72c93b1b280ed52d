// The toolkit's ledger of the GDI and USER objects it holds, kept in one place.
#pragma once

#include <windows.h>

#include <cstdint>

// Every GDI and USER object the toolkit creates, or receives to release, is entered here
// when it arrives and struck off when it is released or handed to the system, so that a
// window can be shown to give back everything it took (Wine reports no GUI resource counts).
struct ObjectLedger {
    int32_t gdiObjects;
    int32_t userObjects;
};

ObjectLedger& objectLedger();

template <typename Handle>
Handle heldGdiObject(Handle handle) {
    if (handle) {
        objectLedger().gdiObjects += 1;
    }
    return handle;
}

template <typename Handle>
Handle heldUserObject(Handle handle) {
    if (handle) {
        objectLedger().userObjects += 1;
    }
    return handle;
}

// DeleteObject, DeleteDC, DestroyIcon and DestroyWindow of held objects; each strikes the
// object off when the call succeeds. Null handles are ignored.
bool deleteGdiObject(HGDIOBJ object);
bool deleteMemoryDc(HDC dc);
bool destroyHeldIcon(HICON icon);
bool destroyHeldWindow(HWND hwnd);
// A held GDI object now belongs to the system (a window region).
void handOverGdiObject();
