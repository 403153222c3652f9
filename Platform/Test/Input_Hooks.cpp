// The input hooks reach the platform's own state through its internal calls:
// the key latch, the message queue's own peek, the report's presenter.
#include "Platform/Test/Input_Hooks.h"

#include <SDL.h>
#include <atomic>
#include "Platform/Key_State.h"
#include "Platform/Messages.h"
#include "Platform/Report_Presenter.h"
#include "Platform/Video.h"

namespace Ryx_Platform
{
    namespace
    {
        std::atomic<Assertion_Hook> s_hook{nullptr};
        std::atomic<void*> s_hook_user{nullptr};

        void Present_To_Hook(const char* expression, const char* caption, const char* file, std::uint32_t line)
        {
            if (Assertion_Hook hook = s_hook.load())
                hook(expression, caption, file, line, s_hook_user.load());
            Present_In_Box(expression, caption, file, line);
        }
    }

    void Keyboard_Press(int key) { Latch_Key_Press(key); }

    void Inject_Key_Event(int key, bool down)
    {
        if (!Video_Started())
            return;
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = Sdl_Key_Of(key);
        event.key.keysym.scancode = SDL_GetScancodeFromKey(event.key.keysym.sym);
        SDL_PushEvent(&event);
    }

    void Reset_Message_Queue()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {}
    }

    void Set_Assertion_Hook(Assertion_Hook hook, void* user)
    {
        s_hook_user.store(user);
        s_hook.store(hook);
        Set_Report_Presenter(hook ? &Present_To_Hook : nullptr);
    }
}
