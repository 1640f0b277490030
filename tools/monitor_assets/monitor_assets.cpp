// Build-time tool: writes the controller image that Monitor carries as resource "BIN" 129, Monitor's icon, and the
// config.ini that the program folder ships with (both on-screen displays on).
//   monitor_assets <firmware.bin> <monitor.ico> <config.ini>
#include "monitor/firmware_image.h"
#include "monitor/osd_texts.h"

#include <cstdio>
#include <vector>

namespace {
bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void Put16(std::vector<uint8_t>& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A 16x16 and a 32x32 32-bpp icon: a rounded mouse shape in the product's blue on transparency.
std::vector<uint8_t> MakeIcon() {
    const int sizes[2] = {16, 32};
    std::vector<std::vector<uint8_t>> images;
    for (int size : sizes) {
        std::vector<uint8_t> img;
        Put32(img, 40);
        Put32(img, static_cast<unsigned>(size));
        Put32(img, static_cast<unsigned>(size * 2));
        Put16(img, 1);
        Put16(img, 32);
        for (int i = 0; i < 6; ++i) {
            Put32(img, 0);
        }
        const double cx = (size - 1) / 2.0;
        const double rx = size * 0.34, ry = size * 0.46;
        for (int y = 0; y < size; ++y) { // bottom-up rows
            for (int x = 0; x < size; ++x) {
                const double dx = (x - cx) / rx, dy = (y - cx) / ry;
                const double d = dx * dx + dy * dy;
                const bool inside = d <= 1.0;
                const bool wheel =
                    x >= cx - size / 16.0 && x <= cx + size / 16.0 && y > cx + size * 0.12 && y < cx + size * 0.3;
                const bool seam = y > cx + size * 0.05 && x > cx - 0.6 && x < cx + 0.6;
                uint8_t b = 0xD8, g = 0x78, r = 0x1E, a = inside ? 0xFF : 0;
                if (inside && (wheel || seam)) {
                    b = g = r = 0xF0;
                }
                img.push_back(b);
                img.push_back(g);
                img.push_back(r);
                img.push_back(a);
            }
        }
        const int maskRow = ((size + 31) / 32) * 4;
        img.insert(img.end(), static_cast<size_t>(maskRow * size), 0);
        images.push_back(img);
    }
    std::vector<uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1);
    Put16(ico, 2);
    unsigned offset = 6 + 16 * 2;
    for (size_t i = 0; i < 2; ++i) {
        ico.push_back(static_cast<uint8_t>(sizes[i]));
        ico.push_back(static_cast<uint8_t>(sizes[i]));
        ico.push_back(0);
        ico.push_back(0);
        Put16(ico, 1);
        Put16(ico, 32);
        Put32(ico, static_cast<unsigned>(images[i].size()));
        Put32(ico, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& img : images) {
        ico.insert(ico.end(), img.begin(), img.end());
    }
    return ico;
}

std::vector<uint8_t> MakeConfig() {
    const OsdSettingRecord record = DefaultOsdSettingRecord();
    const std::string text = "[Setting]\r\nCurrentProfile=0\r\nDevice=0\r\n[config]\r\nOSDSetting=" +
                             EncodeStructValue(record.data(), record.size()) + "\r\n[OSDData]\r\nMessage=\r\n";
    return std::vector<uint8_t>(text.begin(), text.end());
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: monitor_assets <firmware.bin> <monitor.ico> <config.ini>\n");
        return 2;
    }
    if (!WriteFile(argv[1], BuildFirmwareImage()) || !WriteFile(argv[2], MakeIcon()) ||
        !WriteFile(argv[3], MakeConfig())) {
        std::fprintf(stderr, "monitor_assets: cannot write the files\n");
        return 1;
    }
    return 0;
}
