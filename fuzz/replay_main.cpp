// Replays a fuzz corpus through LLVMFuzzerTestOneInput with the normal compiler, so that every
// build runs the corpus in its tests. Arguments: files or folders (every file in a folder).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool ReplayFile(const std::filesystem::path& path) {
    FILE* f = std::fopen(path.string().c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "cannot open %s\n", path.string().c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                if (!ReplayFile(file)) return 1;
                ++replayed;
            }
        } else {
            if (!ReplayFile(arg)) return 1;
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    // An empty replay means a wrong path, not a passing corpus.
    return replayed > 0 ? 0 : 1;
}
