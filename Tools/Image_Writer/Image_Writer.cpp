// The image writers: TGA by hand in every type the show's loader reads, JPEG
// through libjpeg's compressor, PNG through libpng, and the XOR scrambler.
//
// The writers are used by the picture tools and by tests and fuzz seeds, so a
// bad request (no pixels, a depth the loader does not know) gives an empty
// result instead of a library's exit().
#include "Tools/Image_Writer/Image_Writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "Code/JPG_Key.h"

namespace Ryx_Tools
{
    namespace
    {
        int Bytes_For_Bits(int bits)
        {
            switch (bits)
            {
            case 8: return 1;
            case 15:
            case 16: return 2;
            case 24: return 3;
            case 32: return 4;
            default: return 0;
            }
        }

        void Put_16(std::vector<std::uint8_t>& out, int value)
        {
            out.push_back(std::uint8_t(value & 0xFF));
            out.push_back(std::uint8_t((value >> 8) & 0xFF));
        }

        // Run-length packets over the whole pixel stream. Packets may cross
        // rows, as the loader allows; each holds at most 128 pixels.
        void Put_Run_Length(std::vector<std::uint8_t>& out, const std::uint8_t* stream, std::size_t count, int bpp)
        {
            auto same = [&](std::size_t a, std::size_t b) {
                return std::memcmp(stream + a * bpp, stream + b * bpp, std::size_t(bpp)) == 0;
            };
            std::size_t i = 0;
            while (i < count)
            {
                std::size_t run = 1;
                while (i + run < count && run < 128 && same(i, i + run))
                    ++run;
                if (run >= 2)
                {
                    out.push_back(std::uint8_t(0x80 | (run - 1)));
                    out.insert(out.end(), stream + i * bpp, stream + (i + 1) * bpp);
                    i += run;
                    continue;
                }
                // Raw packet: up to the next pair of equal pixels.
                std::size_t raw = 1;
                while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
                    ++raw;
                out.push_back(std::uint8_t(raw - 1));
                out.insert(out.end(), stream + i * bpp, stream + (i + raw) * bpp);
                i += raw;
            }
        }

        // The error record also holds what the error path must free: libjpeg
        // writes these through pointers, so they live in memory, not registers.
        struct Jpeg_Error
        {
            jpeg_error_mgr manager;
            std::jmp_buf jump;
            unsigned char* buffer = nullptr;
            unsigned long size = 0;
            unsigned char* row = nullptr;
        };

        extern "C" void Jpeg_Error_Exit(j_common_ptr cinfo)
        {
            (*cinfo->err->output_message)(cinfo);
            std::longjmp(reinterpret_cast<Jpeg_Error*>(cinfo->err)->jump, 1);
        }

        extern "C" void Png_Write(png_structp png, png_bytep data, png_size_t length)
        {
            auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
            out->insert(out->end(), data, data + length);
        }

        extern "C" void Png_Flush(png_structp) {}
    }

    std::vector<std::uint8_t> Encode_TGA(int width, int height, const std::uint8_t* pixels, const Tga_Options& options)
    {
        const int bpp = Bytes_For_Bits(options.depth);
        if (bpp == 0 || width <= 0 || height <= 0 || width > 0x7FFF || height > 0x7FFF || !pixels)
            return {};
        if (options.image_id.size() > 255)
            return {};

        const int map_bytes = options.colour_map ? Bytes_For_Bits(options.colour_map_entry_bits) : 0;
        const int map_length = options.colour_map ? options.colour_map_length : 0;
        if (map_length < 0 || map_length > 0x7FFF)
            return {};

        int type = options.colour_map ? 1 : (options.depth == 8 ? 3 : 2);
        if (options.run_length)
            type += 8;

        std::vector<std::uint8_t> out;
        out.push_back(std::uint8_t(options.image_id.size()));
        out.push_back(options.colour_map ? 1 : 0);
        out.push_back(std::uint8_t(type));
        Put_16(out, 0);
        Put_16(out, map_length);
        out.push_back(std::uint8_t(options.colour_map ? options.colour_map_entry_bits : 0));
        Put_16(out, 0);
        Put_16(out, 0);
        Put_16(out, width);
        Put_16(out, height);
        out.push_back(std::uint8_t(options.depth));
        out.push_back(options.descriptor);
        out.insert(out.end(), options.image_id.begin(), options.image_id.end());

        // A grey ramp for the map: never applied by the loader, only skipped.
        for (int e = 0; e < map_length; ++e)
            for (int b = 0; b < map_bytes; ++b)
                out.push_back(std::uint8_t(e * 7 + b));

        // Lay the pixels out so that the loader's orientation step restores them.
        const int orientation = options.descriptor >> 3;
        const bool store_rows_reversed = orientation <= 1 || orientation == 3;
        const bool store_columns_reversed = orientation == 3;
        const std::size_t count = std::size_t(width) * std::size_t(height);
        std::vector<std::uint8_t> stream(count * std::size_t(bpp));
        for (int y = 0; y < height; ++y)
        {
            const int sy = store_rows_reversed ? height - 1 - y : y;
            for (int x = 0; x < width; ++x)
            {
                const int sx = store_columns_reversed ? width - 1 - x : x;
                std::memcpy(&stream[(std::size_t(y) * width + x) * bpp], &pixels[(std::size_t(sy) * width + sx) * bpp],
                            std::size_t(bpp));
            }
        }

        if (options.run_length)
            Put_Run_Length(out, stream.data(), count, bpp);
        else
            out.insert(out.end(), stream.begin(), stream.end());
        return out;
    }

