// Load times of the show's kinds of picture file: a 640 x 480 8-bit TGA
// (bottom-up, so the orientation pass is included), a 256 x 256 JPEG and a
// 640 x 368 JPEG, scrambled as the show's are. The bench links only the
// show's library, so it writes its files with libjpeg and by hand.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

#include <jpeglib.h>

#include "Code/JPG_Key.h"
#include "Code/Texture.h"

namespace
{
    using Bytes = std::vector<std::uint8_t>;

    std::string Bench_File(const std::string& name, const Bytes& bytes)
    {
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("ryx_bench_texture_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const std::string path = (dir / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            std::abort();
        std::fclose(file);
        return path;
    }

    // Smooth shapes with some grain, like the show's painted pictures.
    std::uint8_t Shade(int x, int y, int c)
    {
        return std::uint8_t((x * (c + 1) + y * (3 - c) + ((x * y) >> 5)) ^ (x * 7 + y * 13) % 5);
    }

    Bytes Tga_8_Bit(int w, int h)
    {
        Bytes f = {0,
                   0,
                   3,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   0,
                   std::uint8_t(w),
                   std::uint8_t(w >> 8),
                   std::uint8_t(h),
                   std::uint8_t(h >> 8),
                   8,
                   0x00};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                f.push_back(Shade(x, y, 1));
        return f;
    }

    Bytes Scrambled_Jpeg(int w, int h)
    {
        jpeg_compress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_compress(&cinfo);
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = JDIMENSION(w);
        cinfo.image_height = JDIMENSION(h);
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, 90, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        Bytes row(std::size_t(w) * 3);
        while (cinfo.next_scanline < cinfo.image_height)
        {
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + c] = Shade(x, int(cinfo.next_scanline), c);
            JSAMPROW r = row.data();
            jpeg_write_scanlines(&cinfo, &r, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        Bytes out(buffer, buffer + size);
        std::free(buffer);
        unsigned key = Ryx_Vektu::JPG_Initial_Key;
        for (std::uint8_t& b : out)
        {
            b = std::uint8_t(b ^ key);
            key = (key + Ryx_Vektu::JPG_Key_Step) & 0xFF;
        }
        return out;
    }

    template <class Load>
    void Run(benchmark::State& state, const std::string& path, Load load)
    {
        for (auto _ : state)
        {
            Ryx_Lib::Single<Ryx_Vektu::Texture> t = load(path.c_str());
            if (!t || t->Get_Width() == 0)
                state.SkipWithError("the file did not load");
            benchmark::DoNotOptimize(t->Get_Pixels());
        }
        std::filesystem::remove(path);
    }
}

static void Texture_Load_TGA_640x480_8bit(benchmark::State& state)
{
    Run(state, Bench_File("t.tga", Tga_8_Bit(640, 480)), Ryx_Vektu::Load_TGA_Texture);
}
BENCHMARK(Texture_Load_TGA_640x480_8bit)->Unit(benchmark::kMillisecond);

static void Texture_Load_JPG_256x256(benchmark::State& state)
{
    Run(state, Bench_File("a.jpg", Scrambled_Jpeg(256, 256)), Ryx_Vektu::Load_JPG_Texture);
}
BENCHMARK(Texture_Load_JPG_256x256)->Unit(benchmark::kMillisecond);

static void Texture_Load_JPG_640x368(benchmark::State& state)
{
    Run(state, Bench_File("b.jpg", Scrambled_Jpeg(640, 368)), Ryx_Vektu::Load_JPG_Texture);
}
BENCHMARK(Texture_Load_JPG_640x368)->Unit(benchmark::kMillisecond);
