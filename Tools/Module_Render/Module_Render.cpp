// libopenmpt side of the offline renderer.
#include "Tools/Module_Render/Module_Render.h"

#include <libopenmpt/libopenmpt.hpp>

#include <map>
#include <sstream>

namespace Ryx_Tools
{
    Rendered_Module Render_Module(const std::vector<std::uint8_t>& bytes, int rate, int chunk)
    {
        Rendered_Module result;
        result.rate = rate;
        if (chunk < 1)
            chunk = 1;
        std::ostringstream log;
        try
        {
            const std::map<std::string, std::string> ctls{{"play.at_end", "stop"}};
            openmpt::module module(bytes, log, ctls);
            result.loaded = true;
            result.channels = module.get_num_channels();
            result.patterns = module.get_num_patterns();
            result.orders = module.get_num_orders();
            result.instruments = module.get_num_instruments();
            result.estimated_seconds = module.get_duration_seconds();
            module.set_repeat_count(0);

            std::vector<float> buffer(std::size_t(chunk) * 2);
            std::int64_t frame = 0;
            int last_order = -1, last_row = -1;
            for (;;)
            {
                const std::size_t got = module.read_interleaved_stereo(rate, std::size_t(chunk), buffer.data());
                if (got == 0)
                    break;
                result.samples.insert(result.samples.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(got * 2));
                const int order = module.get_current_order();
                const int row = module.get_current_row();
                // The last chunk of the song reads short and its position is already
                // the restart position: it belongs to the last row.
                if (got == std::size_t(chunk) && (order != last_order || row != last_row))
                {
                    result.rows.push_back({frame, order, row});
                    last_order = order;
                    last_row = row;
                }
                frame += std::int64_t(got);
                if (got < std::size_t(chunk))
                    break;
            }
        }
        catch (const std::exception& e)
        {
            log << "exception: " << e.what() << "\n";
        }
        result.log = log.str();
        return result;
    }
}
