// The audio layer under the music: positions against the known row starts of
// a module made by the writer (offline, on the test double of the device, and
// in real time without sound), the heard clock alone on the double's scripted
// clock, sample-exact pulls, the end of the song, loading failures, syncs, and
// a position read while the audio thread decodes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "Platform/Bass.h"
#include "Platform/Heard_Clock.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Platform/Test/Audio_Measure.h"
#include "Tools/Audio_Error/Known_Module.h"

using namespace Ryx_Platform;
using Ryx_Tools::Known_Module_Setup;

namespace
{
    std::uint32_t Pack(int order, int row) { return std::uint32_t(order) | std::uint32_t(row) << 16; }

    std::vector<std::uint8_t> Known_Bytes(const Known_Module_Setup& setup)
    {
        return Ryx_Tools::Encode_Xm(Ryx_Tools::Known_Module(setup));
    }

    // The packed position of the row containing `frame`, from the known starts.
    std::uint32_t Known_Position(const std::vector<std::int64_t>& starts, std::int64_t frame)
    {
        std::size_t row = 0;
        while (row + 2 < starts.size() && starts[row + 1] <= frame)
            ++row;
        return Pack(int(row / 64), int(row % 64));
    }

    struct Offline : testing::Test
    {
        Offline()
        {
            Audio_Use_Offline(true);
            EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr), 1);
        }
        ~Offline() override
        {
            BASS_Free();
            Audio_Use_Offline(false);
        }

        HMUSIC Load(const std::vector<std::uint8_t>& bytes)
        {
            return BASS_MusicLoad(1, bytes.data(), 0, DWORD(bytes.size()), 1);
        }
    };
}

TEST(Audio_Yardstick, The_Known_Row_Starts_Are_What_The_Decoder_Plays)
{
    Known_Module_Setup setup;
    std::vector<std::uint8_t> bytes = Known_Bytes(setup);
    std::vector<std::int64_t> starts = Ryx_Tools::Known_Row_Starts(setup);
    std::vector<Row_Start> reference = Reference_Row_Starts(bytes.data(), bytes.size(), UINT64_MAX);
    ASSERT_EQ(reference.size() + 1, starts.size());
    for (std::size_t i = 0; i < reference.size(); ++i)
    {
        EXPECT_EQ(std::int64_t(reference[i].frame), starts[i]) << i;
        EXPECT_EQ(reference[i].packed, Pack(int(i / 64), int(i % 64))) << i;
    }
}

// After F frames pulled the position is the row containing frame F, exactly,
// whatever the pull sizes; the last row holds after the end.
TEST_F(Offline, Position_Follows_The_Pulled_Frames_Exactly_And_Holds_At_The_End)
{
    Known_Module_Setup setup;
    std::vector<std::int64_t> starts = Ryx_Tools::Known_Row_Starts(setup);
    HMUSIC music = Load(Known_Bytes(setup));
    ASSERT_NE(music, 0u);
    std::vector<std::int16_t> buffer(2 * 5000, 7);

    EXPECT_EQ(Audio_Pull(buffer.data(), 100), 0u);  // before play: silence, no advance
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Audio_Frames_Played(), 0u);
    ASSERT_EQ(BASS_MusicPlay(music), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(music), Pack(0, 0));

    const std::size_t sizes[] = {1, 37, 1102, 64, 4999, 551, 3};
    std::int64_t pulled = 0;
    std::size_t music_frames = 0;
    for (std::size_t k = 0; pulled < starts.back() + 10000; ++k)
    {
        std::size_t n = sizes[k % 7];
        music_frames += Audio_Pull(buffer.data(), n);
        pulled += std::int64_t(n);
        ASSERT_EQ(Audio_Frames_Played(), std::uint64_t(pulled));
        ASSERT_EQ(BASS_ChannelGetPosition(music), Known_Position(starts, pulled)) << "after " << pulled;
        ASSERT_EQ(BASS_ChannelIsActive(music), pulled < starts.back() ? 1u : 0u) << "after " << pulled;
    }
    EXPECT_EQ(std::int64_t(music_frames), starts.back());
    EXPECT_EQ(BASS_ChannelGetPosition(music), Pack(2, 63));
}

