// Music_Impl on top of the audio calls: the one-row-ahead look-up, the
// single-instance pointer, the assertion texts, and playback to the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "Code/Music.h"
#include "Platform/Bass.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Tests/Support/Assertion_Recorder.h"
#include "Tools/Audio_Error/Known_Module.h"

using namespace Ryx_Vektu;
using Ryx_Platform::Audio_Script_Position;

namespace
{
    const char* Init_Text = "BASS_Init( nosound?-2:-1, 44100, 0, hwnd)";

    std::uint32_t Pack(std::uint32_t order, std::uint32_t row) { return order | row << 16; }

    std::string Known_File(const Ryx_Tools::Known_Module_Setup& setup)
    {
        std::string path = testing::TempDir() + "music_known.xm";
        EXPECT_TRUE(Ryx_Tools::Save_Xm(Ryx_Tools::Known_Module(setup), path));
        return path;
    }

    struct Scripted : testing::Test
    {
        ~Scripted() override { Audio_Script_Position(-1); }
    };
}

TEST_F(Scripted, Get_Pos_Is_One_Row_Ahead_And_Crosses_Into_The_Next_Order)
{
    Ryx_Lib::Single<Music> music = Create_Music("no such module.xm", nullptr, true);
    struct Case
    {
        std::uint32_t order, row;
        int want_order, want_row;
    };
    for (Case c : {Case{3, 62, 3, 63}, Case{3, 63, 4, 0}, Case{0, 0, 0, 1}, Case{35, 63, 36, 0}})
    {
        Audio_Script_Position(Pack(c.order, c.row));
        Song_Pos pos = music.Get()->Get_Pos();
        EXPECT_EQ(pos.order, c.want_order) << c.order << ":" << c.row;
        EXPECT_EQ(pos.Get_Row(), c.want_row) << c.order << ":" << c.row;
        // The playing order, not the one a row ahead.
        EXPECT_EQ(music.Get()->Get_Order(), c.order);
        EXPECT_EQ(music.Get()->Get_Row(), c.row);
    }
}

TEST(Music, Get_Time_Reports_Every_Call_And_Returns_Zero)
{
    Ryx_Test::Assertion_Recorder reports;
    Ryx_Lib::Single<Music> music = Create_Music("no such module.xm", nullptr, true);
    EXPECT_EQ(music.Get()->Get_Time(), 0.0f);
    EXPECT_EQ(music.Get()->Get_Time(), 0.0f);
    EXPECT_EQ(reports.Count("!\"not implemented!\""), 2);
}

TEST(Music, One_Instance_At_A_Time_And_None_After_Destruction)
{
    Ryx_Test::Assertion_Recorder reports;
    EXPECT_EQ(Get_Music(), nullptr);
    {
        Ryx_Lib::Single<Music> first = Create_Music("no such module.xm", nullptr, true);
        EXPECT_EQ(Get_Music(), first.Get());
        EXPECT_EQ(reports.Count("s_music == 0"), 0);
        {
            Ryx_Lib::Single<Music> second = Create_Music("no such module.xm", nullptr, true);
            EXPECT_EQ(reports.Count("s_music == 0"), 1);
            EXPECT_EQ(reports.Reports().front().file, "Code/Music.cpp");
            EXPECT_FALSE(reports.Reports().front().has_caption);
            EXPECT_EQ(Get_Music(), second.Get());
        }
        EXPECT_EQ(Get_Music(), nullptr);
    }
    EXPECT_EQ(Get_Music(), nullptr);
}

TEST(Music, A_Missing_Module_Is_Reported_At_Play_And_Has_Ended_At_Once)
{
    Ryx_Test::Assertion_Recorder reports;
    testing::internal::CaptureStderr();
    Ryx_Lib::Single<Music> music = Create_Music("no such module.xm", nullptr, true);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("no such module.xm"), std::string::npos) << err;
    music.Get()->Play();
    EXPECT_EQ(reports.Count("BASS_MusicPlay(m_mod)"), 1);
    EXPECT_EQ(music.Get()->Get_Order(), 0u);
    EXPECT_TRUE(music.Get()->Has_Ended()) << "a show waiting for it would wait for ever";
    EXPECT_TRUE(music.Get()->Has_Failed());
}

// Device -2 with the switch on always opens; device -1 with the switch off
// goes to the sound card, and when there is none (or only SDL's dummy) the
// failure is reported and the music still keeps real time.
TEST(Music, The_Switch_Picks_The_No_Sound_Device_Else_The_Card_With_A_Fallback)
{
    Ryx_Test::Assertion_Recorder reports;
    std::string path = Known_File({});
    {
        Ryx_Lib::Single<Music> music = Create_Music(path.c_str(), nullptr, true);
        EXPECT_EQ(reports.Count(Init_Text), 0);
    }
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    {
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Music> music = Create_Music(path.c_str(), nullptr, false);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(reports.Count(Init_Text), 1);
        music.Get()->Play();
        EXPECT_EQ(reports.Count("BASS_MusicPlay(m_mod)"), 0);
        // 150 ms is well past the first rows (25 ms each).
        for (int i = 0; i < 300 && music.Get()->Get_Row() < 3; ++i)
        {
            struct timespec ts
            {
                0, 1000000
            };
            nanosleep(&ts, nullptr);
        }
        EXPECT_GE(music.Get()->Get_Row(), 3u);
    }
    // SDL's dummy driver reaches no ear and only roughly keeps time: it is no
    // sound device either, and the exact no-sound clock plays instead.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    {
        testing::internal::CaptureStderr();
        Ryx_Lib::Single<Music> music = Create_Music(path.c_str(), nullptr, false);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(reports.Count(Init_Text), 2);
        EXPECT_EQ(Ryx_Platform::Audio_Output_Name(), "");
        EXPECT_NE(err.find("dummy audio driver plays to no sound device"), std::string::npos) << err;
    }
}

TEST(Music, Offline_Play_To_The_End_Holds_The_Last_Row_And_Ends)
{
    Ryx_Platform::Audio_Use_Offline(true);
    Ryx_Tools::Known_Module_Setup setup;
    std::string path = Known_File(setup);
    {
        Ryx_Test::Assertion_Recorder reports;
        Ryx_Lib::Single<Music> music = Create_Music(path.c_str(), nullptr, false);
        Music* m = music.Get();
        m->Play();
        EXPECT_TRUE(reports.Reports().empty());
        std::vector<std::int16_t> buffer(2 * 4096);
        std::int64_t end = Ryx_Tools::Known_Row_Starts(setup).back();
        std::int64_t pulled = 0;
        std::uint32_t order_seen = 0;
        while (pulled < end)
        {
            EXPECT_FALSE(m->Has_Ended());
            Ryx_Platform::Audio_Pull(buffer.data(), 4096);
            pulled += 4096;
            order_seen = std::max(order_seen, m->Get_Order());
        }
        EXPECT_EQ(order_seen, 2u);
        EXPECT_TRUE(m->Has_Ended());
        Ryx_Platform::Audio_Pull(buffer.data(), 4096);
        EXPECT_EQ(m->Get_Order(), 2u);
        EXPECT_EQ(m->Get_Row(), 63u);
        Song_Pos ahead = m->Get_Pos();
        EXPECT_EQ(ahead.order, 3);
        EXPECT_EQ(ahead.row, 0);
        EXPECT_EQ(m->Stop(), 1u);
    }
    Ryx_Platform::Audio_Use_Offline(false);
}
