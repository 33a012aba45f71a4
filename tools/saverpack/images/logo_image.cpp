#include "images/logo_image.h"

#include <limits.h>
#include <stb_image.h>
#include <string.h>

namespace saverpack {

namespace {

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool StartsWith(const std::vector<uint8_t>& file, const uint8_t* prefix, size_t size)
{
    return file.size() >= size && memcmp(file.data(), prefix, size) == 0;
}

// Owns what stbi_load_from_memory returns.
class StbPixels {
public:
    explicit StbPixels(stbi_uc* pixels) : pixels_(pixels) {}
    ~StbPixels() { stbi_image_free(pixels_); }
    StbPixels(const StbPixels&) = delete;
    StbPixels& operator=(const StbPixels&) = delete;
    const stbi_uc* get() const { return pixels_; }

private:
    stbi_uc* pixels_;
};

}  // namespace

bool DecodeLogoImage(const std::vector<uint8_t>& file, LogoImage* image, std::string* error)
{
    static const uint8_t kBmpSignature[2] = {'B', 'M'};
    bool png = StartsWith(file, kPngSignature, sizeof kPngSignature);
    if (!png && !StartsWith(file, kBmpSignature, sizeof kBmpSignature)) {
        *error = "neither a .png nor a .bmp file (no PNG signature, no \"BM\" file header)";
        return false;
    }
    const char* kind = png ? "PNG" : "bitmap";
    if (file.size() > size_t(INT_MAX)) {
        *error = std::string("the ") + kind + " file is larger than 2 GiB";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    const stbi_uc* bytes = file.data();
    int size = int(file.size());
    if (!stbi_info_from_memory(bytes, size, &width, &height, &channels)) {
        *error = std::string("the ") + kind + " file cannot be read: " + stbi_failure_reason();
        return false;
    }
    if (width > kMaxLogoSide || height > kMaxLogoSide) {
        *error = "the logo is " + std::to_string(width) + " x " + std::to_string(height) + " pixels; at most " +
                 std::to_string(kMaxLogoSide) + " on each side";
        return false;
    }
    StbPixels pixels(stbi_load_from_memory(bytes, size, &width, &height, &channels, 4));
    if (pixels.get() == nullptr) {
        *error = std::string("the ") + kind + " file cannot be decoded: " + stbi_failure_reason();
        return false;
    }
    if (width <= 0 || height <= 0) {
        *error = std::string("the ") + kind + " has no pixels";
        return false;
    }
    image->width = width;
    image->height = height;
    image->rgba.assign(pixels.get(), pixels.get() + size_t(width) * size_t(height) * 4);
    return true;
}

}  // namespace saverpack
