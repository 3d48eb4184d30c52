// Packs PNG files into an .icns container: "icns", the total length, then one entry per
// image (four-letter type, entry length, PNG data), all lengths big-endian.
//
//   icnspack OUT.icns TYPE FILE.png [TYPE FILE.png ...]
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
void putBigEndian32(std::vector<unsigned char>& out, uint32_t value) {
    out.push_back(static_cast<unsigned char>(value >> 24));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc - 2) % 2 != 0) {
        std::fprintf(stderr, "usage: icnspack OUT.icns TYPE FILE.png [TYPE FILE.png ...]\n");
        return 2;
    }
    std::vector<unsigned char> body;
    for (int i = 2; i + 1 < argc; i += 2) {
        std::string const type = argv[i];
        if (type.size() != 4) {
            std::fprintf(stderr, "icnspack: entry type must have four letters: %s\n", argv[i]);
            return 2;
        }
        std::ifstream in(argv[i + 1], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "icnspack: cannot read %s\n", argv[i + 1]);
            return 1;
        }
        std::vector<unsigned char> const png((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
        body.insert(body.end(), type.begin(), type.end());
        putBigEndian32(body, static_cast<uint32_t>(png.size() + 8));
        body.insert(body.end(), png.begin(), png.end());
    }
    std::vector<unsigned char> file = {'i', 'c', 'n', 's'};
    putBigEndian32(file, static_cast<uint32_t>(body.size() + 8));
    file.insert(file.end(), body.begin(), body.end());

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<char const*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    if (!out) {
        std::fprintf(stderr, "icnspack: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