TEST_F(Offline, Pulls_Are_Sample_Exact_Whatever_Their_Size)
{
    std::vector<std::uint8_t> bytes = Known_Bytes({});
    auto render = [&](std::size_t pull) {
        HMUSIC music = Load(bytes);
        EXPECT_EQ(BASS_MusicPlay(music), 1);
        std::vector<std::int16_t> all, buffer(2 * pull);
        while (std::size_t got = Audio_Pull(buffer.data(), pull))
            all.insert(all.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(2 * got));
        BASS_MusicFree(music);
        return all;
    };
    std::vector<std::int16_t> big = render(4096), odd = render(777);
    ASSERT_EQ(big.size(), odd.size());
    EXPECT_TRUE(big == odd);
    int loud = 0;
    for (std::int16_t s : big)
        loud += s > 1000 || s < -1000;
    EXPECT_GT(loud, 1000);  // the notes are there, not silence
}

TEST_F(Offline, Play_From_A_Position_And_Syncs_On_Every_Row_Change)
{
    Known_Module_Setup setup;
    std::vector<std::int64_t> starts = Ryx_Tools::Known_Row_Starts(setup);
    HMUSIC music = Load(Known_Bytes(setup));
    struct Seen
    {
        std::vector<std::uint32_t> data;
        std::vector<std::uint32_t> channel;
    } seen;
    auto record = [](HSYNC, DWORD channel, DWORD data, void* user) {
        static_cast<Seen*>(user)->data.push_back(data);
        static_cast<Seen*>(user)->channel.push_back(channel);
    };
    EXPECT_NE(BASS_ChannelSetSync(music, 0x40000000, 0xFFFFFFFF, record, &seen), 0u);
    ASSERT_EQ(BASS_MusicPlayEx(music, Pack(1, 60), 0, 1), 1);
    EXPECT_EQ(BASS_ChannelGetPosition(music), Pack(1, 60));
    std::vector<std::int16_t> buffer(2 * 1000);
    // Four rows of order 1 (tempo 150), then order 2 to the end.
    std::int64_t order_1_row = starts[65] - starts[64];
    std::int64_t four_rows = 4 * order_1_row;
    std::int64_t pulled = 0;
    while (pulled < four_rows)
        pulled +=
            std::int64_t(Audio_Pull(buffer.data(), std::size_t(std::min<std::int64_t>(1000, four_rows - pulled))));
    EXPECT_EQ(BASS_ChannelGetPosition(music), Pack(2, 0));
    while (Audio_Pull(buffer.data(), 1000))
    {}
    ASSERT_EQ(seen.data.size(), 3u + 64u);
    EXPECT_EQ(seen.data[0], Pack(1, 61));
    EXPECT_EQ(seen.data[3], Pack(2, 0));
    EXPECT_EQ(seen.data.back(), Pack(2, 63));
    EXPECT_EQ(seen.channel[0], music);
    EXPECT_EQ(BASS_ChannelStop(music), 1);
    EXPECT_EQ(BASS_ChannelIsActive(music), 0u);
}

TEST_F(Offline, Missing_Files_And_Files_That_Are_Not_Modules_Load_As_Zero_With_A_Reason)
{
    std::string text = testing::TempDir() + "not_a_module.xm";
    std::ofstream(text) << "this is a shopping list, not music\n";
    std::string empty = testing::TempDir() + "empty.xm";
    std::ofstream{empty};
    struct Case
    {
        std::string path;
        const char* reason;
    };
    for (const Case& c : {Case{testing::TempDir() + "no_such_file.xm", "No such file"}, Case{text, "not a module"},
                          Case{empty, "not a module"}, Case{testing::TempDir(), "not a regular file"}})
    {
        testing::internal::CaptureStderr();
        EXPECT_EQ(BASS_MusicLoad(0, c.path.c_str(), 0, 0, 1), 0u) << c.path;
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(c.path), std::string::npos) << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    EXPECT_EQ(BASS_MusicPlay(0), 0);
    EXPECT_EQ(BASS_ChannelGetPosition(0), 0u);
    EXPECT_EQ(BASS_ChannelIsActive(0), 0u);
}

