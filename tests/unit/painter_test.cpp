// painter_test.cpp -- ShapePainter::FillRect's pixels and GDI clean-up, and the fonts of FontPair::Create.
#include "unit_support.h"

#include <cstring>

#include "graphics/font_pair.h"

namespace {

using tamberlyn::LiveGdiObjects;

// A COLORREF (0x00BBGGRR) as a 32-bit surface stores it (0x00RRGGBB).
std::uint32_t PixelOf(COLORREF colour)
{
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

using ShapePainterTest = unit::EngineTest;

TEST_F(ShapePainterTest, FullScreenRectangleCoversTheBackBuffer)
{
    for (const COLORREF colour : {COLORREF(0xFFFFFF), COLORREF(0)}) {
        unit::FillSurface(engine.drawDevice.backBuffer, 0xFFFFFF ^ colour);
        engine.painter.FillRect(0, 0, 640, 480, colour, colour);
        for (const POINT& p : {POINT{0, 0}, POINT{639, 0}, POINT{0, 479}, POINT{639, 479}, POINT{320, 240}}) {
            EXPECT_EQ(unit::PixelAt(engine.drawDevice.backBuffer, p.x, p.y), colour) << "at " << p.x << ", " << p.y;
        }
    }
}

TEST_F(ShapePainterTest, OutlineIsTwoWideInThePenColour)
{
    const COLORREF fill = RGB(255, 0, 0), pen = RGB(0, 0, 255);
    unit::FillSurface(engine.drawDevice.backBuffer, 0);
    engine.painter.FillRect(10, 10, 30, 30, fill, pen);
    // Across the middle row and down the middle column: background, pen l-1 and l, fill, pen r-2 and r-1.
    const std::pair<int, COLORREF> expected[] = {{8, 0},     {9, pen},   {10, pen}, {11, fill},
                                                 {27, fill}, {28, pen}, {29, pen}, {30, 0}};
    for (const auto& [at, colour] : expected) {
        EXPECT_EQ(unit::PixelAt(engine.drawDevice.backBuffer, at, 20), PixelOf(colour)) << "column " << at;
        EXPECT_EQ(unit::PixelAt(engine.drawDevice.backBuffer, 20, at), PixelOf(colour)) << "row " << at;
    }
}

TEST_F(ShapePainterTest, GivesTheContextBackWithItsOwnObjectsSelected)
{
    tamberlyn::StartTraceCapture();
    engine.painter.FillRect(0, 0, 640, 480, 0, 0);
    const std::vector<std::string> trace = tamberlyn::TakeTrace();
    std::vector<std::string> calls;
    for (const std::string& line : trace) {
        calls.push_back(line.substr(0, line.find('(')));
    }
    const std::vector<std::string> expected = {
        "IDirectDrawSurface::GetDC", "CreateSolidBrush", "SelectObject", "CreatePen", "SelectObject", "Rectangle",
        "SelectObject", "SelectObject", "DeleteObject", "DeleteObject", "IDirectDrawSurface::ReleaseDC"};
    ASSERT_EQ(calls, expected);
    // Lines read "SelectObject(hdc, object) = previous": the pen's, then the brush's predecessor is selected back.
    const auto selected = [&](std::size_t line) {
        const std::size_t from = trace[line].find(", ") + 2;
        return trace[line].substr(from, trace[line].find(')') - from);
    };
    const auto displaced = [&](std::size_t line) { return trace[line].substr(trace[line].find(" = ") + 3); };
    EXPECT_EQ(selected(6), displaced(4)) << "pen selected back";
    EXPECT_EQ(selected(7), displaced(2)) << "brush selected back";
}

TEST_F(ShapePainterTest, RefusedDeviceContextMeansNoGdiWork)
{
    tamberlyn::SetFailpoint("IDirectDrawSurface::GetDC", DDERR_SURFACELOST);
    tamberlyn::StartTraceCapture();
    engine.painter.FillRect(0, 0, 640, 480, 0xFFFFFF, 0xFFFFFF);
    const std::vector<std::string> trace = tamberlyn::TakeTrace();
    EXPECT_EQ(trace.size(), 1u) << "expected the refused GetDC alone, got " << ::testing::PrintToString(trace);
}

TEST_F(ShapePainterTest, ThousandRectanglesLeaveNoGdiObjectBehind)
{
    const tamberlyn::GdiCounts before = LiveGdiObjects();
    for (int frame = 0; frame < 1000; ++frame) {
        engine.painter.FillRect(0, 0, 640, 480, frame & 1 ? 0xFFFFFF : 0, frame & 1 ? 0xFFFFFF : 0);
    }
    const tamberlyn::GdiCounts after = LiveGdiObjects();
    EXPECT_EQ(after.brushes, before.brushes);
    EXPECT_EQ(after.pens, before.pens);
    EXPECT_EQ(after.dcs, before.dcs);
}

using FontPairTest = unit::PlatformTest;

TEST_F(FontPairTest, CreatesPlainAndUnderlinedArial)
{
    DrawDevice device;
    FontPair fonts;
    fonts.Create(&device);
    EXPECT_EQ(fonts.drawDevice, &device);
    EXPECT_NE(fonts.plainFont, fonts.underlinedFont);
    EXPECT_EQ(fonts.flag, 1);
    EXPECT_EQ(fonts.value, 255);
    const std::pair<HFONT, BYTE> expected[] = {{fonts.plainFont, 0}, {fonts.underlinedFont, 1}};
    for (const auto& [font, underline] : expected) {
        LOGFONTA attributes;
        std::memset(&attributes, 0, sizeof attributes);
        ASSERT_EQ(GetObjectA(font, sizeof attributes, &attributes), int(sizeof attributes));
        EXPECT_STREQ(attributes.lfFaceName, "Arial");
        EXPECT_EQ(attributes.lfHeight, 13);
        EXPECT_EQ(attributes.lfWeight, 400);
        EXPECT_EQ(attributes.lfItalic, 0);
        EXPECT_EQ(attributes.lfUnderline, underline);
        EXPECT_EQ(attributes.lfStrikeOut, 0);
        EXPECT_EQ(attributes.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(attributes.lfQuality, NONANTIALIASED_QUALITY);
        EXPECT_EQ(attributes.lfPitchAndFamily, VARIABLE_PITCH);
        DeleteObject(font);
    }
}

TEST_F(FontPairTest, RefusedFontsLeaveNullHandlesAndTheValues)
{
    tamberlyn::SetFailpoint("CreateFontA", 0);
    FontPair fonts;
    fonts.Create(nullptr);
    EXPECT_EQ(fonts.plainFont, nullptr);
    EXPECT_EQ(fonts.underlinedFont, nullptr);
    EXPECT_EQ(fonts.flag, 1);
    EXPECT_EQ(fonts.value, 255);
}

}  // namespace
