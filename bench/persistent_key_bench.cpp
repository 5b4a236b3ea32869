// One preference key access as the framework makes it: a new handle on a folder of 10 keys,
// then get_key or set_key, in µs. Beside each, the naive baseline of the same file access:
// reading the key file whole with a stream, and overwriting it in place (no lock, no
// temporary file, no rename).

#include "lib/sys/PersistentKeyList.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <unistd.h>

namespace {

constexpr int NBR_KEYS = 10;
const std::string LIST_PATH = "Tarnwick/Morvanel/Autoload";

// A Preferences folder of its own, holding one list of NBR_KEYS keys, for the whole run.
class ScratchPrefs
{
public:
    ScratchPrefs()
    {
        std::mt19937 gen(12345);
        _root = std::filesystem::temp_directory_path() /
                ("morvanel_bench_" + std::to_string(gen()) + std::to_string(::getpid()));
        std::filesystem::create_directories(_root);
        ::setenv("XDG_CONFIG_HOME", _root.c_str(), 1);
        for (int k = 0; k < NBR_KEYS; ++k) {
            static_cast<void>(sys::PersistentKeyList(LIST_PATH, true)
                                  .set_key("Key" + std::to_string(k),
                                           "/Users/someone/Music/settings_" + std::to_string(k)));
        }
    }
    ~ScratchPrefs()
    {
        std::error_code ec;
        std::filesystem::remove_all(_root, ec);
    }
    [[nodiscard]] std::string key_file() const
    {
        return (_root / LIST_PATH / sys::PersistentKeyList::KEY_FILE_NAME_0).string();
    }

private:
    std::filesystem::path _root;
};

ScratchPrefs& use_prefs()
{
    static ScratchPrefs prefs;
    return prefs;
}

void bm_get_key(benchmark::State& state)
{
    static_cast<void>(use_prefs());
    std::string value;
    for (auto _ : state) {
        const int rc = sys::PersistentKeyList(LIST_PATH, false).get_key("key7", value);
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(bm_get_key)->Unit(benchmark::kMicrosecond);

void bm_read_file_naive(benchmark::State& state)
{
    const std::string path = use_prefs().key_file();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(bm_read_file_naive)->Unit(benchmark::kMicrosecond);

void bm_set_key(benchmark::State& state)
{
    static_cast<void>(use_prefs());
    int i = 0;
    for (auto _ : state) {
        const int rc = sys::PersistentKeyList(LIST_PATH, true)
                           .set_key("Key7", (++i & 1) != 0 ? "1" : "0");
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(bm_set_key)->Unit(benchmark::kMicrosecond);

void bm_overwrite_file_naive(benchmark::State& state)
{
    const std::string path = use_prefs().key_file();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto _ : state) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        benchmark::DoNotOptimize(out.good());
    }
}
BENCHMARK(bm_overwrite_file_naive)->Unit(benchmark::kMicrosecond);

} // namespace