// The test double pulls on a scripted clock with late wake-ups and a sample
// clock off by 2 %: the reported row change lands within 5 ms of the instant
// its first frame is heard, at small and large buffers.
TEST(Audio_Heard, Row_Changes_Are_Reported_Within_5_ms_On_The_Device_Double)
{
    Known_Module_Setup setup{6, 2, 200, 150};
    std::vector<std::uint8_t> bytes = Known_Bytes(setup);
    std::vector<std::int64_t> starts = Ryx_Tools::Known_Row_Starts(setup);
    std::vector<Row_Start> truth;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        truth.push_back({std::uint64_t(starts[i]), Pack(int(i / 64), int(i % 64))});
    for (std::uint32_t buffer : {64u, 512u, 2048u, 4096u})
        for (double drift : {-0.02, 0.0, 0.02})
        {
            Device_Double device;
            device.buffer_frames = device.latency_frames = buffer;
            device.drift = drift;
            Position_Error e = Measure_Position_Error(bytes.data(), bytes.size(), truth, device, 8.0);
            EXPECT_EQ(e.missing, 0u) << buffer << " " << drift;
            EXPECT_GT(e.rows, 200u) << buffer << " " << drift;
            EXPECT_LE(e.max_ms, 5.0) << buffer << " " << drift;
            EXPECT_LE(e.median_ms, 1.0) << buffer << " " << drift;
        }
}

// The heard clock alone, fed by the double's pulls (late wake-ups, spikes, a
// sample clock 2 % off, or the no-sound clock's pulls stamped with the time
// they were due): the frame it says is heard stays within 2 ms of the frame
// the double plays, at every moment, at small and large buffers.
TEST(Audio_Heard, The_Clock_Alone_Stays_Within_2_ms_Of_The_Frame_Played)
{
    for (std::uint32_t buffer : {64u, 512u, 4096u})
        for (double drift : {-0.02, 0.0, 0.02})
        {
            Device_Double device;
            device.buffer_frames = device.latency_frames = buffer;
            device.drift = drift;
            Clock_Error e = Measure_Clock_Error(device, 6.0);
            EXPECT_LE(e.max_ms, 2.0) << buffer << " " << drift;
            EXPECT_LE(e.median_ms, 0.5) << buffer << " " << drift;
        }
    Device_Double pacer;
    pacer.buffer_frames = pacer.latency_frames = 256;
    pacer.stamps_due_time = true;
    pacer.late_ms = 1.0;
    pacer.spike_ms = 5.0;
    Clock_Error e = Measure_Clock_Error(pacer, 6.0);
    EXPECT_LE(e.max_ms, 2.0);
}

// A pause of the output (BASS_Stop, then BASS_Start) or a device that ran
// dry: the heard position carries on at the device's pace afterwards instead
// of counting the silent stretch against it.
TEST(Audio_Heard, The_Pace_After_A_Pause_Is_The_Device_Pace)
{
    Heard_Clock clock;
    const double pull = 1024 / 44100.0;
    double t = 0;
    for (int k = 0; k < 80; ++k, t += pull)
        clock.Note_Pull(t, 1024, 1024);
    t += 1.0;  // paused for a second
    for (int k = 0; k < 80; ++k, t += pull)
    {
        clock.Note_Pull(t, 1024, 1024);
        if (k == 40 || k == 79)
        {
            // Between this pull and the next the device plays 0.8 of a pull.
            std::uint64_t a = clock.Heard_Frame(t + 0.1 * pull);
            std::uint64_t b = clock.Heard_Frame(t + 0.9 * pull);
            EXPECT_NEAR(double(b - a), 1024 * 0.8, 4.0) << k;
        }
    }
}

