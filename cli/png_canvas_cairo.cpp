// SPDX-License-Identifier: MIT
#include "png_canvas.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <numbers>
#include <vector>

namespace corvane::cli {

namespace {

cairo_status_t Append(void* pBytes, const unsigned char* pData, unsigned int length)
{
    auto& bytes = *static_cast<std::vector<std::uint8_t>*>(pBytes);
    bytes.insert(bytes.end(), pData, pData + length);
    return CAIRO_STATUS_SUCCESS;
}

class PngCanvas : public Canvas {
public:
    PngCanvas(double width, double height)
        : m_pSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width), static_cast<int>(height))),
          m_pCairo(cairo_create(m_pSurface))
    {
        cairo_set_source_rgb(m_pCairo, 1, 1, 1);
        cairo_paint(m_pCairo);
        cairo_select_font_face(m_pCairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
    ~PngCanvas() override
    {
        cairo_destroy(m_pCairo);
        cairo_surface_destroy(m_pSurface);
        // The font caches that drawing text filled, cairo's and fontconfig's, given back: nothing
        // else in the process draws text, and a leak checker would take them for leaks.
        cairo_debug_reset_static_data();
        FcFini();
    }
    PngCanvas(const PngCanvas&) = delete;
    PngCanvas& operator=(const PngCanvas&) = delete;

    void Line(double x1, double y1, double x2, double y2, Colour colour, double width) override
    {
        cairo_set_source_rgb(m_pCairo, colour.red, colour.green, colour.blue);
        cairo_set_line_width(m_pCairo, width);
        cairo_move_to(m_pCairo, x1, y1);
        cairo_line_to(m_pCairo, x2, y2);
        cairo_stroke(m_pCairo);
    }
    void Dot(double x, double y, Colour colour) override
    {
        cairo_set_source_rgb(m_pCairo, colour.red, colour.green, colour.blue);
        cairo_arc(m_pCairo, x, y, 3, 0, 2 * std::numbers::pi);
        cairo_fill(m_pCairo);
    }
    void Text(const std::string& text, double x, double y, double alignX, double size, bool bUpright,
              Colour colour) override
    {
        cairo_save(m_pCairo);
        cairo_set_source_rgb(m_pCairo, colour.red, colour.green, colour.blue);
        cairo_set_font_size(m_pCairo, size);
        cairo_text_extents_t extents;
        cairo_text_extents(m_pCairo, text.c_str(), &extents);
        cairo_translate(m_pCairo, x, y);
        if (bUpright)
            cairo_rotate(m_pCairo, -std::numbers::pi / 2);
        cairo_move_to(m_pCairo, -alignX * extents.x_advance, 0);
        cairo_show_text(m_pCairo, text.c_str());
        cairo_restore(m_pCairo);
    }
    std::vector<std::uint8_t> Bytes() override
    {
        std::vector<std::uint8_t> bytes;
        if (cairo_surface_write_to_png_stream(m_pSurface, Append, &bytes) != CAIRO_STATUS_SUCCESS)
            bytes.clear();
        return bytes;
    }

private:
    cairo_surface_t* m_pSurface;
    cairo_t* m_pCairo;
};

}  // namespace

std::unique_ptr<Canvas> MakePngCanvas(double width, double height)
{
    return std::make_unique<PngCanvas>(width, height);
}

}  // namespace corvane::cli
