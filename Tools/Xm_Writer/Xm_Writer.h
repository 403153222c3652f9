// Writes FastTracker 2 extended modules (.xm) from code: the composer makes
// the show's module with it, the tests make small modules with known rows.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Ryx_Tools
{
    struct Xm_Envelope
    {
        bool on = false;
        std::vector<std::pair<std::uint16_t, std::uint16_t>> points;  // (tick, value 0-64)
        int sustain = -1;                                             // point index, -1 none
        int loop_start = -1, loop_end = -1;                           // point indices, -1 none
    };

    struct Xm_Sample
    {
        std::string name;
        bool sixteen_bit = true;
        std::vector<std::int16_t> data;  // one value per sample frame; -128..127 when 8-bit
        std::uint32_t loop_start = 0;    // in sample frames
        std::uint32_t loop_length = 0;   // in sample frames
        int loop_type = 0;               // 0 none, 1 forward, 2 ping-pong
        std::uint8_t volume = 64;
        std::int8_t finetune = 0;
        std::uint8_t panning = 128;
        std::int8_t relative_note = 0;
    };

    struct Xm_Instrument
    {
        std::string name;
        std::vector<Xm_Sample> samples;
        std::array<std::uint8_t, 96> keymap{};  // sample index for notes 1-96
        Xm_Envelope volume_envelope;
        Xm_Envelope panning_envelope;
        std::uint16_t fadeout = 0;
        std::uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    };

    struct Xm_Cell
    {
        std::uint8_t note = 0;        // 1-96, 97 key off, 0 none
        std::uint8_t instrument = 0;  // 1-based, 0 none
        std::uint8_t volume = 0;      // volume column byte, 0 none
        std::uint8_t effect = 0;
        std::uint8_t parameter = 0;
    };

    struct Xm_Pattern
    {
        Xm_Pattern(int rows_, int channels_) : rows(rows_), channels(channels_), cells(std::size_t(rows_) * channels_)
        {}
        Xm_Cell& At(int row, int channel) { return cells[std::size_t(row) * channels + channel]; }
        const Xm_Cell& At(int row, int channel) const { return cells[std::size_t(row) * channels + channel]; }

        int rows;
        int channels;
        std::vector<Xm_Cell> cells;
    };

    struct Xm_Module
    {
        std::string name;
        std::string tracker = "FastTracker v2.00";
        int channels = 8;
        int speed = 6;
        int tempo = 125;
        int restart = 0;
        bool linear = true;
        std::vector<std::uint8_t> orders;
        std::vector<Xm_Pattern> patterns;
        std::vector<Xm_Instrument> instruments;
    };

    std::vector<std::uint8_t> Encode_Xm(const Xm_Module& module);
    // Writes through a temporary file and a rename: never a half-written module.
    bool Save_Xm(const Xm_Module& module, const std::string& path);
}
