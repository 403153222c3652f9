// The calm picture: a presentation stage between the finished frame and the
// screen, the encoder or the check, that keeps the flashing below the limit
// of the flash measure (Flash_Measure.h): in no view, within no second,
// seven transitions or more.
//
// It follows the transitions of what it has shown, in every view, timed on
// the show's clock, so it works in seconds at any frame rate. A frame passes
// untouched unless it would make a seventh transition within a second in
// some view (or, while the stage is softening, a sixth upwards: the last one
// of a second is kept for the way down, so that the picture is not held
// bright). Such a frame is softened just enough to stay within a swing of
// that view's last extreme: each cell of the 6 x 6 grid the views are made
// of may rise from the frame shown before by what the closed views it
// belongs to have left, and a cell that would rise more is scaled down in
// linear light. The measure of the result has the last word; the frame shown
// before, once more, is always quiet. It only ever looks back: a live frame
// cannot wait.
#pragma once
#include <cstdint>
#include <vector>

#include "Platform/Display.h"
#include "Platform/Flash_Measure.h"

namespace Ryx_Platform
{
    class Calm_Stage : public Frame_Stage
    {
    public:
        // Softens the finished frame in place. pixels: 0x..RRGGBB, rows of
        // exactly width pixels; milliseconds: the show's clock at the flip
        // (a clock that goes back starts the stage afresh, as does a new
        // frame size).
        void Apply(std::uint32_t* pixels, int width, int height, std::uint32_t milliseconds) override;

        long Get_Frames() const { return m_frames; }
        long Get_Changed() const { return m_changed; }

    private:
        static constexpr int Cells = Flash_Cells * Flash_Cells;

        enum class Limit : std::uint8_t
        {
            Open,          // any transition
            Falling_Only,  // the last of the second: only one downwards
            Shut           // none
        };

        struct View_State
        {
            explicit View_State(const Swing_Rule& rule) : tracker(rule) {}
            Swing_Tracker tracker;
            std::vector<std::uint32_t> times;  // its transitions of the last second
            Limit limit = Limit::Open;
        };

        void Reset(int width, int height);
        View_State& State(int view, bool red) { return m_views[std::size_t(view) * 2 + (red ? 1 : 0)]; }
        const View_State& State(int view, bool red) const { return m_views[std::size_t(view) * 2 + (red ? 1 : 0)]; }
        bool Is_Quiet(const Frame_Levels& levels) const;
        void Accept(const Frame_Levels& levels, std::uint32_t milliseconds);
        void Quiet_Range(int view, bool red, double& low, double& high) const;

        // How a frame is softened: each cell scaled by its gain, the result
        // mixed with the frame shown before by weight (1: the frame alone);
        // the tops each cell must stay under.
        struct Softening
        {
            double gain[Cells];
            double top[Cells];
            double red_top[Cells];
            double weight;
        };
        void Choose(const Frame_Levels& in, Softening& s) const;
        void Soften(std::uint32_t* pixels, const Cell_Sums& in_sums, const Frame_Levels& in, Frame_Levels& out);

        int m_width = 0, m_height = 0;
        std::uint32_t m_last_time = 0;
        std::uint32_t m_last_change = 0;
        long m_frames = 0;
        long m_changed = 0;
        std::vector<View_State> m_views;
        Frame_Levels m_shown{};  // the levels of the frame shown before
        std::vector<std::uint32_t> m_previous;
        std::vector<std::uint32_t> m_input;
    };
}
