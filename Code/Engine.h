// The engine: owns the display, the music and the timer, shows the loading
// picture, builds the scenes and runs the show loop, in which the music's
// position picks the scene and ends the show.
#pragma once
#include "Code/Effect.h"
#include "Code/Music.h"
#include "Code/Timer.h"
#include "Code/Window.h"
#include "Lib/Callback.h"
#include "Lib/Single.h"

namespace Ryx_Vektu
{
    // Why Run returned.
    enum class Show_End
    {
        Not_Ended,  // Run has not returned (or was left by an exception)
        Music_End,  // order 36, or the module played to its end
        Escape,
        Music_Failed,  // the module could not play at all
    };

    class Engine
    {
    public:
        virtual ~Engine() = default;
        // Returns when the playing order reaches 36, the music has played to
        // its end or could not start, or Escape is pressed; whatever the
        // callback throws passes.
        virtual void Run(Ryx_Lib::Callback* callback) = 0;
        virtual Show_End Get_End() = 0;
    };

    // Fills the four scene holders; the show's own is Build_Roster.
    using Roster_Function = void (*)(Window* display, Ryx_Lib::Single<Effect> (&scenes)[4]);

    class Engine_Impl : public Engine
    {
    public:
        Engine_Impl(void* instance, void* hwnd, bool nosound, Roster_Function roster);
        // Timer, music, display: the reverse of construction.
        ~Engine_Impl() override;
        void Run(Ryx_Lib::Callback* callback) override;
        Show_End Get_End() override { return m_end; }

    private:
        Ryx_Lib::Single<Window> m_window;
        Ryx_Lib::Single<Music> m_music;
        Ryx_Lib::Single<Timer> m_timer;
        Roster_Function m_roster;
        Show_End m_end = Show_End::Not_Ended;
    };

    // The scene index a look-ahead order selects, or -1 to keep the current one.
    int Scene_Of_Order(std::int32_t order);

    // Copies a 32-bit picture into the frame buffer from row 60 on, row by
    // row, cut to the frame; an empty picture copies nothing.
    void Copy_Loading_Picture(Window& window, const std::uint32_t* pixels, int width, int height);

    Ryx_Lib::Single<Engine> Create_Engine(void* instance, void* hwnd, bool nosound);
}
