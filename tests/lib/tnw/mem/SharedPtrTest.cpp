#include "lib/tnw/mem/SharedPtr.h"

#include "support/AllocFailure.h"
#include "support/SharedPtrModel.h"

#include <gtest/gtest.h>

#include <latch>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace {

using test_support::ModelOp;
using test_support::Tracked;
using test_support::TrackedDerived;

struct TnwAdapter
{
    using Ptr = tnw::mem::SharedPtr<Tracked>;
    static Ptr make(Tracked* obj_ptr) { return Ptr(obj_ptr); }
    static Ptr make_derived(TrackedDerived* obj_ptr) { return Ptr(obj_ptr); }
    static Tracked* get(const Ptr& ptr) { return ptr.get(); }
    // An explicit release must leave the pointer empty, so that its
    // destructor (run later by the model) does not release the share again.
    static void destroy_complete(Ptr& ptr) { ptr.destroy_complete(); }
};

TEST(TnwSharedPtr, RandomSequencesDeleteLikeStdSharedPtr)
{
    const std::vector<ModelOp> ops = {
        ModelOp::MAKE,   ModelOp::MAKE_NULL,   ModelOp::MAKE_DERIVED, ModelOp::COPY,
        ModelOp::ASSIGN, ModelOp::SELF_ASSIGN, ModelOp::DESTROY,      ModelOp::DESTROY_COMPLETE};
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        test_support::SharedPtrModel<TnwAdapter> model(ops, seed);
        model.run(300);
        if (HasFailure()) {
            return;
        }
    }
}

TEST(TnwSharedPtr, AssignmentFromInsideTheReleasedObjectMatchesStdSharedPtr)
{
    for (const auto scenario : test_support::ALL_LIST_SCENARIOS) {
        EXPECT_EQ(test_support::run_list_scenario<tnw::mem::SharedPtr>(scenario),
                  test_support::run_list_scenario<std::shared_ptr>(scenario))
            << int(scenario);
    }
}

TEST(TnwSharedPtr, ObjectIsDeletedWhenCountCannotBeAllocated)
{
    std::vector<int> log;
    auto* obj = new Tracked(3, log);
    test_support::fail_next_allocation();
    EXPECT_THROW(tnw::mem::SharedPtr<Tracked>{obj}, std::bad_alloc);
    EXPECT_FALSE(test_support::is_allocation_failure_pending());
    EXPECT_EQ(log, std::vector<int>{3});
}

TEST(TnwSharedPtr, CopiesAndReleasesFromEightThreadsDeleteOnce)
{
    constexpr int NBR_THREADS = 8;
    constexpr int NBR_ROUNDS = 20000;
    std::vector<int> log;
    std::vector<long> id_sums(NBR_THREADS, 0);
    {
        tnw::mem::SharedPtr<Tracked> root(new Tracked(42, log));
        // One pointer object per thread: a single object is never shared.
        std::vector<tnw::mem::SharedPtr<Tracked>> own(NBR_THREADS, root);
        std::latch start(NBR_THREADS + 1);
        std::vector<std::thread> threads;
        for (int thr = 0; thr < NBR_THREADS; ++thr) {
            threads.emplace_back([&, thr] {
                auto& mine = own[static_cast<std::size_t>(thr)];
                start.arrive_and_wait();
                for (int round = 0; round < NBR_ROUNDS; ++round) {
                    tnw::mem::SharedPtr<Tracked> copy(mine);
                    tnw::mem::SharedPtr<Tracked> assigned;
                    assigned = copy;
                    id_sums[static_cast<std::size_t>(thr)] += assigned->get_id();
                    copy.destroy_complete();
                }
                // The last of these releases deletes the object, on whichever
                // thread comes last.
                mine.destroy_complete();
            });
        }
        // The main thread lets go while the others still copy.
        root.destroy_complete();
        start.arrive_and_wait();
        for (auto& thread : threads) {
            thread.join();
        }
        EXPECT_EQ(log, std::vector<int>{42});
    }
    // The emptied pointers released nothing more when they went out of scope.
    EXPECT_EQ(log, std::vector<int>{42});
    for (const long sum : id_sums) {
        EXPECT_EQ(sum, 42L * NBR_ROUNDS);
    }
}

} // namespace
