// The fuzz targets' main in builds without libFuzzer (gcc, the sanitizer build): runs the target
// once on each file named, and on each file of each directory named, in name order, printing
// each name first (to stderr, unbuffered), so that an input that fails is known. Used to replay
// committed inputs and to look at a finding in a debugger.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// The target, in fuzz_model.cpp or fuzz_bmp.cpp.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

// The files named by `arguments`: files as they are, directories as the files in them (hidden
// ones left out), sorted by name.
std::vector<fs::path> inputFiles(int count, char **arguments) {
    std::vector<fs::path> files;
    for (int k = 0; k < count; k++) {
        const fs::path named = arguments[k];
        if (!fs::is_directory(named)) {
            files.push_back(named);
            continue;
        }
        std::vector<fs::path> inside;
        for (const fs::directory_entry &entry : fs::directory_iterator(named)) {
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
                inside.push_back(entry.path());
            }
        }
        std::sort(inside.begin(), inside.end());
        files.insert(files.end(), inside.begin(), inside.end());
    }
    return files;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE|DIRECTORY...\n", argv[0]);
        return 2;
    }
    const std::vector<fs::path> files = inputFiles(argc - 1, argv + 1);
    for (const fs::path &file : files) {
        std::ifstream stream(file, std::ios::binary);
        if (!stream) {
            std::fprintf(stderr, "cannot read %s\n", file.c_str());
            return 1;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(stream),
                                      std::istreambuf_iterator<char>()};
        std::fprintf(stderr, "Running: %s\n", file.c_str());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs run, none failed\n", files.size());
    return files.empty() ? 1 : 0;
}
