#include "Code/Engine.h"

#include <algorithm>
#include <cstring>
#include "Code/DX_Window.h"
#include "Code/Roster.h"
#include "Code/Texture.h"
#include "Platform/Keyboard.h"

namespace Ryx_Vektu
{
    int Scene_Of_Order(std::int32_t order)
    {
        switch (order)
        {
        case 0: return 0;
        case 10:
        case 14:
        case 18: return 1;
        case 22: return 2;
        case 30: return 3;
        default: return -1;
        }
    }

    void Copy_Loading_Picture(Window& window, const std::uint32_t* pixels, int width, int height)
    {
        const std::uint32_t first_row = 60;
        std::uint32_t frame_width = window.Get_Width();
        std::uint32_t frame_height = window.Get_Height();
        if (!pixels || width <= 0 || height <= 0 || frame_height <= first_row)
            return;
        std::uint32_t rows = std::min<std::uint32_t>(static_cast<std::uint32_t>(height), frame_height - first_row);
        std::uint32_t columns = std::min<std::uint32_t>(static_cast<std::uint32_t>(width), frame_width);
        std::uint32_t* destination = window.Get_Buffer() + std::size_t(first_row) * frame_width;
        for (std::uint32_t y = 0; y < rows; ++y)
            std::memcpy(destination + std::size_t(y) * frame_width, pixels + std::size_t(y) * width,
                        std::size_t(columns) * 4);
    }

    Engine_Impl::Engine_Impl(void* instance, void* hwnd, bool nosound, Roster_Function roster) : m_roster(roster)
    {
        m_window = Create_DX_Window(instance, hwnd, 640, 480, 32);
        m_music = Create_Music("tekno.xm", hwnd, nosound);
        m_timer = Create_Timer();

        Ryx_Lib::Single<Texture> picture = Load_JPG_Texture("texture/cinemascope.jpg");
        m_window->Begin_Frame(0);
        if (picture->Get_Bytes_Per_Pixel() == 4)
            Copy_Loading_Picture(*m_window, static_cast<const std::uint32_t*>(picture->Get_Pixels()),
                                 picture->Get_Width(), picture->Get_Height());
        m_window->Present();
    }

    Engine_Impl::~Engine_Impl()
    {
        m_timer = Ryx_Lib::Single<Timer>();
        m_music = Ryx_Lib::Single<Music>();
        m_window = Ryx_Lib::Single<Window>();
    }

    void Engine_Impl::Run(Ryx_Lib::Callback* callback)
    {
        m_end = Show_End::Not_Ended;
        Ryx_Lib::Single<Effect> scenes[4];
        if (m_roster)
            m_roster(m_window.Get(), scenes);
        m_music->Play();
        m_timer->Reset();

        std::int32_t last = -1;
        int scene = 0;
        for (;;)
        {
            int index = Scene_Of_Order(m_music->Get_Pos().order);
            if (index >= 0)
                scene = index;
            if (m_music->Get_Pos().order > last)
            {
                m_window->Clear();
                last = m_music->Get_Pos().order;
            }
            // A module that ends, or jumps, before order 36 ends the show too,
            // instead of leaving it on its last position for ever; so does
            // one that never started.
            if (m_music->Get_Order() == 36)
            {
                m_end = Show_End::Music_End;
                break;
            }
            if (m_music->Has_Ended())
            {
                m_end = m_music->Has_Failed() ? Show_End::Music_Failed : Show_End::Music_End;
                break;
            }
            m_timer->Update();
            if (callback)
                callback->Execute();
            m_window->Begin_Frame(0);
            if (Effect* active = scenes[scene].Get())
            {
                active->Update();
                active->Render();
            }
            m_window->Present();
            if (Ryx_Platform::GetAsyncKeyState(Ryx_Platform::VK_ESCAPE) != 0)
            {
                m_end = Show_End::Escape;
                break;
            }
        }
        m_music->Stop();
    }

    Ryx_Lib::Single<Engine> Create_Engine(void* instance, void* hwnd, bool nosound)
    {
        return Ryx_Lib::Single<Engine>(new Engine_Impl(instance, hwnd, nosound, &Build_Roster));
    }
}