    std::vector<std::uint8_t> Encode_JPEG(int width, int height, const std::uint32_t* pixels, int quality, bool grey)
    {
        if (width <= 0 || height <= 0 || width > 65500 || height > 65500 || !pixels)
            return {};

        jpeg_compress_struct cinfo;
        Jpeg_Error error;
        cinfo.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = Jpeg_Error_Exit;
        if (setjmp(error.jump))
        {
            jpeg_destroy_compress(&cinfo);
            std::free(error.buffer);
            std::free(error.row);
            return {};
        }
        jpeg_create_compress(&cinfo);
        jpeg_mem_dest(&cinfo, &error.buffer, &error.size);

        const int components = grey ? 1 : 3;
        cinfo.image_width = JDIMENSION(width);
        cinfo.image_height = JDIMENSION(height);
        cinfo.input_components = components;
        cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);

        error.row = static_cast<unsigned char*>(std::malloc(std::size_t(width) * components));
        if (!error.row)
            ERREXIT1(&cinfo, JERR_OUT_OF_MEMORY, 0);
        unsigned char* row = error.row;
        while (cinfo.next_scanline < cinfo.image_height)
        {
            const std::uint32_t* source = pixels + std::size_t(cinfo.next_scanline) * width;
            for (int x = 0; x < width; ++x)
            {
                const std::uint32_t p = source[x];
                const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (grey)
                    row[x] = static_cast<unsigned char>((r * 299 + g * 587 + b * 114 + 500) / 1000);
                else
                {
                    row[x * 3 + 0] = static_cast<unsigned char>(r);
                    row[x * 3 + 1] = static_cast<unsigned char>(g);
                    row[x * 3 + 2] = static_cast<unsigned char>(b);
                }
            }
            JSAMPROW rows[1] = {row};
            jpeg_write_scanlines(&cinfo, rows, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);

        std::vector<std::uint8_t> out(error.buffer, error.buffer + error.size);
        std::free(error.buffer);
        std::free(error.row);
        return out;
    }

    std::vector<std::uint8_t> Encode_PNG(int width, int height, const std::uint32_t* pixels, int compression)
    {
        if (width <= 0 || height <= 0 || !pixels)
            return {};

        std::vector<std::uint8_t> out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (!png)
            return {};
        png_infop info = png_create_info_struct(png);
        unsigned char* volatile row = nullptr;
        if (!info || setjmp(png_jmpbuf(png)))
        {
            png_destroy_write_struct(&png, info ? &info : nullptr);
            std::free(row);
            return {};
        }
        png_set_write_fn(png, &out, Png_Write, Png_Flush);
        png_set_compression_level(png, compression);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);

        row = static_cast<unsigned char*>(std::malloc(std::size_t(width) * 3));
        if (!row)
            png_error(png, "out of memory");
        for (int y = 0; y < height; ++y)
        {
            const std::uint32_t* source = pixels + std::size_t(y) * width;
            for (int x = 0; x < width; ++x)
            {
                row[x * 3 + 0] = static_cast<unsigned char>(source[x] >> 16);
                row[x * 3 + 1] = static_cast<unsigned char>(source[x] >> 8);
                row[x * 3 + 2] = static_cast<unsigned char>(source[x]);
            }
            png_write_row(png, row);
        }
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        std::free(row);
        return out;
    }

    void Scramble(std::vector<std::uint8_t>& bytes)
    {
        unsigned key = Ryx_Vektu::JPG_Initial_Key;
        for (std::uint8_t& b : bytes)
        {
            b = std::uint8_t(b ^ key);
            key = (key + Ryx_Vektu::JPG_Key_Step) & 0xFF;
        }
    }

    bool Write_File(const std::string& path, const std::vector<std::uint8_t>& bytes)
    {
        const std::filesystem::path target(path);
        std::error_code ignored;
        if (target.has_parent_path())
            std::filesystem::create_directories(target.parent_path(), ignored);

        const std::string temporary = path + ".tmp" + std::to_string(::getpid());
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (!file)
            return false;
        bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = std::fflush(file) == 0 && ok;
        ok = std::fclose(file) == 0 && ok;
        // std::filesystem's rename replaces an existing file on every system
        // (the C library's does not on Windows).
        std::error_code renamed;
        if (ok && (std::filesystem::rename(temporary, target, renamed), !renamed))
            return true;
        std::remove(temporary.c_str());
        return false;
    }
}
