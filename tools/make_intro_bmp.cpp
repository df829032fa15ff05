// make_intro_bmp.cpp -- writes the intro picture: a 640 x 480, 24-bit, bottom-up BMP of our own making.
//
// The program zooms the picture from 10x down to 1x, so it has bold shapes that read at 1x and a ringed target at
// the centre that still shows structure when only the middle 64 x 48 pixels fill the screen. Its colours stay away
// from black and white, which the screen flashes around it. Only exactly rounded operations (arithmetic, comparisons,
// square roots) go into the pixels, so the output is the same byte for byte on every run and every compiler.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kSamplesPerAxis = 4;  // 4 x 4 samples per pixel smooth the edges at 1x

struct Colour {
    double r, g, b;
};

struct Point {
    double x, y;
};

Colour Mix(Colour from, Colour to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t};
}

double Distance(Point a, Point b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

const Colour kInk{22, 26, 64};  // outlines: a deep navy, dark but not black

// A shape with an outline band just inside its edge, filled unless it has no fill colour.
struct Shape {
    std::function<double(Point)> depth;  // distance inside the edge; negative outside
    std::optional<Colour> fill;
    double outlineWidth;
};

std::function<double(Point)> Circle(Point centre, double radius) {
    return [=](Point p) { return radius - Distance(p, centre); };
}

std::function<double(Point)> Box(double left, double top, double right, double bottom) {
    return [=](Point p) { return std::min({p.x - left, right - p.x, p.y - top, bottom - p.y}); };
}

// Vertices in clockwise order on screen (y grows downward).
std::function<double(Point)> Triangle(Point a, Point b, Point c) {
    auto edge = [](Point from, Point to) {
        double dx = to.x - from.x;
        double dy = to.y - from.y;
        double length = std::sqrt(dx * dx + dy * dy);
        return [=](Point p) { return ((p.y - from.y) * dx - (p.x - from.x) * dy) / length; };
    };
    auto ab = edge(a, b);
    auto bc = edge(b, c);
    auto ca = edge(c, a);
    return [=](Point p) { return std::min({ab(p), bc(p), ca(p)}); };
}

const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = {
        {Box(34, 30, 606, 450), std::nullopt, 6},                                // frame
        {Box(64, 292, 238, 420), Colour{64, 210, 220}, 9},                       // cyan block
        {Box(150, 340, 290, 432), Colour{250, 150, 40}, 9},                      // orange block over it
        {Circle({150, 138}, 78), Colour{255, 214, 40}, 10},                      // yellow sun
        {Circle({214, 196}, 34), Colour{236, 72, 96}, 8},                        // red moon on its edge
        {Triangle({478, 58}, {588, 236}, {368, 236}), Colour{80, 200, 90}, 10},  // green triangle
        {Circle({506, 362}, 70), Colour{200, 80, 210}, 10},                      // violet disc
        {Box(380, 388, 470, 440), Colour{250, 235, 120}, 8},                     // pale bar
    };
    return shapes;
}

Colour Background(Point p) {
    // Coral at the top left through magenta to blue at the bottom right.
    const Colour coral{246, 128, 88};
    const Colour magenta{196, 70, 150};
    const Colour blue{52, 104, 214};
    double t = (p.x / kWidth + p.y / kHeight) / 2.0;
    return t < 0.5 ? Mix(coral, magenta, t * 2.0) : Mix(magenta, blue, t * 2.0 - 1.0);
}

// The centre target: rings 4 pixels wide, chequered by quadrant, with cyan for the light rings of the top-left
// quadrant so that up and left stay readable at any zoom.
std::optional<Colour> Target(Point p) {
    const Point centre{kWidth / 2.0, kHeight / 2.0};
    const double ringWidth = 4.0;
    const double radius = 56.0;
    double r = Distance(p, centre);
    if (r >= radius) {
        return std::nullopt;
    }
    if (r < 3.0) {
        return Colour{230, 30, 40};
    }
    if (r >= radius - 5.0) {
        return kInk;
    }
    bool left = p.x < centre.x;
    bool top = p.y < centre.y;
    bool lightRing = static_cast<int>(r / ringWidth) % 2 == 0;
    if (lightRing != (left != top)) {
        return left && top ? Colour{60, 200, 230} : Colour{255, 226, 70};
    }
    return Colour{28, 60, 150};
}

Colour Paint(Point p) {
    Colour colour = Background(p);
    for (const Shape& shape : Shapes()) {
        double depth = shape.depth(p);
        if (depth < 0) {
            continue;
        }
        if (depth < shape.outlineWidth) {
            colour = kInk;
        } else if (shape.fill) {
            colour = *shape.fill;
        }
    }
    return Target(p).value_or(colour);
}

std::uint8_t ToByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Rows top to bottom, three bytes per pixel in blue, green, red order.
std::vector<std::uint8_t> RenderPixels() {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(kWidth) * kHeight * 3);
    const double samples = kSamplesPerAxis * kSamplesPerAxis;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Colour sum{0, 0, 0};
            for (int sy = 0; sy < kSamplesPerAxis; ++sy) {
                for (int sx = 0; sx < kSamplesPerAxis; ++sx) {
                    Colour c = Paint({x + (sx + 0.5) / kSamplesPerAxis, y + (sy + 0.5) / kSamplesPerAxis});
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            pixels.push_back(ToByte(sum.b / samples));
            pixels.push_back(ToByte(sum.g / samples));
            pixels.push_back(ToByte(sum.r / samples));
        }
    }
    return pixels;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// BITMAPFILEHEADER, BITMAPINFOHEADER (BI_RGB, positive height: bottom-up), then the rows, each padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp(const std::vector<std::uint8_t>& topDownPixels) {
    const std::uint32_t rowBytes = kWidth * 3;
    const std::uint32_t stride = (rowBytes + 3) & ~3u;
    const std::uint32_t imageBytes = stride * kHeight;
    const std::uint32_t headerBytes = 14 + 40;
    const std::uint32_t pelsPerMetre = 2835;  // 72 dots per inch

    std::vector<std::uint8_t> file;
    file.reserve(headerBytes + imageBytes);
    file.push_back('B');
    file.push_back('M');
    PutLittleEndian(file, headerBytes + imageBytes, 4);
    PutLittleEndian(file, 0, 4);  // reserved
    PutLittleEndian(file, headerBytes, 4);
    PutLittleEndian(file, 40, 4);
    PutLittleEndian(file, kWidth, 4);
    PutLittleEndian(file, kHeight, 4);
    PutLittleEndian(file, 1, 2);   // planes
    PutLittleEndian(file, 24, 2);  // bits per pixel
    PutLittleEndian(file, 0, 4);   // BI_RGB
    PutLittleEndian(file, imageBytes, 4);
    PutLittleEndian(file, pelsPerMetre, 4);
    PutLittleEndian(file, pelsPerMetre, 4);
    PutLittleEndian(file, 0, 4);  // colours used
    PutLittleEndian(file, 0, 4);  // colours important
    for (int y = kHeight - 1; y >= 0; --y) {
        auto row = topDownPixels.begin() + static_cast<std::ptrdiff_t>(y) * rowBytes;
        file.insert(file.end(), row, row + rowBytes);
        file.insert(file.end(), stride - rowBytes, 0);
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_intro_bmp OUTPUT.bmp\n";
        return 2;
    }
    std::vector<std::uint8_t> file = EncodeBmp(RenderPixels());
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::cerr << "make_intro_bmp: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
