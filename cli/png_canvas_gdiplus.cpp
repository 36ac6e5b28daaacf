// SPDX-License-Identifier: MIT
#include "png_canvas.h"

#include "base/wide_text.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstdint>
#include <vector>

namespace corvane::cli {

namespace {

using namespace Gdiplus;

Color ToColor(Colour colour)
{
    const auto channel = [](double value) { return static_cast<BYTE>(value * 255 + 0.5); };
    return Color(channel(colour.red), channel(colour.green), channel(colour.blue));
}

// GDI+'s PNG encoder, by its content type.
bool FindPngEncoder(CLSID& clsid)
{
    UINT count = 0;
    UINT size = 0;
    if (GetImageEncodersSize(&count, &size) != Ok || size == 0)
        return false;
    std::vector<std::uint8_t> buffer(size);
    auto* pCodecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GetImageEncoders(count, size, pCodecs) != Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring_view(pCodecs[i].MimeType) == L"image/png") {
            clsid = pCodecs[i].Clsid;
            return true;
        }
    }
    return false;
}

class PngCanvas : public Canvas {
public:
    PngCanvas(double width, double height)
    {
        const GdiplusStartupInput input;
        m_bStarted = GdiplusStartup(&m_token, &input, nullptr) == Ok;
        if (!m_bStarted)
            return;
        m_pBitmap = std::make_unique<Bitmap>(static_cast<INT>(width), static_cast<INT>(height), PixelFormat24bppRGB);
        m_pGraphics = std::make_unique<Graphics>(m_pBitmap.get());
        m_pGraphics->SetSmoothingMode(SmoothingModeAntiAlias);
        m_pGraphics->SetTextRenderingHint(TextRenderingHintAntiAliasGridFit);
        m_pGraphics->Clear(Color(255, 255, 255));
        // A Gothic with Japanese glyphs, for the translated titles; the system's sans serif else.
        for (const wchar_t* pszFace : {L"Yu Gothic UI", L"Meiryo UI", L"MS PGothic", L"MS UI Gothic"}) {
            m_pFamily = std::make_unique<FontFamily>(pszFace);
            if (m_pFamily->IsAvailable())
                break;
            m_pFamily.reset();
        }
        if (!m_pFamily)
            m_pFamily.reset(FontFamily::GenericSansSerif()->Clone());
    }
    ~PngCanvas() override
    {
        m_pFamily.reset();
        m_pGraphics.reset();
        m_pBitmap.reset();
        if (m_bStarted)
            GdiplusShutdown(m_token);
    }
    PngCanvas(const PngCanvas&) = delete;
    PngCanvas& operator=(const PngCanvas&) = delete;

    void Line(double x1, double y1, double x2, double y2, Colour colour, double width) override
    {
        if (!m_pGraphics)
            return;
        const Pen pen(ToColor(colour), static_cast<REAL>(width));
        m_pGraphics->DrawLine(&pen, PointF(static_cast<REAL>(x1), static_cast<REAL>(y1)),
                              PointF(static_cast<REAL>(x2), static_cast<REAL>(y2)));
    }
    void Dot(double x, double y, Colour colour) override
    {
        if (!m_pGraphics)
            return;
        const SolidBrush brush(ToColor(colour));
        m_pGraphics->FillEllipse(&brush, static_cast<REAL>(x - 3), static_cast<REAL>(y - 3), 6.0f, 6.0f);
    }
    void Text(const std::string& text, double x, double y, double alignX, double size, bool bUpright,
              Colour colour) override
    {
        if (!m_pGraphics)
            return;
        const std::wstring wide = Utf8ToWide(text);
        const Font font(m_pFamily.get(), static_cast<REAL>(size), FontStyleRegular, UnitPixel);
        // Typographic layout: no padding around the text, so that alignX and the baseline hold.
        const StringFormat* pFormat = StringFormat::GenericTypographic();
        RectF bounds;
        m_pGraphics->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &font, PointF(0, 0), pFormat, &bounds);
        const REAL ascent = static_cast<REAL>(size) * m_pFamily->GetCellAscent(FontStyleRegular) /
                            m_pFamily->GetEmHeight(FontStyleRegular);
        const GraphicsState state = m_pGraphics->Save();
        m_pGraphics->TranslateTransform(static_cast<REAL>(x), static_cast<REAL>(y));
        if (bUpright)
            m_pGraphics->RotateTransform(-90);
        const SolidBrush brush(ToColor(colour));
        m_pGraphics->DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font,
                                PointF(static_cast<REAL>(-alignX) * bounds.Width, -ascent), pFormat, &brush);
        m_pGraphics->Restore(state);
    }
    std::vector<std::uint8_t> Bytes() override
    {
        std::vector<std::uint8_t> bytes;
        CLSID png{};
        IStream* pStream = nullptr;
        if (!m_pBitmap || !FindPngEncoder(png) || CreateStreamOnHGlobal(nullptr, TRUE, &pStream) != S_OK)
            return bytes;
        STATSTG stat{};
        HGLOBAL hMemory = nullptr;
        if (m_pBitmap->Save(pStream, &png, nullptr) == Ok && pStream->Stat(&stat, STATFLAG_NONAME) == S_OK &&
            GetHGlobalFromStream(pStream, &hMemory) == S_OK) {
            if (const auto* pData = static_cast<const std::uint8_t*>(GlobalLock(hMemory))) {
                bytes.assign(pData, pData + stat.cbSize.QuadPart);
                GlobalUnlock(hMemory);
            }
        }
        pStream->Release();
        return bytes;
    }

private:
    ULONG_PTR m_token = 0;
    bool m_bStarted = false;
    std::unique_ptr<Bitmap> m_pBitmap;
    std::unique_ptr<Graphics> m_pGraphics;
    std::unique_ptr<FontFamily> m_pFamily;
};

}  // namespace

std::unique_ptr<Canvas> MakePngCanvas(double width, double height)
{
    return std::make_unique<PngCanvas>(width, height);
}

}  // namespace corvane::cli
