// Events and message loops: writing events, taking them one at a time, draining the queue.
#include "ui/event_loop.h"

namespace {

void clearEvent(UiEvent& event) {
    event.code = 0;
    event.sourceHwnd = nullptr;
    event.message = 0;
    event.controlIndex = 0;
    event.value = 0;
    event.msg = MSG{};
}

void translateMessage(UiEvent& event) {
    if (event.msg.message == CloseRequestMessage) {
        // Pending while it is dispatched, so that no event raised meanwhile replaces it.
        event.code = UI_EVENT_CLOSE;
        event.sourceHwnd = event.msg.hwnd;
        event.pending = 1;
        event.quit = 1;
    }
    if (event.dialogWindow && event.dialogWindow->hwnd && IsDialogMessageW(event.dialogWindow->hwnd, &event.msg)) {
        return;
    }
    TranslateMessage(&event.msg);
    DispatchMessageW(&event.msg);
}

}  // namespace

UiEvent* postEvent(UiWindow& window,
                   int32_t code,
                   uint32_t message,
                   HWND sourceHwnd,
                   int32_t controlIndex,
                   intptr_t value) {
    UiEvent* event = window.eventTarget;
    if (!event) {
        return nullptr;
    }
    // The record has room for one event, and a close request must reach the loop.
    if (event->pending && event->code == UI_EVENT_CLOSE && code != UI_EVENT_CLOSE) {
        return event;
    }
    event->window = &window;
    event->code = code;
    event->message = message;
    event->sourceHwnd = sourceHwnd;
    event->controlIndex = controlIndex;
    event->value = value;
    event->pending = code != 0 ? 1 : 0;
    if (code == UI_EVENT_CLOSE) {
        event->quit = 1;
    } else if (code > 0) {
        event->quit = 0;
    }
    return event;
}

bool nextEvent(UiEvent& event) {
    if (event.pending) {
        event.pending = 0;
        return true;
    }
    clearEvent(event);
    BOOL got = GetMessageW(&event.msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        event.code = UI_EVENT_QUEUE_ENDED;
        return false;
    }
    if (event.msg.message == WM_NULL) {
        return true;
    }
    translateMessage(event);
    event.pending = 0;
    return true;
}

void pumpPending(UiEvent* event) {
    while (event) {
        if (event->pending && event->code == UI_EVENT_CLOSE) {
            return;  // left pending for the loop that reads the record
        }
        if (event->pending) {
            event->pending = 0;
            if (event->code == 0) {
                return;
            }
            continue;
        }
        clearEvent(*event);
        if (!PeekMessageW(&event->msg, nullptr, 0, 0, PM_REMOVE)) {
            return;
        }
        if (event->msg.message == WM_NULL) {
            continue;
        }
        translateMessage(*event);
        if (event->code == UI_EVENT_CLOSE) {
            event->pending = 1;
            return;
        }
        event->pending = 0;
        if (event->code == 0) {
            return;
        }
    }
}

bool showWindow(UiWindow& window, int command, uint32_t flags) {
    if (!window.hwnd) {
        return false;
    }
    BOOL shown = (flags & UI_SHOW_ASYNC) ? ShowWindowAsync(window.hwnd, command) : ShowWindow(window.hwnd, command);
    if (flags & UI_SHOW_UPDATE) {
        UpdateWindow(window.hwnd);
    }
    if (flags & UI_SHOW_FOREGROUND) {
        BringWindowToTop(window.hwnd);
        SetForegroundWindow(window.hwnd);
    }
    if (flags & UI_SHOW_PUMP) {
        pumpPending(window.eventTarget);
    }
    if (flags & UI_SHOW_ACTIVATE) {
        SendMessageW(window.hwnd, WM_ACTIVATE, WA_CLICKACTIVE, 0);
        EnableWindow(window.hwnd, TRUE);
    }
    if ((flags & (UI_SHOW_FOREGROUND | UI_SHOW_ACTIVATE)) && window.eventTarget &&
        GetForegroundWindow() == window.hwnd) {
        window.eventTarget->dialogWindow = &window;
    }
    if (flags & UI_SHOW_REDRAW) {
        RedrawWindow(window.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    }
    return shown != 0;
}
