// Short text labels drawn onto a picture with FreeType, in the face the
// painter finds through fontconfig (DejaVu Sans Bold).
#pragma once
#include <cstdint>
#include <string>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace Ryx_Capture
{
    class Label_Font
    {
    public:
        // A file that cannot be opened (or an empty name) gives a font that
        // draws nothing.
        explicit Label_Font(const std::string& file);
        ~Label_Font();
        Label_Font(const Label_Font&) = delete;
        Label_Font& operator=(const Label_Font&) = delete;

        bool Is_Open() const { return m_face != nullptr; }

        // Draws text with its baseline at (x, y), blending the colour by
        // glyph coverage, clipped to the picture.
        void Draw(std::uint32_t* pixels, int width, int height, int x, int y, const std::string& text, int size,
                  std::uint32_t colour) const;

    private:
        FT_LibraryRec_* m_library = nullptr;
        FT_FaceRec_* m_face = nullptr;
    };
}
