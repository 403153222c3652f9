// The flash measure, one piece shared by the calm stage and flash_check, so
// that what the stage limits is exactly what the check counts.
//
// A frame's level in a view is the mean over the view's pixels of the
// relative luminance (sRGB, as the web's accessibility guidelines define it)
// and, apart, of the saturated-red measure: (R - G - B) x 320 for pixels whose
// R / (R + G + B) is at least 0.8, else 0, R, G and B as stored (0 to 1).
// The views are the whole screen and 5 x 5 windows of a third of the screen
// across and down, one at every sixth: the screen is cut into 6 x 6 cells and
// a window is 2 x 2 of them. Sums are whole numbers, so every build and every
// user of this file gets the same levels to the last bit.
//
// A view's levels over time swing between extremes: a transition is a swing
// of at least the threshold (0.1 of luminance, more than 20 of red) between
// a peak and the next trough or a trough and the next peak, however many
// frames it takes, and for luminance only when its darker side is below 0.8.
// Wiggles smaller than the threshold neither count nor split a swing. A
// transition is dated by the frame where it first amounts to one (the swing
// from the last extreme reaches the threshold, or its darker side drops below
// 0.8): the moment it has been seen, which a stage that cannot look ahead
// can act on.
#pragma once
#include <cstdint>

namespace Ryx_Platform
{
    constexpr int Flash_Cells = 6;                  // across and down
    constexpr int Flash_Window_Cells = 2;           // a window: a third of the screen
    constexpr int Flash_Windows = Flash_Cells - 1;  // windows across and down
    constexpr int Flash_Views = 1 + Flash_Windows * Flash_Windows;

    // View 0 is the whole screen; view 1 + 5 * row + column a window. The
    // cells' own levels (row by row) come with them.
    struct Frame_Levels
    {
        double luminance[Flash_Views];
        double red[Flash_Views];
        double cell_luminance[Flash_Cells * Flash_Cells];
        double cell_red[Flash_Cells * Flash_Cells];
    };

    // Cell column or row i of a picture `size` pixels across or down starts
    // at pixel Cell_Edge(i, size); i = 6 is the end.
    inline int Cell_Edge(int i, int size) { return int(std::int64_t(i) * size / Flash_Cells); }

    // pixels: 0x..RRGGBB, rows of exactly width pixels; width and height at
    // least 6.
    void Measure_Levels(const std::uint32_t* pixels, int width, int height, Frame_Levels& levels);

    // The same in two steps, for a frame of which only some cells change:
    // the cells' whole-number sums, then the levels from them.
    struct Cell_Sums
    {
        std::uint64_t luminance[Flash_Cells * Flash_Cells];  // in units of 2^-24
        std::uint64_t red[Flash_Cells * Flash_Cells];        // of R - G - B, 0 to 255
    };
    void Sum_Cells(const std::uint32_t* pixels, int width, int height, Cell_Sums& sums);
    void Sum_Cell(const std::uint32_t* pixels, int width, int height, int cell, Cell_Sums& sums);
    void Levels_Of(const Cell_Sums& sums, int width, int height, Frame_Levels& levels);

    struct Swing_Rule
    {
        double threshold;
        bool strict;          // a swing must exceed the threshold, not only reach it
        double darker_below;  // the darker side must be below this
    };
    constexpr Swing_Rule Luminance_Swing{0.1, false, 0.8};
    constexpr Swing_Rule Red_Swing{20.0, true, 1e9};

    // Follows one view's level frame by frame and finds its transitions.
    class Swing_Tracker
    {
    public:
        explicit Swing_Tracker(const Swing_Rule& rule) : m_rule(rule) {}
        // True when a transition is dated at this frame.
        bool Feed(double level);
        // What Feed(level) would say, changing nothing.
        bool Would_Count(double level) const;
        // The levels the next frame may take without a transition: [low,
        // high], either side possibly unbounded (-1e9, 1e9). A level on a
        // bound itself may count: Would_Count decides.
        void Quiet_Range(double& low, double& high) const;
        // The swing under way is upwards (after a transition: that one).
        bool Is_Rising() const { return m_phase == Phase::Rising; }

    private:
        enum class Phase
        {
            Empty,  // no frame yet
            Start,  // frames within less than a swing of each other
            Rising,
            Falling
        };
        bool Swings(double from, double to) const;

        Swing_Rule m_rule;
        Phase m_phase = Phase::Empty;
        double m_low = 0, m_high = 0;  // Start: the range so far
        double m_extreme = 0;          // Rising or Falling: the extreme since the last turn
        bool m_counts = false;         // the swing under way counts as a transition
    };
}