// Without sound the music keeps real time on the monotonic clock, and the
// main thread reads positions while the pacer thread decodes (the TSan run
// checks the hand-over). Bounds come from clock readings around each call, so
// a loaded machine widens nothing but the wait.
TEST(Audio_No_Sound, Keeps_Real_Time_And_Syncs_From_The_Audio_Thread)
{
    Known_Module_Setup setup;
    std::vector<std::uint8_t> bytes = Known_Bytes(setup);
    std::vector<std::int64_t> starts = Ryx_Tools::Known_Row_Starts(setup);
    ASSERT_EQ(BASS_Init(-2, 44100, 0, nullptr), 1);
    HMUSIC music = BASS_MusicLoad(1, bytes.data(), 0, DWORD(bytes.size()), 1);
    std::atomic<int> syncs{0};
    std::atomic<bool> off_main{true};
    static std::thread::id main_thread;
    main_thread = std::this_thread::get_id();
    struct Sync_State
    {
        std::atomic<int>* count;
        std::atomic<bool>* off_main;
    } state{&syncs, &off_main};
    BASS_ChannelSetSync(
        music, 0x40000000, 0xFFFFFFFF,
        [](HSYNC, DWORD channel, DWORD, void* user) {
            auto* s = static_cast<Sync_State*>(user);
            s->count->fetch_add(1);
            BASS_ChannelGetPosition(channel);  // a procedure may ask; nothing may deadlock on it
            if (std::this_thread::get_id() == main_thread)
                s->off_main->store(false);
        },
        &state);

    double before = Audio_Now();
    ASSERT_EQ(BASS_MusicPlay(music), 1);
    double after = Audio_Now();
    auto row_of = [&](double seconds) {
        std::int64_t frame = std::int64_t(seconds * 44100);
        std::size_t row = 0;
        while (row + 2 < starts.size() && starts[row + 1] <= frame)
            ++row;
        return row;
    };
    int checked = 0;
    while (Audio_Now() - before < 0.6)
    {
        double t0 = Audio_Now();
        std::uint32_t packed = BASS_ChannelGetPosition(music);
        double t1 = Audio_Now();
        std::size_t row = (packed & 0xFFFF) * 64 + (packed >> 16);
        EXPECT_GE(row, row_of(t0 - after - 0.005));
        EXPECT_LE(row, row_of(t1 - before + 0.005));
        ++checked;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    EXPECT_GT(checked, 100);
    EXPECT_GT(syncs.load(), 10);
    EXPECT_TRUE(off_main.load());
    EXPECT_EQ(BASS_ChannelIsActive(music), 1u);
    // Seeks, stops and restarts while the pacer decodes.
    for (int i = 0; i < 20; ++i)
    {
        ASSERT_EQ(BASS_MusicPlayEx(music, Pack(1, 8), 0, 1), 1);
        std::uint32_t packed = BASS_ChannelGetPosition(music);
        EXPECT_TRUE(packed == Pack(1, 8) || packed == Pack(1, 9)) << std::hex << packed;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_EQ(BASS_ChannelStop(music), 1);
        EXPECT_EQ(BASS_ChannelIsActive(music), 0u);
        ASSERT_EQ(BASS_MusicPlay(music), 1);
        EXPECT_EQ(BASS_ChannelIsActive(music), 1u);
    }
    // Freed without a stop, as on the quit-message path.
    EXPECT_EQ(BASS_MusicFree(music), 1);
    EXPECT_EQ(BASS_Free(), 1);
}

// The sound card path through SDL (its dummy driver in the tests): opens,
// pulls, and the heard position moves on; freed without a stop.
TEST(Audio_Card, The_Default_Device_Plays_And_The_Position_Moves)
{
    // ctest is meant to set this; a machine without sound needs it. The
    // dummy driver stands in for a card here.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Audio_Dummy_Is_A_Card(true);
    std::vector<std::uint8_t> bytes = Known_Bytes({});
    ASSERT_EQ(BASS_Init(-1, 44100, 0, nullptr), 1);
    Audio_Dummy_Is_A_Card(false);
    EXPECT_EQ(BASS_SetVolume(100), 1);
    EXPECT_EQ(BASS_Start(), 1);
    HMUSIC music = BASS_MusicLoad(1, bytes.data(), 0, DWORD(bytes.size()), 1);
    // Stop and Free wait for a pull in progress; its syncs ask for positions.
    EXPECT_NE(BASS_ChannelSetSync(
                  music, 0x40000000, 0xFFFFFFFF,
                  [](HSYNC, DWORD channel, DWORD, void*) { BASS_ChannelGetPosition(channel); }, nullptr),
              0u);
    ASSERT_EQ(BASS_MusicPlay(music), 1);
    double start = Audio_Now();
    std::uint32_t last = 0;
    int changes = 0;
    while (Audio_Now() - start < 0.5)
    {
        std::uint32_t packed = BASS_ChannelGetPosition(music);
        std::size_t row = (packed & 0xFFFF) * 64 + (packed >> 16);
        EXPECT_GE(row, std::size_t((last & 0xFFFF) * 64 + (last >> 16)));  // never goes back
        changes += packed != last;
        last = packed;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    EXPECT_GT(changes, 5);
    EXPECT_GT(Audio_Frames_Played(), 4410u);
    EXPECT_EQ(BASS_Stop(), 1);
    EXPECT_EQ(BASS_MusicFree(music), 1);
    EXPECT_EQ(BASS_Free(), 1);
}
