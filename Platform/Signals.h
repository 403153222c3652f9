// Internal to the platform layer: how the system delivers a request to stop
// (SIGINT, SIGTERM) to the handler that turns it into a quit message.
#pragma once

namespace Ryx_Platform
{
    // handler(signal number) may run at any moment, on any thread: it may
    // only store to lock-free atomics.
    void Install_Signal_Handlers(void (*handler)(int));
}
