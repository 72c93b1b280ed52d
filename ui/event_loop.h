// Events and message loops: writing events, taking them one at a time, draining the queue.
#pragma once

#include "ui/ui_window.h"

// Show flags of showWindow.
constexpr uint32_t UI_SHOW_UPDATE = 0x01;
constexpr uint32_t UI_SHOW_FOREGROUND = 0x02;
constexpr uint32_t UI_SHOW_ACTIVATE = 0x04;
constexpr uint32_t UI_SHOW_ASYNC = 0x08;
constexpr uint32_t UI_SHOW_PUMP = 0x10;
constexpr uint32_t UI_SHOW_REDRAW = 0x20;

// Writes an event into the window's eventTarget; returns it, or null when there is none. A
// close request still pending there is kept: the event is then dropped.
UiEvent* postEvent(UiWindow& window,
                   int32_t code,
                   uint32_t message,
                   HWND sourceHwnd,
                   int32_t controlIndex,
                   intptr_t value);

// Waits for one message and translates it; false (code UI_EVENT_QUEUE_ENDED) when the queue
// has ended. A pending event is handed over without taking a message.
bool nextEvent(UiEvent& event);

// Translates queued messages without waiting, as long as each produces an event. It stops
// at a close request and leaves it pending for the next nextEvent.
void pumpPending(UiEvent* event);

// ShowWindow (or ShowWindowAsync) with a command and the UI_SHOW_* flags; its result.
bool showWindow(UiWindow& window, int command, uint32_t flags);
