// libopenmpt side of the offline renderer.
#include "Tools/Module_Render/Module_Render.h"

#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>

#include <algorithm>
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

    std::vector<float> Render_Solo(const std::vector<std::uint8_t>& bytes, const std::vector<int>& channels,
                                   std::int64_t frames, int rate)
    {
        std::vector<float> samples;
        std::ostringstream log;
        try
        {
            openmpt::module_ext module(bytes, log, {{"play.at_end", "stop"}});
            auto* interactive =
                static_cast<openmpt::ext::interactive*>(module.get_interface(openmpt::ext::interactive_id));
            if (!interactive)
                return samples;
            for (int ch = 0; ch < module.get_num_channels(); ++ch)
                interactive->set_channel_mute_status(ch,
                                                     std::find(channels.begin(), channels.end(), ch) == channels.end());
            samples.resize(std::size_t(frames) * 2);
            std::size_t done = 0;
            while (done < std::size_t(frames))
            {
                const std::size_t got = module.read_interleaved_stereo(
                    rate, std::min<std::size_t>(4096, std::size_t(frames) - done), samples.data() + 2 * done);
                if (got == 0)
                    break;
                done += got;
            }
            samples.resize(2 * done);
        }
        catch (const std::exception&)
        {
            samples.clear();
        }
        return samples;
    }

    std::vector<Written_Order> Read_Score(const std::vector<std::uint8_t>& bytes)
    {
        std::vector<Written_Order> score;
        std::ostringstream log;
        try
        {
            openmpt::module module(bytes, log);
            for (int order = 0; order < module.get_num_orders(); ++order)
            {
                const int pattern = module.get_order_pattern(order);
                Written_Order o;
                o.rows = module.get_pattern_num_rows(pattern);
                o.channels = module.get_num_channels();
                for (int row = 0; row < o.rows; ++row)
                    for (int ch = 0; ch < o.channels; ++ch)
                    {
                        o.notes.push_back(
                            module.get_pattern_row_channel_command(pattern, row, ch, openmpt::module::command_note));
                        o.instruments.push_back(module.get_pattern_row_channel_command(
                            pattern, row, ch, openmpt::module::command_instrument));
                    }
                score.push_back(std::move(o));
            }
        }
        catch (const std::exception&)
        {
            score.clear();
        }
        return score;
    }
}
