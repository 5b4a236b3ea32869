#include "lib/mppi/TwbkFileOp.h"

#include "lib/mppi/BankConverterInterface.h"
#include "lib/mppi/BankErr.h"

#include "support/AllocFailure.h"
#include "support/BankBytes.h"
#include "support/ScratchFolder.h"
#include "support/posix/FileFacts.h"
#include "support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using mppi::BankErr;
using mppi::BankManager;
using mppi::TwbkFileOp;
using test_support::Bytes;
using test_support::file_bytes;
using test_support::image_bytes;
using test_support::image_of;
using test_support::make_bank;
using test_support::sample_progs;
using test_support::ScratchFolder;

std::string as_text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class AnswerConverter : public mppi::BankConverterInterface
{
public:
    explicit AnswerConverter(bool answer) : _answer(answer) {}

protected:
    bool do_convert(BankManager& bank) override
    {
        bank[0].set_name("Converted");
        return _answer;
    }

private:
    bool _answer;
};

// A saved file is the header and the hand-built image; loading it back, from
// the file or from memory, gives the same bank.
TEST(TwbkFileOp, SavedFileIsHeaderAndImageAndLoadsBack)
{
    ScratchFolder folder;
    const std::string path = folder.file("bank.pbk");
    for (const auto& progs : {sample_progs(1, 8), sample_progs(3, 8), sample_progs(128, 8)}) {
        const BankManager bank = make_bank(progs);
        ASSERT_EQ(TwbkFileOp::save_bank(path.c_str(), bank), 0);
        const Bytes expected = file_bytes(image_bytes(progs));
        EXPECT_EQ(ScratchFolder::read(path), as_text(expected));

        BankManager from_file = make_bank(sample_progs(static_cast<int>(progs.size()), 8));
        ASSERT_EQ(TwbkFileOp::load_bank(path.c_str(), from_file, nullptr, true), 0);
        EXPECT_EQ(image_of(from_file), image_bytes(progs));
        BankManager from_mem(0);
        ASSERT_EQ(TwbkFileOp::load_bank_mem(expected.data(), static_cast<long>(expected.size()),
                                            from_mem, nullptr, false),
                  0);
        EXPECT_EQ(image_of(from_mem), image_bytes(progs));
    }
    EXPECT_EQ(folder.count_entries(), 1);
}

// Every refusal of a file leaves the target bank as it was.
TEST(TwbkFileOp, RefusedFileLeavesTheBankAsItWas)
{
    ScratchFolder folder;
    const Bytes sound = file_bytes(image_bytes(sample_progs(2, 8)));
    Bytes big_size = sound;
    big_size[4] = 0xFF;
    Bytes no_prog = sound;
    no_prog[8 + 3] = 0;
    Bytes one_short = sound;
    one_short.pop_back();
    AnswerConverter refuse(false);
    std::filesystem::create_directory(folder.file("folder"));
    ASSERT_EQ(::mkfifo(folder.file("pipe").c_str(), 0600), 0);
    struct Case
    {
        const char* what;
        const char* name; // file in the folder; null for a null path
        Bytes bytes;
        int nbr_prog;  // of the target
        int nbr_param; // of each target program
        bool strict;
        mppi::BankConverterInterface* converter;
        int expected;
    };
    const Case cases[] = {
        {"null path", nullptr, {}, 2, 8, false, nullptr, BankErr::OPEN},
        {"missing file", "missing", {}, 2, 8, false, nullptr, BankErr::OPEN},
        {"folder", "folder", {}, 2, 8, false, nullptr, BankErr::OPEN},
        {"named pipe", "pipe", {}, 2, 8, false, nullptr, BankErr::OPEN},
        {"7 bytes", "f", Bytes(sound.begin(), sound.begin() + 7), 2, 8, false, nullptr,
         BankErr::READ_HEADER},
        {"other magic", "f", Bytes{'T', 'W', 'B', 'X', 0, 0, 0, 0}, 2, 8, false, nullptr,
         BankErr::MAGIC},
        {"one byte short", "f", one_short, 2, 8, false, nullptr, BankErr::READ_DATA},
        {"4 GiB announced", "f", big_size, 2, 8, false, nullptr, BankErr::READ_DATA},
        {"no program", "f", no_prog, 2, 8, false, nullptr, BankErr::PARSE},
        {"strict, 2 into 3", "f", sound, 3, 8, true, nullptr, BankErr::NBR_PROG},
        {"strict, 8 values into 7", "f", sound, 2, 7, true, nullptr, BankErr::NBR_PARAM},
        {"converter refuses", "f", sound, 2, 8, false, &refuse, BankErr::CONVERTER},
    };
    for (const Case& c : cases) {
        std::string path;
        if (c.name != nullptr) {
            path = folder.file(c.name);
            if (!c.bytes.empty()) {
                ScratchFolder::write(path, as_text(c.bytes));
            }
        }
        BankManager bank = make_bank(sample_progs(c.nbr_prog, c.nbr_param));
        const Bytes before = image_of(bank);
        int code = 0;
        // A pipe is refused at once, never waited on for a writer.
        EXPECT_TRUE(test_support::returns_without_a_pipe_writer(folder.file("pipe"), [&] {
            code = TwbkFileOp::load_bank(c.name != nullptr ? path.c_str() : nullptr, bank,
                                         c.converter, c.strict);
        })) << c.what;
        EXPECT_EQ(code, c.expected) << c.what;
        EXPECT_EQ(image_of(bank), before) << c.what;
    }
}

