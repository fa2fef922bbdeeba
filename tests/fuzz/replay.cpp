// Runs a fuzz target's entry point on each file named (or each file of each folder named),
// without the fuzzer: the kept crash inputs are replayed this way by the ordinary test run.
// Each input runs twice, so that what a run leaves behind meets the next run's reset, as it
// does between the fuzzer's inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; i++) {
        std::filesystem::path p = argv[i];
        if (!std::filesystem::exists(p)) continue;  // a target that never failed keeps no folder
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::directory_iterator(p)) inputs.push_back(e.path());
        } else {
            inputs.push_back(p);
        }
    }
    for (const auto& p : inputs) {
        std::ifstream in(p, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fprintf(stderr, "replaying %s\n", p.c_str());
        for (int run = 0; run < 2; run++) LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
