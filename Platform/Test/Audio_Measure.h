// How far the heard position is from the truth: a test double of the sound
// device pulls buffers on a scripted clock (late wake-ups, a sample clock a
// little off the host's), and the reported row is compared with the row of
// the frame the double is playing at that instant; or, without a module, the
// heard clock's frame with the frame the double plays. Used by the tests, the
// bench and the position-error command. In the test library only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Ryx_Platform
{
    struct Row_Start
    {
        std::uint64_t frame;   // first frame of the row, from the start of the song
        std::uint32_t packed;  // order | row << 16
    };

    // The row starts of the first `frames` frames, decoded one frame at a
    // time: slow, but exact by the decoder's own account, and independent of
    // the player's chunking. Empty when the bytes are not a module.
    std::vector<Row_Start> Reference_Row_Starts(const void* data, std::size_t size, std::uint64_t frames);

    struct Device_Double
    {
        std::uint32_t buffer_frames = 1024;   // frames per pull
        std::uint32_t latency_frames = 1024;  // frames the device plays before a pull is heard
        double drift = 0.0;                   // the device's sample clock runs at 44100 * (1 + drift) Hz
        double late_ms = 0.5;                 // every pull wakes up to this late...
        double spike_ms = 4.0;                // ...and one in 20 up to this late
        std::uint32_t seed = 1;
        // The no-sound pacer stamps each pull with the time it was due, not
        // the time it woke up.
        bool stamps_due_time = false;
    };

    struct Position_Error
    {
        double max_ms = 0;  // largest |reported change - heard change|
        double median_ms = 0;
        double mean_signed_ms = 0;
        std::size_t rows = 0;     // row changes compared
        std::size_t missing = 0;  // changes reported out of sequence or not at all
    };

    // Plays `seconds` of the module through the double, asking for the
    // position every 0.1 ms of scripted time.
    Position_Error Measure_Position_Error(const void* data, std::size_t size, const std::vector<Row_Start>& truth,
                                          const Device_Double& device, double seconds);

    struct Clock_Error
    {
        double max_ms = 0;  // largest |heard frame - frame the double plays|, in time
        double median_ms = 0;
    };

    // Feeds a heard clock alone with the double's pulls for `seconds`, and
    // asks it for the heard frame every 0.1 ms of scripted time.
    Clock_Error Measure_Clock_Error(const Device_Double& device, double seconds);
}
