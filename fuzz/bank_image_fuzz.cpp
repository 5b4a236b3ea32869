// Feeds arbitrary bytes to the bank loaders: as a bank file in memory, as a
// bank image in strict mode and as a program record. A refusal must leave the
// target as it was; an accepted bank must write an image that reads back to
// the same bank. Reading past the input is left to AddressSanitizer (the input
// buffer is exactly its size); every allocation a loader makes is counted
// through the sanitizer's hooks and may not exceed a small multiple of the
// input.
#include "lib/mppi/BankManager.h"
#include "lib/mppi/ProgramSlot.h"
#include "lib/mppi/TwbkFileOp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sanitizer/allocator_interface.h>
#include <vector>

namespace {

// Bytes allocated while a loader runs.
std::size_t g_nbr_bytes = 0;
bool g_counting = false;

// Fixed costs of one load (a default program or two).
constexpr std::size_t ALLOC_BASE = 1024;
// One load of n bytes may ask for this many times n bytes: a program object
// for every 76 bytes of image and the values and extra bytes themselves.
constexpr std::size_t ALLOC_FACTOR = 4;
std::size_t g_input_size = 0;

// Runs one loader and checks what it allocated.
template <typename Load>
int count_load(Load load)
{
    g_nbr_bytes = 0;
    g_counting = true;
    const int ret = load();
    g_counting = false;
    if (g_nbr_bytes > ALLOC_BASE + ALLOC_FACTOR * g_input_size) {
        std::abort();
    }
    return ret;
}

using Bytes = std::vector<unsigned char>;

Bytes image_of(const basic::SerializableInterface& obj)
{
    Bytes out(static_cast<std::size_t>(obj.get_object_size()), 0);
    if (obj.write_to_memory(out.data()) != 0) {
        out.clear();
    }
    return out;
}

// A refused load left the bank alone; an accepted one round-trips.
void check_bank(int ret, const mppi::BankManager& bank, const Bytes& before)
{
    const Bytes after = image_of(bank);
    if (ret != 0) {
        if (after != before) {
            std::abort();
        }
        return;
    }
    mppi::BankManager back(0);
    if (back.read_from_memory(after.data(), static_cast<long>(after.size())) != 0 ||
        image_of(back) != after) {
        std::abort();
    }
}

void check_record(const unsigned char* data, long len)
{
    mppi::ProgramSlot prog;
    const Bytes before = image_of(prog);
    const int ret = count_load([&] { return prog.read_from_memory(data, len); });
    const Bytes after = image_of(prog);
    if (ret != 0) {
        if (after != before) {
            std::abort();
        }
        return;
    }
    mppi::ProgramSlot back;
    if (back.read_from_memory(after.data(), static_cast<long>(after.size())) != 0 ||
        image_of(back) != after) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    // Sees every allocation of the process, whichever allocation function made it.
    static_cast<void>(__sanitizer_install_malloc_and_free_hooks(
        [](const volatile void* /*ptr*/, std::size_t size) {
            if (g_counting) {
                g_nbr_bytes += size;
            }
        },
        [](const volatile void* /*ptr*/) {}));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const long len = static_cast<long>(size);
    g_input_size = size;
    {
        mppi::BankManager bank(3);
        const Bytes before = image_of(bank);
        const int ret = count_load(
            [&] { return mppi::TwbkFileOp::load_bank_mem(data, len, bank, nullptr, false); });
        check_bank(ret, bank, before);
    }
    {
        mppi::BankManager bank(2);
        bank[0].set_nbr_param(8);
        bank[1].set_nbr_param(8);
        const Bytes before = image_of(bank);
        const int ret = count_load(
            [&] { return mppi::TwbkFileOp::check_data(data, len, bank, nullptr, true); });
        check_bank(ret, bank, before);
    }
    check_record(data, len);
    return 0;
}
