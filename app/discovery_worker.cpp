#include "app/discovery_worker.h"

namespace {

DWORD WINAPI Discover(void* context) {
    DiscoveryWorker& worker = *static_cast<DiscoveryWorker*>(context);
    worker.catalogue->CompilePatterns();
    DiscoverProgIds(*worker.catalogue, worker.sid, &worker.stop);
    // A wake-up only: the window's thread reads the catalogue once the thread has ended.
    PostMessageW(worker.notify, kDiscoveryEndedMessage, 0, 0);
    return 0;
}

}  // namespace

void DiscoveryWorker::Start(AppCatalogue& discovered, const wchar_t* userSid, HWND window) {
    Stop();
    catalogue = &discovered;
    sid = userSid;
    notify = window;
    stop = false;
    thread = CreateThread(nullptr, 0, Discover, this, 0, nullptr);
    if (!thread) {
        Discover(this);
    }
}

bool DiscoveryWorker::Ended() const {
    return !thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

void DiscoveryWorker::Wait() {
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
}

void DiscoveryWorker::Stop() {
    stop = true;
    Wait();
}
