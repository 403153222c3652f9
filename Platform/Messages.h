// The window and message-queue calls the shell makes, under the names and
// with the shapes the design gives them.
//
// The platform's window events are the messages: each one becomes a message
// of the main window (a key, the mouse, a close request). Messages posted by
// the program come first, then a quit requested by a signal, then the window
// events. Nothing here blocks or throws.
#pragma once
#include <cstdint>
#include "Platform/Platform_Api.h"

namespace Ryx_Platform
{
    using HWND = void*;
    using HINSTANCE = void*;
    using UINT = std::uint32_t;
    using WPARAM = std::uintptr_t;
    using LPARAM = std::intptr_t;
    using LRESULT = std::intptr_t;
    using ATOM = std::uint16_t;
    using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

    constexpr UINT WM_NULL = 0x0000;
    constexpr UINT WM_DESTROY = 0x0002;
    constexpr UINT WM_CLOSE = 0x0010;
    constexpr UINT WM_QUIT = 0x0012;
    constexpr UINT WM_KEYDOWN = 0x0100;
    constexpr UINT WM_KEYUP = 0x0101;
    constexpr UINT WM_MOUSEMOVE = 0x0200;
    constexpr UINT WM_USER = 0x0400;

    constexpr UINT CS_VREDRAW = 0x0001;
    constexpr UINT CS_HREDRAW = 0x0002;
    constexpr std::uint32_t WS_POPUP = 0x80000000u;
    constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
    constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
    constexpr int SW_SHOW = 5;
    constexpr UINT PM_NOREMOVE = 0x0000;
    constexpr UINT PM_REMOVE = 0x0001;

    struct POINT
    {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };

    struct MSG
    {
        HWND hwnd = nullptr;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        std::uint32_t time = 0;
        POINT pt;
    };

    struct WNDCLASSA
    {
        UINT style = 0;
        WNDPROC lpfnWndProc = nullptr;
        int cbClsExtra = 0;
        int cbWndExtra = 0;
        HINSTANCE hInstance = nullptr;
        void* hIcon = nullptr;
        void* hCursor = nullptr;
        void* hbrBackground = nullptr;
        const char* lpszMenuName = nullptr;
        const char* lpszClassName = nullptr;
    };

    // 0 when the record has no procedure or no name.
    RYX_PLATFORM_API ATOM RegisterClassA(const WNDCLASSA* record);
    // Null for an unknown class, without a display, or while a frame sink is
    // set (offline presentation opens no window).
    RYX_PLATFORM_API HWND CreateWindowExA(std::uint32_t ex_style, const char* class_name, const char* title,
                                          std::uint32_t style, int x, int y, int width, int height, HWND parent,
                                          void* menu, HINSTANCE instance, void* creation_data);
    RYX_PLATFORM_API int ShowWindow(HWND window, int command);
    RYX_PLATFORM_API int UpdateWindow(HWND window);
    RYX_PLATFORM_API HWND SetFocus(HWND window);
    // WM_CLOSE sends WM_DESTROY to the window's procedure; the platform
    // window itself stays, since the display may still present into it.
    RYX_PLATFORM_API LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // Nonzero when a message waits; with PM_REMOVE it is also taken.
    RYX_PLATFORM_API int PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
    // Takes the next message, waiting for one; 0 when it is WM_QUIT.
    RYX_PLATFORM_API int GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
    RYX_PLATFORM_API int TranslateMessage(const MSG* msg);
    RYX_PLATFORM_API LRESULT DispatchMessageA(const MSG* msg);
    int PostMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // WM_QUIT with this code as its wParam.
    RYX_PLATFORM_API void PostQuitMessage(int code);

    // A WM_QUIT waits to be taken (a quit message or a signal).
    bool Quit_Pending();

    // SIGINT and SIGTERM post WM_QUIT with code 128 + the signal number, the
    // status a shell expects of a program ended by that signal.
    RYX_PLATFORM_API void Post_Quit_On_Signals();
    // While on (a modal box is up, and nothing would take the message), those
    // signals end the process at once with the same status instead.
    void End_At_Once_On_Signals(bool on);
    // The signal behind the last quit it posted, 0 when none.
    RYX_PLATFORM_API int Get_Quit_Signal();
}
