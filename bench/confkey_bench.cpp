// Reading and writing configuration-key text of growing size, beside reading the same bytes
// from a file with std::ifstream as the floor. Time should grow linearly with the number of
// keys, and with the nesting depth up to the reader's limit.
#include "lib/basic/ConfKeyFactory.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

namespace {

// Leaves per node of the flat settings text; 20,000 keys give about 1 MB.
constexpr int LEAVES_PER_NODE = 10;
constexpr unsigned SEED = 12345;

// A settings-like tree: nodes of LEAVES_PER_NODE leaves holding numbers, quoted names and
// short lists, as the MIDI map and parameter order map write them.
basic::ConfKeyMulti make_flat_tree(long nbr_keys)
{
    std::mt19937 rng(SEED);
    std::uniform_int_distribution<int> value(0, 16383);
    basic::ConfKeyMulti root("Default");
    basic::ConfKeyMulti node;
    for (long i = 0; i < nbr_keys; ++i) {
        if (i % LEAVES_PER_NODE == 0) {
            if (node.get_nbr_keys() > 0) {
                root.push_back(node);
            }
            node = basic::ConfKeyMulti();
            node.set_name("section_" + std::to_string(i / LEAVES_PER_NODE));
        }
        const std::string name = "key_" + std::to_string(i);
        switch (i % 3) {
        case 0:
            node.push_back(basic::ConfKeyData(name, std::to_string(value(rng))));
            break;
        case 1:
            node.push_back(basic::ConfKeyData(name, "Cutoff Freq " + std::to_string(value(rng))));
            break;
        default: {
            basic::ConfKeyContentMulti list;
            for (int k = 0; k < 4; ++k) {
                list.push_back(basic::ConfKeyContentString(std::to_string(value(rng))));
            }
            node.push_back(basic::ConfKeyData(name, list));
        }
        }
    }
    root.push_back(node);
    return root;
}

// Nodes nested depth levels deep, each holding a few leaves before its child node.
std::unique_ptr<basic::ConfKeyMulti> make_deep_tree(int depth)
{
    auto inner = std::make_unique<basic::ConfKeyMulti>("level");
    inner->push_back(basic::ConfKeyData("leaf", "1"));
    for (int d = 1; d < depth; ++d) {
        auto outer = std::make_unique<basic::ConfKeyMulti>("level");
        for (int k = 0; k < 4; ++k) {
            outer->push_back(basic::ConfKeyData("leaf_" + std::to_string(k), "12.5"));
        }
        outer->push_back(*inner);
        inner = std::move(outer);
    }
    return inner;
}

std::string text_of(const basic::ConfKeyInterface& key)
{
    std::string text;
    if (key.write_to_string(text) != 0) {
        throw std::runtime_error("writing failed");
    }
    return text;
}

void read_text(benchmark::State& state, const std::string& text)
{
    basic::ConfKeyFactory& factory = basic::ConfKeyFactory::get_instance();
    for (auto _ : state) {
        auto key = factory.create_key(text);
        benchmark::DoNotOptimize(key.get());
    }
    if (factory.get_last_error() != 0) {
        state.SkipWithError("text did not read back");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void write_tree(benchmark::State& state, const basic::ConfKeyInterface& key)
{
    size_t bytes = 0;
    for (auto _ : state) {
        std::string text;
        benchmark::DoNotOptimize(key.write_to_string(text));
        bytes = text.size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_ReadFlat(benchmark::State& state)
{
    read_text(state, text_of(make_flat_tree(state.range(0))));
}

void BM_WriteFlat(benchmark::State& state)
{
    write_tree(state, make_flat_tree(state.range(0)));
}

// The floor: the same bytes read from a file into a string with std::ifstream.
void BM_IfstreamFloor(benchmark::State& state)
{
    const std::string text = text_of(make_flat_tree(state.range(0)));
    const auto path = std::filesystem::temp_directory_path() / "morvanel_confkey_bench.txt";
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string read(std::istreambuf_iterator<char>(in), {});
        benchmark::DoNotOptimize(read.data());
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ReadDeep(benchmark::State& state)
{
    read_text(state, text_of(*make_deep_tree(int(state.range(0)))));
}

void BM_WriteDeep(benchmark::State& state)
{
    write_tree(state, *make_deep_tree(int(state.range(0))));
}

} // namespace

BENCHMARK(BM_IfstreamFloor)->Arg(1250)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadFlat)->Arg(1250)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteFlat)->Arg(1250)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadDeep)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteDeep)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);