// In memory the length bounds the image and the size field is not used.
TEST(TwbkFileOp, MemoryLoadIsBoundedByItsLength)
{
    const Bytes image = image_of(make_bank(sample_progs(2, 8)));
    Bytes wrong_size = file_bytes(image);
    wrong_size[5] = 0x77;
    const struct
    {
        const char* what;
        const void* data;
        long len;
        int expected;
    } cases[] = {
        {"null", nullptr, 100, BankErr::READ_HEADER},
        {"7 bytes", wrong_size.data(), 7, BankErr::READ_HEADER},
        {"image cut short", wrong_size.data(), static_cast<long>(wrong_size.size()) - 1,
         BankErr::PARSE},
        {"other magic", image.data(), static_cast<long>(image.size()), BankErr::MAGIC},
        {"wrong size field", wrong_size.data(), static_cast<long>(wrong_size.size()), 0},
    };
    for (const auto& c : cases) {
        // The flags of the first two programs are those of the image.
        BankManager bank = make_bank(sample_progs(5, 1));
        const Bytes before = image_of(bank);
        EXPECT_EQ(TwbkFileOp::load_bank_mem(c.data, c.len, bank, nullptr, false), c.expected)
            << c.what;
        EXPECT_EQ(image_of(bank), c.expected == 0 ? image : before) << c.what;
    }
}

// A non-strict load takes the file's shape; programs that were there keep
// their flags, the converter sees and may change the bank.
TEST(TwbkFileOp, NonStrictLoadTakesTheFileShapeAndKeepsFlags)
{
    ScratchFolder folder;
    const std::string path = folder.file("bank.pbk");
    const auto progs = sample_progs(128, 8);
    ASSERT_EQ(TwbkFileOp::save_bank(path.c_str(), make_bank(progs)), 0);
    BankManager bank(64);
    for (int i = 0; i < 64; ++i) {
        bank[i].set_flags(-7);
    }
    EXPECT_EQ(TwbkFileOp::load_bank(path.c_str(), bank, nullptr, true), BankErr::NBR_PROG);
    EXPECT_EQ(bank.get_nbr_prog(), 64);
    AnswerConverter accept(true);
    ASSERT_EQ(TwbkFileOp::load_bank(path.c_str(), bank, &accept, false), 0);
    ASSERT_EQ(bank.get_nbr_prog(), 128);
    EXPECT_EQ(std::string(bank[0].get_name()), "Converted");
    for (int i = 1; i < 128; ++i) {
        EXPECT_EQ(std::string(bank[i].get_name()), progs[std::size_t(i)].name);
        EXPECT_EQ(bank[i].get_flags(), i < 64 ? -7 : progs[std::size_t(i)].flags);
    }
}

// A refused save leaves the previous file whole and no temporary file.
TEST(TwbkFileOp, RefusedSaveKeepsThePreviousFile)
{
    ScratchFolder folder;
    const std::string path = folder.file("bank.pbk");
    ScratchFolder::write(path, "previous");
    EXPECT_EQ(TwbkFileOp::save_bank(nullptr, BankManager()), BankErr::OPEN);
    EXPECT_EQ(TwbkFileOp::save_bank(folder.file("no/such/bank.pbk").c_str(), BankManager()),
              BankErr::OPEN);
    EXPECT_EQ(TwbkFileOp::save_bank(path.c_str(), BankManager(0)), BankErr::SERIALIZE);
    // A disk that fills up within the 8-byte header refuses the header; one
    // that fills up after it refuses the image, small or large.
    const struct
    {
        rlim_t limit;
        int nbr_param;
        int expected;
    } full_disks[] = {
        {4, 1, BankErr::WRITE_HEADER},
        {8, 1, BankErr::WRITE_DATA},
        {8, 4000, BankErr::WRITE_DATA},
    };
    for (const auto& c : full_disks) {
        const BankManager bank = make_bank(sample_progs(16, c.nbr_param));
        test_support::FileSizeLimit limit(c.limit);
        ASSERT_TRUE(limit.is_active());
        EXPECT_EQ(TwbkFileOp::save_bank(path.c_str(), bank), c.expected) << c.limit;
    }
    EXPECT_EQ(ScratchFolder::read(path), "previous");
    EXPECT_EQ(folder.count_entries(), 1);
}

// A save refused for a reason known before any byte is written leaves the file as it was,
// also one with another hard link, which a save writes in place.
TEST(TwbkFileOp, SaveRefusedBeforeWritingKeepsAHardLinkedFile)
{
    ScratchFolder folder;
    const std::string path = folder.file("bank.pbk");
    ASSERT_EQ(TwbkFileOp::save_bank(path.c_str(), make_bank(sample_progs(2, 8))), 0);
    const std::string before = ScratchFolder::read(path);
    std::filesystem::create_hard_link(path, folder.file("link.pbk"));
    const BankManager empty(0);
    const BankManager sound = make_bank(sample_progs(2, 8));
    const struct
    {
        const char* what;
        const BankManager& bank;
        bool no_memory;
    } cases[] = {{"empty bank", empty, false}, {"no memory for the image", sound, true}};
    for (const auto& c : cases) {
        if (c.no_memory) {
            test_support::fail_next_allocation();
        }
        EXPECT_EQ(TwbkFileOp::save_bank(path.c_str(), c.bank), BankErr::SERIALIZE) << c.what;
        EXPECT_FALSE(test_support::is_allocation_failure_pending()) << c.what;
        EXPECT_EQ(ScratchFolder::read(path), before) << c.what;
    }
    EXPECT_EQ(std::filesystem::hard_link_count(path), 2U);
}

} // namespace
