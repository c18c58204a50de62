#include "thumbnail.h"

#include "platform/outputpath.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The header: int32 version, ten signature bytes of which the first eight name the kind of
// file, a byte, int32 thumbnail length, then the thumbnail.
constexpr long HeaderSize = 19;
constexpr int SignatureOffset = 4;
constexpr size_t SignatureCompared = 8;
constexpr int LengthOffset = 15;
const char *const Signatures[] = {"vnlabel_", "vntempl_"};
// Versions 1 to 3 share the header (3 is a file that holds codes); 0 has no thumbnail there.
constexpr int32_t NewestVersion = 3;

// A thumbnail is a small picture of the label; a header that declares a larger one is damaged
// and is refused before anything is decoded.
constexpr png_uint_32 MaxSide = 16384;
constexpr uint64_t MaxPixels = uint64_t(1) << 24;
constexpr int Channels = 3;

int32_t LittleEndian32(const unsigned char *p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

struct TFile {
    std::FILE *Handle;
    ~TFile()
    {
        if (Handle)
            std::fclose(Handle);
    }
};

bool Fail(std::string &problem, const std::string &why)
{
    problem = why;
    return false;
}

bool ReadThumbnailBytes(const std::string &path, std::vector<unsigned char> &png, std::string &problem)
{
    TFile file{std::fopen(path.c_str(), "rb")};
    if (!file.Handle)
        return Fail(problem, std::strerror(errno));
    unsigned char header[HeaderSize];
    if (std::fread(header, 1, HeaderSize, file.Handle) != size_t(HeaderSize))
        return Fail(problem, "too short for a label file");
    const bool ours = std::any_of(std::begin(Signatures), std::end(Signatures), [&](const char *signature) {
        return std::memcmp(header + SignatureOffset, signature, SignatureCompared) == 0;
    });
    if (!ours)
        return Fail(problem, "not a label project or template");
    const int32_t version = LittleEndian32(header);
    if (version == 0)
        return Fail(problem, "a version 0 file keeps no thumbnail in its header");
    if (version < 1 || version > NewestVersion)
        return Fail(problem, "a file version this program does not know");
    const int32_t length = LittleEndian32(header + LengthOffset);
    if (length <= 0)
        return Fail(problem, "no thumbnail in the header");
    if (std::fseek(file.Handle, 0, SEEK_END) != 0)
        return Fail(problem, std::strerror(errno));
    if (std::ftell(file.Handle) - HeaderSize < length || std::fseek(file.Handle, HeaderSize, SEEK_SET) != 0)
        return Fail(problem, "the file ends inside the thumbnail");
    png.resize(size_t(length));
    if (std::fread(png.data(), 1, png.size(), file.Handle) != png.size())
        return Fail(problem, "the thumbnail cannot be read");
    return true;
}

std::optional<TPixels> DecodePng(const std::vector<unsigned char> &png, std::string &problem)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
        problem = std::string("damaged thumbnail: ") + image.message;
        return std::nullopt;
    }
    if (image.width > MaxSide || image.height > MaxSide || uint64_t(image.width) * image.height > MaxPixels) {
        png_image_free(&image);
        problem = "the thumbnail declares an implausible size";
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    TPixels pixels{int(image.width), int(image.height), std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    // A transparent thumbnail is shown on white, as the label's paper.
    const png_color paper{255, 255, 255};
    const bool decoded = png_image_finish_read(&image, &paper, pixels.Rgb.data(), 0, nullptr);
    if (!decoded)
        problem = std::string("damaged thumbnail: ") + image.message;
    png_image_free(&image);
    if (!decoded)
        return std::nullopt;
    return pixels;
}

int Rounded(double value)
{
    return int(std::nearbyint(value));
}

// Each target pixel is the average of the source area it covers, partly covered pixels by
// their share.
TPixels Shrunk(const TPixels &source, int width, int height)
{
    TPixels target{width, height, std::vector<uint8_t>(size_t(width) * height * Channels)};
    const double stepX = double(source.Width) / width;
    const double stepY = double(source.Height) / height;
    for (int ty = 0; ty < height; ++ty) {
        const double y0 = ty * stepY, y1 = y0 + stepY;
        for (int tx = 0; tx < width; ++tx) {
            const double x0 = tx * stepX, x1 = x0 + stepX;
            double sum[Channels] = {};
            double area = 0;
            for (int sy = int(y0); sy < std::min(source.Height, int(std::ceil(y1))); ++sy) {
                const double wy = std::min(sy + 1.0, y1) - std::max(double(sy), y0);
                for (int sx = int(x0); sx < std::min(source.Width, int(std::ceil(x1))); ++sx) {
                    const double w = wy * (std::min(sx + 1.0, x1) - std::max(double(sx), x0));
                    const uint8_t *p = &source.Rgb[(size_t(sy) * source.Width + sx) * Channels];
                    for (int c = 0; c < Channels; ++c)
                        sum[c] += w * p[c];
                    area += w;
                }
            }
            uint8_t *q = &target.Rgb[(size_t(ty) * width + tx) * Channels];
            for (int c = 0; c < Channels; ++c)
                q[c] = uint8_t(std::clamp(Rounded(sum[c] / area), 0, 255));
        }
    }
    return target;
}

// Each target pixel interpolated between the four source pixels around its centre.
TPixels Grown(const TPixels &source, int width, int height)
{
    TPixels target{width, height, std::vector<uint8_t>(size_t(width) * height * Channels)};
    const auto place = [](int t, int from, int to, int &low, int &high, double &share) {
        const double s = std::clamp((t + 0.5) * from / to - 0.5, 0.0, double(from - 1));
        low = int(s);
        high = std::min(low + 1, from - 1);
        share = s - low;
    };
    for (int ty = 0; ty < height; ++ty) {
        int y0, y1;
        double fy;
        place(ty, source.Height, height, y0, y1, fy);
        for (int tx = 0; tx < width; ++tx) {
            int x0, x1;
            double fx;
            place(tx, source.Width, width, x0, x1, fx);
            const auto at = [&](int x, int y, int c) {
                return double(source.Rgb[(size_t(y) * source.Width + x) * Channels + c]);
            };
            uint8_t *q = &target.Rgb[(size_t(ty) * width + tx) * Channels];
            for (int c = 0; c < Channels; ++c) {
                const double top = at(x0, y0, c) * (1 - fx) + at(x1, y0, c) * fx;
                const double bottom = at(x0, y1, c) * (1 - fx) + at(x1, y1, c) * fx;
                q[c] = uint8_t(std::clamp(Rounded(top * (1 - fy) + bottom * fy), 0, 255));
            }
        }
    }
    return target;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string LocalPath(const std::string &argument)
{
    for (const char *prefix : {"file://localhost/", "file:///"}) {
        const size_t length = std::strlen(prefix);
        if (argument.compare(0, length, prefix) != 0)
            continue;
        std::string path = "/";
        for (size_t i = length; i < argument.size(); ++i) {
            if (argument[i] == '%' && i + 2 < argument.size() && HexDigit(argument[i + 1]) >= 0 &&
                HexDigit(argument[i + 2]) >= 0) {
                path += char(HexDigit(argument[i + 1]) * 16 + HexDigit(argument[i + 2]));
                i += 2;
            } else {
                path += argument[i];
            }
        }
        return path;
    }
    return argument;
}

std::optional<TPixels> ReadHeaderThumbnail(const std::string &path, std::string &problem)
{
    std::vector<unsigned char> png;
    if (!ReadThumbnailBytes(path, png, problem))
        return std::nullopt;
    return DecodePng(png, problem);
}

TPixels Fitted(const TPixels &picture, int size)
{
    const double scale = double(size) / std::max(picture.Width, picture.Height);
    const int width = std::max(1, Rounded(picture.Width * scale));
    const int height = std::max(1, Rounded(picture.Height * scale));
    return scale < 1 ? Shrunk(picture, width, height) : Grown(picture, width, height);
}

namespace {

struct TPngOutput {
    std::vector<unsigned char> *Bytes;
    char Message[128];
};

// No exception may cross libpng's C frames: a failed append becomes libpng's error, raised
// outside the handler.
void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<TPngOutput *>(png_get_io_ptr(png));
    bool appended = true;
    try {
        out->Bytes->insert(out->Bytes->end(), data, data + length);
    } catch (...) {
        appended = false;
    }
    if (!appended)
        png_error(png, "out of memory");
}

[[noreturn]] void PngError(png_structp png, png_const_charp message)
{
    auto *out = static_cast<TPngOutput *>(png_get_error_ptr(png));
    std::snprintf(out->Message, sizeof out->Message, "%s", message);
    png_longjmp(png, 1);
}

// libpng reports errors by a long jump back here, so this frame holds no object with a
// destructor. Fastest compression and no row filters: a file manager decodes the output once
// and keeps it in its own cache, so its size does not matter, and the time does.
bool EncodePng(png_structp png, png_infop info, const TPixels &picture)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(picture.Width), png_uint_32(picture.Height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < picture.Height; ++y)
        png_write_row(png, &picture.Rgb[size_t(y) * picture.Width * Channels]);
    png_write_end(png, info);
    return true;
}

} // namespace

bool WritePng(const std::string &path, const TPixels &picture, std::string &problem)
{
    std::vector<unsigned char> bytes;
    TPngOutput out{&bytes, "out of memory"};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, PngError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool encoded = false;
    if (info) {
        png_set_write_fn(png, &out, AppendBytes, nullptr);
        encoded = EncodePng(png, info, picture);
    }
    png_destroy_write_struct(&png, &info);
    if (!encoded)
        return Fail(problem, out.Message);

    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return Fail(problem, std::strerror(errno));
    const TRemovedOnSignal guard(temporary);
    const int error = WriteAll(fd, reinterpret_cast<const char *>(bytes.data()), bytes.size());
    if (::close(fd) != 0 || error != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = std::strerror(error ? error : errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
