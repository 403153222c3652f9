// Renders a module offline, for the checks of the module writer and of the
// composed music: the whole song as stereo floats, the position at every row
// change, and whatever the players said while loading.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Platform/Audio_Rate.h"

namespace Ryx_Tools
{
    struct Row_Mark
    {
        std::int64_t frame;  // first frame whose reported position is this one
        int order;
        int row;
    };

    struct Rendered_Module
    {
        bool loaded = false;
        std::string log;  // libopenmpt's messages while loading and playing
        int rate = Ryx_Platform::Audio_Rate;
        int channels = 0, patterns = 0, orders = 0, instruments = 0;
        double estimated_seconds = 0;  // libopenmpt's own duration estimate
        std::vector<float> samples;    // interleaved left, right
        std::vector<Row_Mark> rows;    // one per order/row change, in playing order

        std::int64_t Frames() const { return std::int64_t(samples.size() / 2); }
    };

    // Plays once to the end ("stop" at the end, no fade). `chunk` frames are
    // read between position looks: a chunk that divides the tick length makes
    // every Row_Mark frame exact, any other is late by less than a chunk.
    Rendered_Module Render_Module(const std::vector<std::uint8_t>& bytes, int rate = Ryx_Platform::Audio_Rate,
                                  int chunk = 64);

    // The first `frames` frames with every channel but `channels` muted
    // (0-based): one part as the mix would play it.
    std::vector<float> Render_Solo(const std::vector<std::uint8_t>& bytes, const std::vector<int>& channels,
                                   std::int64_t frames, int rate = Ryx_Platform::Audio_Rate);

    // The notes as written: for each order, rows x channels cells of note
    // (1-96, 97 key off, 0 none) and instrument, row after row.
    struct Written_Order
    {
        int rows = 0, channels = 0;
        std::vector<std::uint8_t> notes, instruments;
    };
    std::vector<Written_Order> Read_Score(const std::vector<std::uint8_t>& bytes);

    struct Xmp_Result
    {
        bool ran = false;  // the program ran and wrote its output
        int exit_code = -1;
        std::string messages;        // everything xmp printed
        std::int64_t frames = 0;     // stereo frames it rendered
        std::vector<float> samples;  // interleaved left, right
    };

    // Renders through the independent player `xmp` (libxmp) into a WAV file
    // next to `work_path`, and reads it back.
    Xmp_Result Render_With_Xmp(const std::string& module_path, const std::string& work_path,
                               int rate = Ryx_Platform::Audio_Rate);
}
