// Test hooks of the keyboard, the message queue and the reports of failed
// checks. In the test library only.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    // As if the key had been pressed and released.
    void Keyboard_Press(int key);
    // Puts a key event on the platform's event queue, as the keyboard would
    // (only while the video runs).
    void Inject_Key_Event(int key, bool down);

    // Takes every message waiting, and any pending quit.
    void Reset_Message_Queue();

    // Called for every report of a failed check, before any box would be
    // shown. Null removes the hook.
    using Assertion_Hook = void (*)(const char* expression, const char* caption, const char* file, std::uint32_t line,
                                    void* user);
    void Set_Assertion_Hook(Assertion_Hook hook, void* user);
}
