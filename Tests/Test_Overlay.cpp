// The greyscale overlay against Saturating_Add pixel by pixel.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Code/Overlay.h"
#include "Code/Saturating_Add.h"

TEST(Add_Greyscale, MatchesSaturatingAddForEveryGreyAndAnyLength)
{
    std::mt19937 random(3);
    // Every grey over many pixels, lengths that leave every tail size.
    for (std::size_t count : {0u, 1u, 15u, 16u, 17u, 31u, 4096u + 9u})
    {
        std::vector<std::uint32_t> pixels(count + 8), expected;
        std::vector<std::uint8_t> image(count + 8);
        for (std::size_t i = 0; i < pixels.size(); ++i)
        {
            pixels[i] = random();
            image[i] = std::uint8_t(i * 7 + (random() & 1));
        }
        expected = pixels;
        for (std::size_t i = 0; i < count; ++i)
            expected[i] = Ryx_Vektu::Saturating_Add(expected[i], std::uint32_t(image[i]) * 0x010101u);
        Ryx_Vektu::Add_Greyscale(pixels.data(), image.data(), count);
        ASSERT_TRUE(pixels == expected) << count;  // nothing past count is touched
    }
    std::uint32_t white = 0xFF808080u;
    const std::uint8_t grey = 0x80;
    Ryx_Vektu::Add_Greyscale(&white, &grey, 1);
    EXPECT_EQ(white, 0xFFFFFFFFu);
}
