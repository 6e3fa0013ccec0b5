#include "Png.h"

namespace {

std::uint32_t crc32(const std::string& bytes, std::size_t from)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void putBigEndian(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void putChunk(std::string& out, const char* type, const std::string& data)
{
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out += type;
    out += data;
    putBigEndian(out, crc32(out, start));
}

// zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::string storedZlib(const std::string& raw)
{
    std::string out("\x78\x01", 2);
    std::size_t offset = 0;
    do {
        const std::size_t length = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        const bool last = offset + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, b << 16 | a);
    return out;
}

} // namespace

int Image::count(std::uint32_t color, int x0, int y0, int x1, int y1) const
{
    int found = 0;
    for (int y = y0; y < y1 && y < height; ++y) {
        for (int x = x0; x < x1 && x < width; ++x) {
            found += at(x, y) == color ? 1 : 0;
        }
    }
    return found;
}

std::string encodePng(const Image& image)
{
    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(image.width));
    putBigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, no interlace
    std::string raw;
    raw.reserve(static_cast<std::size_t>(image.height) * (1 + 3 * image.width));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0'; // no filter
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.at(x, y);
            raw += static_cast<char>(p >> 16 & 0xFF);
            raw += static_cast<char>(p >> 8 & 0xFF);
            raw += static_cast<char>(p & 0xFF);
        }
    }
    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", "");
    return png;
}
