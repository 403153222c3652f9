// libebur128 behind three plain functions.
#include "Tools/Music_Check/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "Platform/Audio_Rate.h"

namespace Ryx_Tools
{
    namespace
    {
        constexpr unsigned long Rate = Ryx_Platform::Audio_Rate;

        struct Closer
        {
            void operator()(ebur128_state* s) const { ebur128_destroy(&s); }
        };
        using State = std::unique_ptr<ebur128_state, Closer>;

        State Fed(const std::vector<float>& stereo, std::int64_t from, std::int64_t to, int mode)
        {
            State s(ebur128_init(2, Rate, mode));
            if (!s)
                return s;
            from = std::max<std::int64_t>(0, from);
            to = std::min<std::int64_t>(std::int64_t(stereo.size() / 2), to);
            if (to > from)
                ebur128_add_frames_float(s.get(), stereo.data() + 2 * from, std::size_t(to - from));
            return s;
        }
    }

    double Integrated_Lufs(const std::vector<float>& stereo, std::int64_t from, std::int64_t to)
    {
        double out = -std::numeric_limits<double>::infinity();
        if (State s = Fed(stereo, from, to, EBUR128_MODE_I))
            ebur128_loudness_global(s.get(), &out);
        return out;
    }

    double Window_Lufs(const std::vector<float>& stereo, std::int64_t from, std::int64_t to)
    {
        double out = -std::numeric_limits<double>::infinity();
        const unsigned long ms = (unsigned long)(std::max<std::int64_t>(1, to - from) * 1000 / std::int64_t(Rate));
        State s(ebur128_init(2, Rate, EBUR128_MODE_M));
        if (!s || ms == 0 || ebur128_set_max_window(s.get(), ms) != EBUR128_SUCCESS)
            return out;
        from = std::max<std::int64_t>(0, from);
        to = std::min<std::int64_t>(std::int64_t(stereo.size() / 2), to);
        if (to > from)
            ebur128_add_frames_float(s.get(), stereo.data() + 2 * from, std::size_t(to - from));
        ebur128_loudness_window(s.get(), ms, &out);
        return out;
    }

    double True_Peak_Db(const std::vector<float>& stereo)
    {
        State s = Fed(stereo, 0, std::int64_t(stereo.size() / 2), EBUR128_MODE_TRUE_PEAK);
        double peak = 0;
        for (unsigned c = 0; s && c < 2; ++c)
        {
            double p = 0;
            if (ebur128_true_peak(s.get(), c, &p) == EBUR128_SUCCESS)
                peak = std::max(peak, p);
        }
        return 20.0 * std::log10(peak + 1e-12);
    }
}
