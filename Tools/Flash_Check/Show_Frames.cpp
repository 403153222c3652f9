#include "Tools/Flash_Check/Show_Frames.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "Code/Engine.h"
#include "Code/Music.h"
#include "Lib/Callback.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Platform/Report.h"
#include "Tools/Capture/Frame_Clock.h"

namespace Ryx_Tools
{
    namespace
    {
        struct Stop_Show
        {};

        double Thread_Seconds()
        {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
        }

        struct Show_State
        {
            int fps = 60;
            const std::function<void(const Shown_Frame&)>* visit = nullptr;
            const Keeping_Stage* stage = nullptr;
            bool in_show = false;
            std::uint64_t frames = 0;
            std::uint64_t pulled = 0;
            std::vector<std::int16_t> sound;
            std::string error;
        };

        void On_Frame(const std::uint32_t* pixels, int width, int height, void* user)
        {
            auto& state = *static_cast<Show_State*>(user);
            Shown_Frame frame;
            frame.pixels = pixels;
            frame.finished = state.stage ? state.stage->Get_Finished() : pixels;
            frame.width = width;
            frame.height = height;
            frame.in_show = state.in_show;
            frame.milliseconds = Ryx_Capture::Frame_Milliseconds(state.frames, state.fps);
            if (Ryx_Vektu::Music* music = Ryx_Vektu::Get_Music())
                frame.order = int(music->Get_Order()), frame.row = int(music->Get_Row());
            (*state.visit)(frame);
            if (!state.in_show)
                return;
            // On to the next frame's instant: the clock, and the sound to the sample.
            std::uint64_t n = ++state.frames;
            Ryx_Platform::Set_Virtual_Time(Ryx_Capture::Frame_Milliseconds(n, state.fps));
            std::uint64_t target = Ryx_Capture::Frame_Sample(n, state.fps);
            state.sound.resize(std::size_t(target - state.pulled) * 2);
            Ryx_Platform::Audio_Pull(state.sound.data(), std::size_t(target - state.pulled));
            state.pulled = target;
            if (n == 2 * std::uint64_t(state.fps) && Ryx_Platform::Audio_Frames_Played() == 0)
                state.error = "the music does not play: tekno.xm did not load";
            if (n > 1800 * std::uint64_t(state.fps))
                state.error = "the show has not ended after 30 minutes of show time";
        }

        class Show_Pass : public Ryx_Lib::Callback
        {
        public:
            explicit Show_Pass(Show_State& state) : m_state(state) {}
            void Execute() override
            {
                if (!m_state.error.empty())
                    throw Stop_Show{};
                m_state.in_show = true;
            }

        private:
            Show_State& m_state;
        };
    }

    Keeping_Stage::Keeping_Stage(std::unique_ptr<Ryx_Platform::Frame_Stage> stage, Stage_Record& record)
        : m_stage(std::move(stage)), m_record(record)
    {}

    void Keeping_Stage::Apply(std::uint32_t* pixels, int width, int height, std::uint32_t milliseconds)
    {
        const std::size_t count = std::size_t(width) * std::size_t(height);
        m_finished.assign(pixels, pixels + count);
        const double start = Thread_Seconds();
        m_stage->Apply(pixels, width, height, milliseconds);
        const double took = Thread_Seconds() - start;
        m_record.seconds += took;
        m_record.worst = std::max(m_record.worst, took);
        ++m_record.frames;
        if (std::memcmp(pixels, m_finished.data(), count * 4) != 0)
            ++m_record.changed;
    }

    bool Render_Show(int fps, std::unique_ptr<Ryx_Platform::Frame_Stage> stage,
                     const std::function<void(const Shown_Frame&)>& visit, Stage_Record& record, std::string& error)
    {
        Show_State state;
        state.fps = fps;
        state.visit = &visit;
        if (stage)
        {
            auto keeping = std::make_unique<Keeping_Stage>(std::move(stage), record);
            state.stage = keeping.get();
            Ryx_Platform::Set_Frame_Stage(std::move(keeping));
        }
        Ryx_Platform::Set_Assertion_Boxes(false);
        Ryx_Platform::Set_Virtual_Time(0);
        Ryx_Platform::Audio_Use_Offline(true);
        Ryx_Platform::Set_Frame_Sink(&On_Frame, &state);
        bool failed = false;
        {
            Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(nullptr, nullptr, false);
            Show_Pass pass(state);
            try
            {
                engine->Run(&pass);
                failed = engine->Get_End() == Ryx_Vektu::Show_End::Music_Failed;
            }
            catch (const Stop_Show&)
            {}
        }
        Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);
        Ryx_Platform::Set_Frame_Stage(nullptr);
        Ryx_Platform::Audio_Use_Offline(false);
        Ryx_Platform::Use_Real_Time();
        if (failed && state.error.empty())
            state.error = "the music does not play: tekno.xm did not load";
        error = state.error;
        return error.empty();
    }
}
