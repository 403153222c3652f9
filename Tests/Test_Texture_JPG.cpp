// The JPEG loader: pixels against libjpeg's own memory source, scrambled files
// against plain ones across buffer refills and skipped segments, and files
// that must end in one report or a quiet empty texture.
#include "Tests/Test_Texture_Files.h"

#include <cstdio>
#include <jpeglib.h>
#include <sys/stat.h>
#include <algorithm>

#include "Code/JPG_Key.h"
#include "Tests/Support/Assertion_Recorder.h"

using namespace Ryx_Test;
using Ryx_Vektu::Load_JPG_Texture;
using Bytes = std::vector<std::uint8_t>;

namespace
{
    // libjpeg's reading of the same bytes, as 0xFFRRGGBB (grey spread to all three).
    std::vector<std::uint32_t> Reference(const Bytes& file, int& width, int& height)
    {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        width = int(cinfo.output_width);
        height = int(cinfo.output_height);
        const int c = cinfo.output_components;
        std::vector<std::uint32_t> out;
        Bytes row(std::size_t(width) * c);
        while (cinfo.output_scanline < cinfo.output_height)
        {
            JSAMPROW r = row.data();
            jpeg_read_scanlines(&cinfo, &r, 1);
            for (int x = 0; x < width; ++x)
                out.push_back(c == 3 ? 0xFF000000u | row[x * 3] << 16 | row[x * 3 + 1] << 8 | row[x * 3 + 2]
                                     : 0xFF000000u | row[x] * 0x010101u);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        return out;
    }

    std::vector<std::uint32_t> Pixels_Of(Ryx_Vektu::Texture& t)
    {
        const auto* p = static_cast<const std::uint32_t*>(t.Get_Pixels());
        return p ? std::vector<std::uint32_t>(p, p + std::size_t(t.Get_Width()) * t.Get_Height())
                 : std::vector<std::uint32_t>();
    }

    std::vector<std::uint32_t> Picture(int w, int h, std::uint32_t seed)
    {
        std::vector<std::uint32_t> p(std::size_t(w) * h);
        for (std::size_t i = 0; i < p.size(); ++i)
        {
            seed = seed * 1103515245u + 12345u;
            p[i] = 0xFF000000u | (seed >> 8 & 0xFFFFFF);
        }
        return p;
    }

    // Loads the file plainly and scrambled; both must equal libjpeg's reading.
    void Expect_Plain_And_Scrambled_Decode(const Bytes& file, const char* what)
    {
        int w = 0, h = 0;
        const std::vector<std::uint32_t> reference = Reference(file, w, h);
        Bytes scrambled = file;
        Ryx_Tools::Scramble(scrambled);
        ASSERT_NE(scrambled[0], 0xFF);
        for (const Bytes* bytes : {&file, static_cast<const Bytes*>(&scrambled)})
        {
            Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_JPG_Texture(Texture_Test_File("t.jpg", *bytes).c_str());
            ASSERT_TRUE(t);
            EXPECT_EQ(t->Get_Width(), w) << what;
            EXPECT_EQ(t->Get_Height(), h) << what;
            EXPECT_EQ(t->Get_Bytes_Per_Pixel(), 4);
            EXPECT_TRUE(Pixels_Of(*t) == reference) << what << (bytes == &file ? " plain" : " scrambled");
        }
    }

    // A comment segment of length bytes (payload included) after the SOI marker.
    Bytes With_Comment(const Bytes& file, std::size_t at, int length)
    {
        Bytes out(file.begin(), file.begin() + std::ptrdiff_t(at));
        out.push_back(0xFF);
        out.push_back(0xFE);
        out.push_back(std::uint8_t(length >> 8));
        out.push_back(std::uint8_t(length));
        for (int i = 2; i < length; ++i)
            out.push_back(std::uint8_t('a' + i % 26));
        out.insert(out.end(), file.begin() + std::ptrdiff_t(at), file.end());
        return out;
    }

    Bytes Encode_CMYK(int w, int h)
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
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
        jpeg_set_defaults(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        Bytes row(std::size_t(w) * 4, 0x80);
        while (cinfo.next_scanline < cinfo.image_height)
        {
            JSAMPROW r = row.data();
            jpeg_write_scanlines(&cinfo, &r, 1);
        }
        jpeg_finish_compress(&cinfo);
        jpeg_destroy_compress(&cinfo);
        Bytes out(buffer, buffer + size);
        std::free(buffer);
        return out;
    }

    struct Outcome
    {
        Ryx_Lib::Single<Ryx_Vektu::Texture> texture;
        std::string err;
    };

    Outcome Load_Capturing(const std::string& path)
    {
        testing::internal::CaptureStderr();
        Outcome o{Load_JPG_Texture(path.c_str()), ""};
        o.err = testing::internal::GetCapturedStderr();
        return o;
    }
}

TEST(Texture_JPG, Colour_Pixels_Are_Decoded_Bytes_As_0xFFRRGGBB)
{
    // One hue, so that chroma subsampling over the tiny image keeps it.
    const std::uint32_t picture[6] = {0xFFC04020, 0xFFB03818, 0xFFA03010, 0xFFC84828, 0xFFD05030, 0xFFB84020};
    const Bytes file = Ryx_Tools::Encode_JPEG(3, 2, picture, 100);
    int w = 0, h = 0;
    const std::vector<std::uint32_t> reference = Reference(file, w, h);

    Ryx_Lib::Single<Ryx_Vektu::Texture> t = Load_JPG_Texture(Texture_Test_File("c.jpg", file).c_str());
    ASSERT_EQ(t->Get_Width(), 3);
    ASSERT_EQ(t->Get_Height(), 2);
    const std::vector<std::uint32_t> pixels = Pixels_Of(*t);
    EXPECT_EQ(pixels, reference);
    for (std::uint32_t p : pixels)
        EXPECT_EQ(p >> 24, 0xFFu);
    EXPECT_NEAR(int(pixels[0] >> 16 & 0xFF), 0xC0, 12);  // top left, channels in place
    EXPECT_NEAR(int(pixels[0] >> 8 & 0xFF), 0x40, 12);
    EXPECT_NEAR(int(pixels[0] & 0xFF), 0x20, 12);

    // Grey files load as grey, one decoded byte spread over the three channels.
    std::vector<std::uint32_t> ramp(64 * 16);
    for (std::size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = 0xFF000000u | std::uint32_t(i % 64 * 4) * 0x010101u;
    Expect_Plain_And_Scrambled_Decode(Ryx_Tools::Encode_JPEG(64, 16, ramp.data(), 90, true), "grey");
}

TEST(Texture_JPG, Scrambled_Files_Decode_Like_Plain_Ones)
{
    // Smaller and much larger than one 4096-byte buffer.
    const std::vector<std::uint32_t> small = Picture(8, 8, 1);
    Expect_Plain_And_Scrambled_Decode(Ryx_Tools::Encode_JPEG(8, 8, small.data()), "small");
    const std::vector<std::uint32_t> large = Picture(200, 120, 2);
    const Bytes big = Ryx_Tools::Encode_JPEG(200, 120, large.data(), 95);
    ASSERT_GT(big.size(), 3u * 4096);
    Expect_Plain_And_Scrambled_Decode(big, "large");

    // Segments the decoder skips: ending just before, on and after the first
    // buffer's end, and one longer than a whole buffer.
    const std::vector<std::uint32_t> tile = Picture(16, 16, 6);
    const Bytes plain = Ryx_Tools::Encode_JPEG(16, 16, tile.data(), 90);
    for (int length : {4090, 4091, 4092, 4093, 4094, 4100, 9000})
        Expect_Plain_And_Scrambled_Decode(With_Comment(plain, 2, length), "comment");
    // A segment starting in the first buffer and ending in the third.
    Expect_Plain_And_Scrambled_Decode(With_Comment(With_Comment(plain, 2, 4000), 4002, 6000), "two comments");
}

TEST(Texture_JPG, Decoding_Errors_Report_Once_And_Give_An_Empty_Texture)
{
    Assertion_Recorder reports;
    const std::vector<std::uint32_t> small = Picture(8, 8, 3);

    Bytes empty;
    Bytes not_jpeg = {0xFF, 0x00, 'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'};
    Bytes cut_header = Ryx_Tools::Encode_JPEG(8, 8, small.data());
    cut_header.resize(40);  // ends inside the tables: no image, an error not a warning
    for (const Bytes* file : {&empty, &not_jpeg, &cut_header})
    {
        reports.Clear();
        Outcome o = Load_Capturing(Texture_Test_File("bad.jpg", *file));
        Expect_Empty(o.texture.Get());
        ASSERT_EQ(reports.Reports().size(), 1u) << o.err;
        const Assertion_Report& r = reports.Reports()[0];
        EXPECT_EQ(r.expression, "false");
        EXPECT_TRUE(r.has_caption);
        EXPECT_EQ(r.caption, "\"JPG Error\"");
        EXPECT_EQ(r.line, 100u);
        EXPECT_NE(r.file.find("Texture"), std::string::npos) << r.file;
        // libjpeg's text after the file's name.
        EXPECT_NE(o.err.find("bad.jpg: "), std::string::npos) << o.err;
        if (file == &empty)
        {
            EXPECT_NE(o.err.find("bad.jpg: Empty input file"), std::string::npos) << o.err;
        }
    }
}

TEST(Texture_JPG, Unusable_Files_Give_An_Empty_Texture_Quietly)
{
    Assertion_Recorder reports;

    Outcome missing = Load_Capturing("no/such/dir/missing.jpg");
    Expect_Empty(missing.texture.Get());
    EXPECT_NE(missing.err.find("missing.jpg"), std::string::npos);
    EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;

    // Four components (CMYK) would overrun a three-byte row: refused.
    Outcome cmyk = Load_Capturing(Texture_Test_File("cmyk.jpg", Encode_CMYK(16, 8)));
    Expect_Empty(cmyk.texture.Get());
    EXPECT_NE(cmyk.err.find("components"), std::string::npos) << cmyk.err;

    // A header claiming 65000 x 65000 pixels: refused before decoding.
    const std::vector<std::uint32_t> small = Picture(8, 8, 4);
    Bytes huge = Ryx_Tools::Encode_JPEG(8, 8, small.data());
    std::size_t sof = 2;
    while (sof + 1 < huge.size() && !(huge[sof] == 0xFF && huge[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, huge.size());
    for (int i : {5, 6, 7, 8})
        huge[sof + i] = i % 2 ? 0xFD : 0xE8;  // 0xFDE8 = 65000
    Outcome big = Load_Capturing(Texture_Test_File("huge.jpg", huge));
    Expect_Empty(big.texture.Get());
    EXPECT_NE(big.err.find("too many pixels"), std::string::npos) << big.err;
    EXPECT_TRUE(reports.Reports().empty());
}

// A FIFO would block the open for ever: refused before it.
TEST(Texture_JPG, A_FIFO_Is_Refused_Before_It_Is_Opened)
{
    Assertion_Recorder reports;
    const std::string fifo = Texture_Test_Path("fifo.jpg");
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Outcome pipe = Load_Capturing(fifo);
    Expect_Empty(pipe.texture.Get());
    EXPECT_EQ(pipe.err, "Load_JPG_Texture: " + fifo + " is a FIFO, not a file; not read\n");

    EXPECT_TRUE(reports.Reports().empty());
}

TEST(Texture_JPG, A_File_Cut_Short_Still_Gives_The_Whole_Size)
{
    Assertion_Recorder reports;
    const std::vector<std::uint32_t> picture = Picture(64, 64, 5);
    Bytes file = Ryx_Tools::Encode_JPEG(64, 64, picture.data(), 95);
    file.resize(file.size() / 2);
    for (bool scramble : {false, true})
    {
        Bytes bytes = file;
        if (scramble)
            Ryx_Tools::Scramble(bytes);
        Outcome o = Load_Capturing(Texture_Test_File("cut.jpg", bytes));
        EXPECT_EQ(o.texture->Get_Width(), 64);
        EXPECT_EQ(o.texture->Get_Height(), 64);
        EXPECT_NE(o.err.find("cut.jpg: Premature end of JPEG file\n"), std::string::npos) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << "one line for the file: " << o.err;
        const std::vector<std::uint32_t> pixels = Pixels_Of(*o.texture);
        ASSERT_EQ(pixels.size(), 64u * 64u);
        for (std::uint32_t p : pixels)
            ASSERT_EQ(p >> 24, 0xFFu);
    }
    EXPECT_TRUE(reports.Reports().empty());
}

// Every prefix of a plain and of a scrambled file, so that decoding meets the
// end of the bytes everywhere (a report, a warning or a whole picture), and a
// file many blocks long, plain and scrambled, across the source's refills.
TEST(Texture_JPG, Bytes_In_Memory_Decode_As_The_Same_File_Does)
{
    Assertion_Recorder reports;
    const std::vector<std::uint32_t> small = Picture(16, 8, 7);
    const std::vector<std::uint32_t> large = Picture(160, 96, 8);
    const Bytes plain = Ryx_Tools::Encode_JPEG(16, 8, small.data(), 90);
    const Bytes big = Ryx_Tools::Encode_JPEG(160, 96, large.data(), 95);
    ASSERT_GT(big.size(), 3u * 4096);
    for (bool scramble : {false, true})
    {
        Bytes file = plain, whole = big;
        if (scramble)
        {
            Ryx_Tools::Scramble(file);
            Ryx_Tools::Scramble(whole);
        }
        for (std::size_t n = 0; n <= file.size(); ++n)
            Expect_Memory_Decodes_As_File(Bytes(file.begin(), file.begin() + std::ptrdiff_t(n)), "cut.jpg", JPG_Entries,
                                          reports);
        Expect_Memory_Decodes_As_File(whole, "whole.jpg", JPG_Entries, reports);
        int w = 0, h = 0;
        EXPECT_TRUE(Pixels_Of(*Ryx_Vektu::Decode_JPG(whole, "whole.jpg")) == Reference(big, w, h));
    }
}
