// painter_test.cpp -- ShapePainter::FillRect's pixels and GDI clean-up. (FontPair's fonts: the system tests' set-up.)
#include "unit_support.h"

namespace {

using namespace unit;

using ShapePainterTest = EngineTest;

TEST_F(ShapePainterTest, OutlineIsTwoWideInThePenColour) {
    engine.painter.FillRect(10, 10, 30, 30, RGB(255, 0, 0), RGB(0, 0, 255));
    // The pen covers l-1 and l, r-2 and r-1 (and the same down); the fill lies inside.
    apitest::ExpectSurfacePixels("10, 10, 30, 30", engine.drawDevice.backBuffer, RECT{0, 0, 40, 40}, [](int x, int y) {
        return apitest::Holds(RECT{11, 11, 28, 28}, x, y) ? 0xFF0000u
               : apitest::Holds(RECT{9, 9, 30, 30}, x, y) ? 0xFFu
                                                          : 0u;
    });
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
