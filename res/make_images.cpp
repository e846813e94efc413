// Turns the text pixel maps in res/images/ into the .ico and .bmp files that the resource script
// embeds. It runs on the build machine (also in the cross builds), so it uses nothing but the
// standard library.
//
//   make_images icon OUT.ico MAP...   one 16-colour image per map, with its transparency mask
//   make_images bitmap OUT.bmp MAP    one 16-colour bitmap, no transparency
//
// A map has one line per pixel row, top row first, one character per pixel; lines starting with
// ';' are comments. The characters name the colours of the standard 16-colour palette:
//   k black  r dark red  g dark green  y dark yellow  b dark blue  m dark magenta  c dark cyan
//   s light grey  d dark grey  R red  G green  Y yellow  B blue  M magenta  C cyan  W white
//   . transparent (icons only)
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char kColourChars[] = "krgybmcsdRGYBMCW";
const std::uint8_t kPalette[16][3] = {  // red, green, blue
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
const int kTransparent = -1;

struct Image {
    int width = 0;
    std::vector<std::vector<int>> rows;  // palette indexes or kTransparent, top row first
};

using Bytes = std::vector<std::uint8_t>;

bool Fail(const std::string& what) {
    std::fprintf(stderr, "make_images: %s\n", what.c_str());
    return false;
}

bool ParsePixel(char c, bool allowTransparent, int* pixel) {
    if (c == '.' && allowTransparent) {
        *pixel = kTransparent;
        return true;
    }
    for (int i = 0; i < 16; ++i) {
        if (kColourChars[i] == c) {
            *pixel = i;
            return true;
        }
    }
    return false;
}

bool ReadMap(const std::string& path, bool allowTransparent, Image* image) {
    std::ifstream in(path);
    if (!in) return Fail("cannot read " + path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (image->rows.empty()) image->width = static_cast<int>(line.size());
        if (static_cast<int>(line.size()) != image->width) return Fail(path + ": ragged row");
        std::vector<int> row(line.size());
        for (std::size_t x = 0; x < line.size(); ++x) {
            if (!ParsePixel(line[x], allowTransparent, &row[x])) {
                return Fail(path + ": unknown pixel '" + line[x] + "'");
            }
        }
        image->rows.push_back(row);
    }
    return image->width > 0 || Fail(path + ": empty map");
}

void Put16(Bytes* out, unsigned value) {
    out->push_back(value & 0xFF);
    out->push_back((value >> 8) & 0xFF);
}

void Put32(Bytes* out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

int Stride(int width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// BITMAPINFOHEADER and the palette. An icon image declares twice its height: colours, then mask.
void PutHeaderAndPalette(Bytes* out, const Image& image, int declaredHeight, int pixelBytes) {
    Put32(out, 40);
    Put32(out, image.width);
    Put32(out, declaredHeight);
    Put16(out, 1);  // planes
    Put16(out, 4);  // bits per pixel
    Put32(out, 0);  // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);  // colours used: all 16
    Put32(out, 0);
    for (const auto& rgb : kPalette) {
        out->insert(out->end(), {rgb[2], rgb[1], rgb[0], 0});
    }
}

// The colour bits, bottom row first; transparent pixels are black under a set mask bit.
void PutColourBits(Bytes* out, const Image& image) {
    for (auto row = image.rows.rbegin(); row != image.rows.rend(); ++row) {
        Bytes bits(Stride(image.width, 4), 0);
        for (int x = 0; x < image.width; ++x) {
            int index = (*row)[x] == kTransparent ? 0 : (*row)[x];
            bits[x / 2] |= x % 2 == 0 ? index << 4 : index;
        }
        out->insert(out->end(), bits.begin(), bits.end());
    }
}

void PutMaskBits(Bytes* out, const Image& image) {
    for (auto row = image.rows.rbegin(); row != image.rows.rend(); ++row) {
        Bytes bits(Stride(image.width, 1), 0);
        for (int x = 0; x < image.width; ++x) {
            if ((*row)[x] == kTransparent) bits[x / 8] |= 0x80 >> (x % 8);
        }
        out->insert(out->end(), bits.begin(), bits.end());
    }
}

Bytes IconImage(const Image& image) {
    int height = static_cast<int>(image.rows.size());
    int pixelBytes = (Stride(image.width, 4) + Stride(image.width, 1)) * height;
    Bytes out;
    PutHeaderAndPalette(&out, image, 2 * height, pixelBytes);
    PutColourBits(&out, image);
    PutMaskBits(&out, image);
    return out;
}

// ICONDIR, one ICONDIRENTRY per image, then the images.
Bytes IconFile(const std::vector<Image>& images) {
    Bytes out;
    Put16(&out, 0);
    Put16(&out, 1);
    Put16(&out, images.size());
    std::uint32_t offset = 6 + 16 * images.size();
    std::vector<Bytes> bodies;
    for (const Image& image : images) {
        bodies.push_back(IconImage(image));
        out.push_back(image.width);
        out.push_back(image.rows.size());
        out.insert(out.end(), {16, 0});  // colours, reserved
        Put16(&out, 1);                  // planes
        Put16(&out, 4);                  // bits per pixel
        Put32(&out, bodies.back().size());
        Put32(&out, offset);
        offset += bodies.back().size();
    }
    for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

// BITMAPFILEHEADER, then the DIB.
Bytes BitmapFile(const Image& image) {
    Bytes dib;
    int pixelBytes = Stride(image.width, 4) * static_cast<int>(image.rows.size());
    PutHeaderAndPalette(&dib, image, image.rows.size(), pixelBytes);
    PutColourBits(&dib, image);
    Bytes out = {'B', 'M'};
    Put32(&out, 14 + dib.size());
    Put32(&out, 0);
    Put32(&out, 14 + 40 + 64);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return static_cast<bool>(out) || Fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Fail("usage: make_images icon|bitmap OUT MAP..."), 2;
    std::string kind = argv[1];
    bool icon = kind == "icon";
    if (!icon && (kind != "bitmap" || argc != 4)) return Fail("bad arguments"), 2;
    std::vector<Image> images(argc - 3);
    for (int i = 3; i < argc; ++i) {
        if (!ReadMap(argv[i], icon, &images[i - 3])) return 1;
    }
    Bytes file = icon ? IconFile(images) : BitmapFile(images[0]);
    return Write(argv[2], file) ? 0 : 1;
}
