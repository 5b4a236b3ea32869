#include "lib/basic/SharedPtr.h"

#include "support/AllocFailure.h"
#include "support/SharedPtrModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

namespace {

using test_support::ModelOp;
using test_support::Tracked;
using test_support::TrackedDerived;

struct BasicAdapter
{
    using Ptr = basic::SharedPtr<Tracked>;
    static Ptr make(Tracked* obj_ptr) { return Ptr(obj_ptr); }
    static Ptr make_derived(TrackedDerived* obj_ptr)
    {
        // Made as a pointer to the derived class, then shared as the base.
        const basic::SharedPtr<TrackedDerived> derived(obj_ptr);
        return Ptr(derived);
    }
    static Tracked* get(const Ptr& ptr) { return ptr.get(); }
};

TEST(BasicSharedPtr, RandomSequencesDeleteLikeStdSharedPtr)
{
    const std::vector<ModelOp> ops = {ModelOp::MAKE,   ModelOp::MAKE_NULL, ModelOp::MAKE_DERIVED,
                                      ModelOp::COPY,   ModelOp::ASSIGN,    ModelOp::SELF_ASSIGN,
                                      ModelOp::DESTROY};
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        test_support::SharedPtrModel<BasicAdapter> model(ops, seed);
        model.run(300);
        if (HasFailure()) {
            return;
        }
    }
}

TEST(BasicSharedPtr, AssignmentFromInsideTheReleasedObjectMatchesStdSharedPtr)
{
    for (const auto scenario : test_support::ALL_LIST_SCENARIOS) {
        EXPECT_EQ(test_support::run_list_scenario<basic::SharedPtr>(scenario),
                  test_support::run_list_scenario<std::shared_ptr>(scenario))
            << int(scenario);
    }
}

TEST(BasicSharedPtr, ObjectIsDeletedWhenCountCannotBeAllocated)
{
    std::vector<int> log;
    auto* obj = new Tracked(7, log);
    test_support::fail_next_allocation();
    // The pointer escapes to an empty assembly statement, so that an
    // optimiser cannot leave out a count that nothing would read.
    EXPECT_THROW(
        {
            basic::SharedPtr<Tracked> ptr{obj};
            asm volatile("" : : "r"(&ptr) : "memory");
        },
        std::bad_alloc);
    EXPECT_FALSE(test_support::is_allocation_failure_pending());
    EXPECT_EQ(log, std::vector<int>{7});
}

} // namespace
