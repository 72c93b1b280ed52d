// App discovery on a thread of its own, so that the window is on screen before the class
// registrations are read.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/app_catalogue.h"

// Posted to the window named at Start when discovery has ended.
constexpr UINT kDiscoveryEndedMessage = WM_APP + 1;

// Owns the thread that compiles the catalogue's patterns and discovers its ProgIds. The
// catalogue is the worker's alone from Start until Wait has returned: the thread touches
// nothing else but the registry and, when done, posts one message.
struct DiscoveryWorker {
    AppCatalogue* catalogue = nullptr;  // not owned
    const wchar_t* sid = nullptr;       // not owned
    HWND notify = nullptr;              // not owned
    std::atomic<bool> stop{false};
    HANDLE thread = nullptr;  // owned

    DiscoveryWorker() = default;
    DiscoveryWorker(const DiscoveryWorker&) = delete;
    DiscoveryWorker& operator=(const DiscoveryWorker&) = delete;
    ~DiscoveryWorker() { Stop(); }

    // Starts discovery for `sid`; where no thread can be made, discovers here and now.
    void Start(AppCatalogue& discovered, const wchar_t* userSid, HWND window);
    // Whether discovery has ended (or never started); does not wait.
    bool Ended() const;
    // Waits until discovery has ended.
    void Wait();
    // Asks discovery to stop at the next class key and waits for it.
    void Stop();
};
