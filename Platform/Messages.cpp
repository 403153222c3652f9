// The main window and the thread's message queue on SDL.
//
// Posted messages come first, then a pending quit (from PostQuitMessage or a
// signal), then SDL's window events, each turned into one message. Peeking
// pumps SDL once, which also keeps the key state current, but takes nothing.
#include "Platform/Messages.h"

#include <SDL.h>
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "Platform/Clock.h"
#include "Platform/Display_Backend.h"
#include "Platform/Video.h"

namespace Ryx_Platform
{
    namespace
    {
        struct Class_Record
        {
            std::string name;
            WNDCLASSA record;
        };

        struct Window_Record
        {
            WNDPROC procedure = nullptr;
            SDL_Window* sdl = nullptr;
        };

        std::vector<Class_Record> s_classes;
        // Kept until the process ends: the program never destroys its window.
        std::vector<std::unique_ptr<Window_Record>> s_windows;

        std::mutex s_posted_lock;
        std::deque<MSG> s_posted;
        // A quit waiting to be taken, and its code. Written by signal handlers.
        std::atomic<bool> s_quit_pending{false};
        std::atomic<std::uint32_t> s_quit_code{0};
        static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<std::uint32_t>::is_always_lock_free);

        Window_Record* Record_Of(HWND window)
        {
            for (const std::unique_ptr<Window_Record>& w : s_windows)
                if (w.get() == window)
                    return w.get();
            return nullptr;
        }

        HWND Window_Of_Sdl_Id(Uint32 id)
        {
            for (const std::unique_ptr<Window_Record>& w : s_windows)
                if (w->sdl && SDL_GetWindowID(w->sdl) == id)
                    return w.get();
            return s_windows.empty() ? nullptr : s_windows.front().get();
        }

        MSG Message_Of(const SDL_Event& event)
        {
            MSG msg;
            msg.time = timeGetTime();
            msg.lParam = static_cast<LPARAM>(event.type);
            switch (event.type)
            {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                msg.hwnd = Window_Of_Sdl_Id(event.key.windowID);
                msg.message = event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP;
                msg.wParam = static_cast<WPARAM>(event.key.keysym.sym == SDLK_ESCAPE ? 0x1B : event.key.keysym.sym);
                break;
            case SDL_MOUSEMOTION:
                msg.hwnd = Window_Of_Sdl_Id(event.motion.windowID);
                msg.message = WM_MOUSEMOVE;
                msg.pt.x = event.motion.x;
                msg.pt.y = event.motion.y;
                break;
            case SDL_WINDOWEVENT:
                msg.hwnd = Window_Of_Sdl_Id(event.window.windowID);
                msg.message = event.window.event == SDL_WINDOWEVENT_CLOSE ? WM_CLOSE : WM_NULL;
                break;
            default:
                // Anything else (SDL's own quit among them) is an ordinary
                // message that ends nothing.
                msg.hwnd = s_windows.empty() ? nullptr : s_windows.front().get();
                msg.message = WM_NULL;
                break;
            }
            return msg;
        }

        // One look at the queue; with remove, the message is also taken.
        bool Next_Message(MSG* msg, bool remove)
        {
            {
                std::lock_guard<std::mutex> hold(s_posted_lock);
                if (!s_posted.empty())
                {
                    *msg = s_posted.front();
                    if (remove)
                        s_posted.pop_front();
                    return true;
                }
            }
            if (s_quit_pending.load())
            {
                *msg = MSG{};
                msg->message = WM_QUIT;
                msg->wParam = static_cast<WPARAM>(s_quit_code.load());
                msg->time = timeGetTime();
                if (remove)
                    s_quit_pending.store(false);
                return true;
            }
            if (Video_Started())
            {
                SDL_Event event;
                if (SDL_PeepEvents(&event, 1, remove ? SDL_GETEVENT : SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) ==
                    1)
                {
                    *msg = Message_Of(event);
                    return true;
                }
            }
            return false;
        }

        void Pump()
        {
            if (Video_Started())
            {
                SDL_PumpEvents();
                Note_Events_Pumped();
            }
        }

