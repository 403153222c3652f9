// The score as written, read back from the file: how many orders repeat an
// earlier one note for note (a listener hears those as copies).
#include <algorithm>
#include <string>

#include "Tools/Music_Check/Song.h"

namespace Ryx_Tools
{
    namespace
    {
        // Cells where both orders strike the same note with the same
        // instrument, against cells where either strikes anything.
        double Sameness(const Written_Order& a, const Written_Order& b)
        {
            if (a.notes.size() != b.notes.size())
                return 0;
            int same = 0, any = 0;
            for (std::size_t i = 0; i < a.notes.size(); ++i)
            {
                const bool in_a = a.notes[i] != 0, in_b = b.notes[i] != 0;
                if (!in_a && !in_b)
                    continue;
                ++any;
                same += in_a && in_b && a.notes[i] == b.notes[i] && a.instruments[i] == b.instruments[i];
            }
            return any ? double(same) / any : 1.0;
        }
    }

    void Check_Writing(const Song& song, Report& report)
    {
        const std::vector<Written_Order> score = Read_Score(song.bytes);
        std::string copies;
        int count = 0;
        for (std::size_t o = 1; o + 1 < score.size(); ++o)  // the silent last order is left out
        {
            double best = 0;
            std::size_t like = 0;
            for (std::size_t p = 0; p < o; ++p)
            {
                const double s = Sameness(score[o], score[p]);
                if (s > best)
                {
                    best = s;
                    like = p;
                }
            }
            if (best >= 0.96)
            {
                ++count;
                copies += Format(" %zu~%zu", o, like);
            }
        }
        report.Check(count <= 3,
                     Format("orders 96%% or more like an earlier one: %d (3 at most):%s", count, copies.c_str()));
    }
}
