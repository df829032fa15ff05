// painter_test.cpp -- ShapePainter::FillRect's pixels and GDI clean-up. (FontPair's fonts: the system tests' set-up.)
#include "unit_support.h"

namespace {

using namespace unit;

using ShapePainterTest = EngineTest;

TEST_F(ShapePainterTest, OutlineIsTwoWideInThePenColour) {
    engine.painter.FillRect(10, 10, 30, 30, RGB(255, 0, 0), RGB(0, 0, 255));
    // Across the middle row and down the middle column: background, pen l-1 and l, fill, pen r-2 and r-1.
    const std::uint32_t fill = 0xFF0000, pen = 0x0000FF;
    const std::pair<int, std::uint32_t> expected[] = {{8, 0},     {9, pen},  {10, pen}, {11, fill},
                                                      {27, fill}, {28, pen}, {29, pen}, {30, 0}};
    for (const auto& [at, colour] : expected) {
        EXPECT_EQ(PixelAt(engine.drawDevice.backBuffer, at, 20), colour) << "column " << at;
        EXPECT_EQ(PixelAt(engine.drawDevice.backBuffer, 20, at), colour) << "row " << at;
    }
}

TEST_F(ShapePainterTest, GivesTheContextBackWithItsOwnObjectsSelectedOrDoesNoGdiWork) {
    StartTraceCapture();
    engine.painter.FillRect(0, 0, 640, 480, 0, 0);
    const std::vector<std::string> trace = TakeTrace();
    std::string calls;
    for (const std::string& line : trace) {
        calls += line.substr(0, line.find('(')) + " ";
    }
    ASSERT_EQ(calls,
              "IDirectDrawSurface::GetDC CreateSolidBrush SelectObject CreatePen SelectObject Rectangle SelectObject "
              "SelectObject DeleteObject DeleteObject IDirectDrawSurface::ReleaseDC ");
    // Lines read "SelectObject(hdc, object) = previous": the pen's, then the brush's predecessor is selected back.
    const auto selected = [&](std::size_t line) {
        const std::size_t from = trace[line].find(", ") + 2;
        return trace[line].substr(from, trace[line].find(')') - from);
    };
    const auto displaced = [&](std::size_t line) { return trace[line].substr(trace[line].find(" = ") + 3); };
    EXPECT_EQ(selected(6), displaced(4)) << "pen selected back";
    EXPECT_EQ(selected(7), displaced(2)) << "brush selected back";

    SetFailpoint("IDirectDrawSurface::GetDC", DDERR_SURFACELOST);
    StartTraceCapture();
    engine.painter.FillRect(0, 0, 640, 480, 0, 0);
    EXPECT_EQ(TakeTrace().size(), 1u) << "expected the refused GetDC alone, without GDI work";
}

}  // namespace
