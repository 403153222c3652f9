#include "Tools/Capture/Enlarge.h"

#include <algorithm>
#include <cstring>

#include "Tools/Image_Writer/Image_Writer.h"

namespace Ryx_Capture
{
    namespace
    {
        int Round_Up_Even(std::int64_t numerator, std::int64_t denominator)
        {
            int v = int((numerator + denominator - 1) / denominator);
            return v + (v & 1);
        }

        // One source row, each value N times: the factor is a template
        // argument so that the inner loop unrolls without a branch.
        template <int N, typename T>
        void Repeat(const T* source, int count, T* out)
        {
            for (int i = 0; i < count; ++i, out += N)
            {
                const T v = source[i];
                for (int k = 0; k < N; ++k)
                    out[k] = v;
            }
        }

        template <typename T>
        void Repeat_Row(const T* source, int count, int scale, T* out)
        {
            switch (scale)
            {
            case 1: std::memcpy(out, source, std::size_t(count) * sizeof(T)); break;
            case 2: Repeat<2>(source, count, out); break;
            case 3: Repeat<3>(source, count, out); break;
            case 4: Repeat<4>(source, count, out); break;
            case 5: Repeat<5>(source, count, out); break;
            default: Repeat<6>(source, count, out); break;
            }
        }

        template <typename T>
        void Enlarge_Any(const T* source, std::ptrdiff_t source_stride, int source_width, int source_height, int scale,
                         int width, int height, int x, int y, T* out, std::ptrdiff_t out_stride, T black)
        {
            const int wide = source_width * scale, high = source_height * scale;
            for (int row = 0; row < height; ++row)
            {
                T* line = out + row * out_stride;
                if (row < y || row >= y + high)
                {
                    std::fill(line, line + width, black);
                    continue;
                }
                if ((row - y) % scale != 0)
                {
                    std::memcpy(line, line - out_stride, std::size_t(width) * sizeof(T));  // the row above again
                    continue;
                }
                std::fill(line, line + x, black);
                Repeat_Row(source + std::ptrdiff_t((row - y) / scale) * source_stride, source_width, scale, line + x);
                std::fill(line + x + wide, line + width, black);
            }
        }
    }

    Frame_Layout Make_Layout(int source_width, int source_height, int scale, int pad_width, int pad_height)
    {
        Frame_Layout layout;
        layout.source_width = source_width;
        layout.source_height = source_height;
        layout.scale = scale;
        const int wide = source_width * scale, high = source_height * scale;
        layout.width = wide;
        layout.height = high;
        if (pad_width > 0 && pad_height > 0)
        {
            if (std::int64_t(pad_width) * high > std::int64_t(pad_height) * wide)
                layout.width = Round_Up_Even(std::int64_t(high) * pad_width, pad_height);
            else
                layout.height = Round_Up_Even(std::int64_t(wide) * pad_height, pad_width);
        }
        layout.x = (layout.width - wide) / 2 & ~1;
        layout.y = (layout.height - high) / 2 & ~1;
        return layout;
    }

    void Enlarge(const std::uint32_t* source, std::ptrdiff_t source_stride, const Frame_Layout& layout,
                 std::uint32_t* out, std::ptrdiff_t out_stride, std::uint32_t black)
    {
        Enlarge_Any(source, source_stride, layout.source_width, layout.source_height, layout.scale, layout.width,
                    layout.height, layout.x, layout.y, out, out_stride, black);
    }

    void Enlarge_Plane(const std::uint8_t* source, std::ptrdiff_t source_stride, const Frame_Layout& layout, int sub,
                       std::uint8_t* out, std::ptrdiff_t out_stride, std::uint8_t black)
    {
        Enlarge_Any(source, source_stride, layout.source_width / sub, layout.source_height / sub, layout.scale,
                    layout.width / sub, layout.height / sub, layout.x / sub, layout.y / sub, out, out_stride, black);
    }

    std::vector<std::uint8_t> Encode_Frame_PNG(const std::uint32_t* pixels, const Frame_Layout& layout, int level)
    {
        std::vector<std::uint32_t> enlarged;
        if (layout.width != layout.source_width || layout.height != layout.source_height)
        {
            enlarged.resize(std::size_t(layout.width) * layout.height);
            Enlarge(pixels, layout.source_width, layout, enlarged.data(), layout.width, 0xFF000000u);
            pixels = enlarged.data();
        }
        return Ryx_Tools::Encode_PNG(layout.width, layout.height, pixels, level);
    }
}
