// Every frame of the show as the browser build draws it, on the capture
// tool's virtual clock (frame n at n / 60 s, the sound pulled to the same
// sample), written as the capture tool's --log writes them: index, order,
// row, hash, brightness. Tools/web.sh compares the file with the native
// capture's, line for line. With --time it also prints, for each block of
// 600 frames, the milliseconds a frame took to update and render. With
// --calm the frames pass the calm stage first, as a calm capture's do.
//
//   show_frames DATA_DIR OUT.log [--time] [--calm]
//
// Built by the native build too, so the two builds' times come from the
// same program.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>
#include "Code/Engine.h"
#include "Code/Music.h"
#include "Lib/Callback.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Platform/Report.h"
#include "Tools/Capture/Frame_Clock.h"

namespace
{
    constexpr int Fps = 60;
    constexpr long Block = 600;

    using Clock = std::chrono::steady_clock;

    struct Show_State
    {
        std::FILE* log = nullptr;
        bool time = false;
        long frames = 0;
        bool in_show = false;
        std::uint64_t pulled = 0;
        std::vector<std::int16_t> sound;
        Clock::time_point frame_start;
        double block_ms = 0;
        int block_order = 0;
    };

    void On_Frame(const std::uint32_t* pixels, int width, int height, void* user)
    {
        auto& state = *static_cast<Show_State*>(user);
        if (!state.in_show)
            return;  // the loading picture
        if (state.time)
        {
            state.block_ms += std::chrono::duration<double, std::milli>(Clock::now() - state.frame_start).count();
            if ((state.frames + 1) % Block == 0)
            {
                std::printf("frames %5ld-%5ld (from order %2d): %.3f ms a frame\n", state.frames + 1 - Block,
                            state.frames, state.block_order, state.block_ms / Block);
                state.block_ms = 0;
            }
        }
        Ryx_Vektu::Music* music = Ryx_Vektu::Get_Music();
        int order = music ? int(music->Get_Order()) : 0;
        int row = music ? int(music->Get_Row()) : 0;
        if (state.frames % Block == 0)
            state.block_order = order;
        const Ryx_Capture::Frame_Print print = Ryx_Capture::Print_Frame(pixels, std::size_t(width) * height);
        std::fprintf(state.log, "%ld %d %d %016llx %.3f\n", state.frames, order, row,
                     static_cast<unsigned long long>(print.hash), print.brightness);
        std::uint64_t n = std::uint64_t(++state.frames);
        Ryx_Platform::Set_Virtual_Time(Ryx_Capture::Frame_Milliseconds(n, Fps));
        std::uint64_t target = Ryx_Capture::Frame_Sample(n, Fps);
        state.sound.resize(std::size_t(target - state.pulled) * 2);
        Ryx_Platform::Audio_Pull(state.sound.data(), std::size_t(target - state.pulled));
        state.pulled = target;
    }

    class Show_Pass : public Ryx_Lib::Callback
    {
    public:
        explicit Show_Pass(Show_State& state) : m_state(state) {}
        void Execute() override
        {
            m_state.in_show = true;
            m_state.frame_start = Clock::now();
        }

    private:
        Show_State& m_state;
    };
}

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: show_frames DATA_DIR OUT.log [--time] [--calm]\n");
        return 2;
    }
    Show_State state;
    bool calm = false;
    for (int i = 3; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--time") == 0)
            state.time = true;
        else if (std::strcmp(argv[i], "--calm") == 0)
            calm = true;
        else
        {
            std::fprintf(stderr, "show_frames: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    state.log = std::fopen(argv[2], "w");
    if (!state.log)
    {
        std::fprintf(stderr, "show_frames: cannot write %s\n", argv[2]);
        return 1;
    }
    std::filesystem::current_path(argv[1]);
    Ryx_Platform::Set_Assertion_Boxes(false);
    Ryx_Platform::Set_Virtual_Time(0);
    Ryx_Platform::Audio_Use_Offline(true);
    Ryx_Platform::Set_Frame_Sink(&On_Frame, &state);
    if (calm)
        Ryx_Platform::Set_Frame_Stage(Ryx_Platform::Create_Calm_Stage());
    Ryx_Vektu::Show_End end;
    {
        Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(nullptr, nullptr, false);
        Show_Pass pass(state);
        engine->Run(&pass);
        end = engine->Get_End();
    }
    Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);
    Ryx_Platform::Set_Frame_Stage(nullptr);
    bool written = std::fclose(state.log) == 0;
    std::printf("show_frames: %ld frames\n", state.frames);
    return written && end == Ryx_Vektu::Show_End::Music_End ? 0 : 1;
}
