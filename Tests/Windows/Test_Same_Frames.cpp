// A Windows build draws the same frames as the Linux build: the show plays
// offline on the capture tool's virtual clock (frame n at n / 60 s, the sound
// pulled to the same sample), and the frames of Tests/Golden/frames.txt hash
// as the capture tool hashes them there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include "Code/Engine.h"
#include "Lib/Callback.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Tools/Capture/Frame_Clock.h"

namespace
{
    constexpr int Fps = 60;

    struct Stop_Show
    {};

    struct Show_State
    {
        std::map<long, std::string> wanted;  // frame index -> reference hash
        std::map<long, std::string> seen;
        long last = 0;
        long frames = 0;
        bool in_show = false;
        std::uint64_t pulled = 0;
        std::vector<std::int16_t> sound;
    };

    std::string Hash_Of(const std::uint32_t* pixels, std::size_t count)
    {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx",
                      static_cast<unsigned long long>(Ryx_Capture::Print_Frame(pixels, count).hash));
        return text;
    }

    void On_Frame(const std::uint32_t* pixels, int width, int height, void* user)
    {
        auto& state = *static_cast<Show_State*>(user);
        if (!state.in_show)
            return;  // the loading picture
        if (state.wanted.count(state.frames))
            state.seen[state.frames] = Hash_Of(pixels, std::size_t(width) * height);
        // On to the next frame's instant: the clock, and the sound to the sample.
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
            if (m_state.frames > m_state.last)
                throw Stop_Show{};
            m_state.in_show = true;
        }

    private:
        Show_State& m_state;
    };
}

TEST(Same_Frames, As_The_Linux_Build_Draws_Them)
{
    Show_State state;
    std::ifstream golden(std::string(RYX_SOURCE_DIR) + "/Tests/Golden/frames.txt");
    ASSERT_TRUE(golden);
    for (std::string line; std::getline(golden, line);)
    {
        if (line.empty() || line[0] == '#')
            continue;
        long index = 0;
        std::string hash;
        std::istringstream(line) >> index >> hash;
        state.wanted[index] = hash;
        state.last = std::max(state.last, index);
    }
    ASSERT_GE(state.wanted.size(), 12u);

    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(RYX_DATA_DIR);
    Ryx_Platform::Set_Virtual_Time(0);
    Ryx_Platform::Audio_Use_Offline(true);
    Ryx_Platform::Set_Frame_Sink(&On_Frame, &state);
    {
        Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(nullptr, nullptr, false);
        Show_Pass pass(state);
        try
        {
            engine->Run(&pass);
        }
        catch (const Stop_Show&)
        {}
    }
    Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);
    Ryx_Platform::Audio_Use_Offline(false);
    Ryx_Platform::Use_Real_Time();
    std::filesystem::current_path(here);

    for (const auto& [index, hash] : state.wanted)
        EXPECT_EQ(state.seen[index], hash) << "frame " << index;
}
