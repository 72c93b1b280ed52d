// ComRef: the owner of one COM interface reference.
#pragma once

#include <unknwn.h>

// Releases its reference at scope exit and on Reset; cannot be copied.
template <typename Interface>
struct ComRef {
    Interface* object = nullptr;

    ComRef() = default;
    explicit ComRef(Interface* owned) : object(owned) {}
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { Reset(); }

    void Reset() {
        if (object) {
            object->Release();
            object = nullptr;
        }
    }
    Interface* operator->() const { return object; }
    // For calls that hand out a reference through a void**.
    void** Out() { return reinterpret_cast<void**>(&object); }
};