        void Post_Quit(std::uint32_t code)
        {
            s_quit_code.store(code);
            s_quit_pending.store(true);
        }
    }

    SDL_Window* Sdl_Window_Of(void* window)
    {
        Window_Record* record = Record_Of(window);
        return record ? record->sdl : nullptr;
    }

    ATOM RegisterClassA(const WNDCLASSA* record)
    {
        if (!record || !record->lpfnWndProc || !record->lpszClassName)
            return 0;
        for (Class_Record& c : s_classes)
            if (c.name == record->lpszClassName)
                return 0;  // already registered, as the system answers
        s_classes.push_back({record->lpszClassName, *record});
        Use_Window_Class(record->lpszClassName, record->style, record->hInstance);
        return static_cast<ATOM>(0xC000 + s_classes.size());
    }

    HWND CreateWindowExA(std::uint32_t, const char* class_name, const char* title, std::uint32_t style, int x, int y,
                         int width, int height, HWND, void*, HINSTANCE, void*)
    {
        if (!class_name || Has_Frame_Sink())
            return nullptr;
        const Class_Record* found = nullptr;
        for (const Class_Record& c : s_classes)
            if (c.name == class_name)
                found = &c;
        if (!found || !Start_Video())
            return nullptr;
        Uint32 flags = (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
        if (style & WS_POPUP)
            flags |= SDL_WINDOW_BORDERLESS;
        // The default place is the desktop's corner, where the display's
        // full-screen cover starts anyway (a bare X server moves no window
        // that is already mapped elsewhere).
        int sdl_x = x == CW_USEDEFAULT ? 0 : x;
        int sdl_y = y == CW_USEDEFAULT ? 0 : y;
        SDL_Window* sdl = SDL_CreateWindow(title ? title : "", sdl_x, sdl_y, width, height, flags);
        if (!sdl)
            return nullptr;
        auto record = std::make_unique<Window_Record>();
        record->procedure = found->record.lpfnWndProc;
        record->sdl = sdl;
        s_windows.push_back(std::move(record));
        return s_windows.back().get();
    }

    int ShowWindow(HWND window, int)
    {
        if (SDL_Window* sdl = Sdl_Window_Of(window))
            SDL_ShowWindow(sdl);
        return 0;
    }

    int UpdateWindow(HWND window) { return Record_Of(window) != nullptr; }

    HWND SetFocus(HWND window)
    {
        if (SDL_Window* sdl = Sdl_Window_Of(window))
            SDL_RaiseWindow(sdl);
        return nullptr;
    }

    LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        Window_Record* record = Record_Of(window);
        return record && record->procedure ? record->procedure(window, message, wparam, lparam) : 0;
    }

    LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM)
    {
        if (message == WM_CLOSE)
            SendMessageA(window, WM_DESTROY, 0, 0);
        return 0;
    }

    int PeekMessageA(MSG* msg, HWND, UINT, UINT, UINT remove)
    {
        Pump();
        return Next_Message(msg, (remove & PM_REMOVE) != 0) ? 1 : 0;
    }

    int GetMessageA(MSG* msg, HWND, UINT, UINT)
    {
        for (;;)
        {
            Pump();
            if (Next_Message(msg, true))
                return msg->message == WM_QUIT ? 0 : 1;
            if (Video_Started())
                SDL_WaitEventTimeout(nullptr, 10);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    int TranslateMessage(const MSG*) { return 0; }

    LRESULT DispatchMessageA(const MSG* msg)
    {
        return msg ? SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
    }

    int PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        MSG msg;
        msg.hwnd = window;
        msg.message = message;
        msg.wParam = wparam;
        msg.lParam = lparam;
        msg.time = timeGetTime();
        std::lock_guard<std::mutex> hold(s_posted_lock);
        s_posted.push_back(msg);
        return 1;
    }

    void PostQuitMessage(int code) { Post_Quit(static_cast<std::uint32_t>(code)); }

    bool Quit_Pending() { return s_quit_pending.load(); }
}
