#pragma once

// Checks a shared pointer against std::shared_ptr as a model: the same random
// sequence of makes, copies, assignments and destructions runs on both, and
// after every step the objects deleted so far (and the order of deletion)
// must agree, as must what each slot points to.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace test_support {

// Object whose destruction is recorded in a log by its id.
class Tracked
{
public:
    Tracked(int id, std::vector<int>& log) : _id(id), _log(log) {}
    Tracked(const Tracked& other) = delete;
    Tracked& operator=(const Tracked& other) = delete;
    virtual ~Tracked() { _log.push_back(_id); }

    [[nodiscard]] int get_id() const { return _id; }

private:
    int _id;
    std::vector<int>& _log;
};

// Reached through a pointer to the base: deletion must run both destructors.
class TrackedDerived : public Tracked
{
public:
    TrackedDerived(int id, std::vector<int>& log, std::vector<int>& derived_log)
        : Tracked(id, log), _derived_log(derived_log)
    {
    }
    ~TrackedDerived() override { _derived_log.push_back(get_id()); }

private:
    std::vector<int>& _derived_log;
};

// A list node holding the next node through a pointer of the same kind, so that an
// assignment can take its source from inside the object it releases.
template <template <typename> class P>
struct ListNode : Tracked
{
    ListNode(int id, std::vector<int>& log) : Tracked(id, log) {}
    P<ListNode> next;
};

enum class ListScenario
{
    SELF_ASSIGN,          // head = (a reference to) head
    ADVANCE_HEAD,         // head = head->next, until the list is empty
    UNLINK_THROUGH_NEXT,  // head->next = head->next->next
    ADVANCE_KEEPING_HEAD, // keep = head; head = head->next
};

inline constexpr ListScenario ALL_LIST_SCENARIOS[] = {
    ListScenario::SELF_ASSIGN, ListScenario::ADVANCE_HEAD, ListScenario::UNLINK_THROUGH_NEXT,
    ListScenario::ADVANCE_KEEPING_HEAD};

// Runs the scenario on the list 0 -> 1 -> 2 held by its head and returns what can be seen:
// the ids deleted by the assignments, -1, the ids still reached from the head, -1, and the
// ids deleted when the pointers go. Run with std::shared_ptr as P, it gives the expected trace.
template <template <typename> class P>
std::vector<int> run_list_scenario(ListScenario scenario)
{
    using Node = ListNode<P>;
    std::vector<int> log;
    std::vector<int> trace;
    {
        P<Node> keep;
        P<Node> head(new Node(0, log));
        head->next = P<Node>(new Node(1, log));
        head->next->next = P<Node>(new Node(2, log));
        switch (scenario) {
        case ListScenario::SELF_ASSIGN: {
            const P<Node>& alias = head;
            head = alias;
            break;
        }
        case ListScenario::ADVANCE_HEAD:
            for (int i = 0; i < 3; ++i) {
                head = head->next;
            }
            break;
        case ListScenario::UNLINK_THROUGH_NEXT:
            head->next = head->next->next;
            break;
        case ListScenario::ADVANCE_KEEPING_HEAD:
            keep = head;
            head = head->next;
            break;
        }
        trace = log;
        trace.push_back(-1);
        for (const Node* node = head.get(); node != nullptr; node = node->next.get()) {
            trace.push_back(node->get_id());
        }
        trace.push_back(-1);
        log.clear();
    }
    trace.insert(trace.end(), log.begin(), log.end());
    return trace;
}

enum class ModelOp
{
    MAKE,
    MAKE_NULL,
    MAKE_DERIVED,
    COPY,
    ASSIGN,
    SELF_ASSIGN,
    DESTROY,
    DESTROY_COMPLETE
};

// ADAPTER supplies, for its pointer type Ptr (to Tracked):
//   static Ptr make(Tracked* obj_ptr);             (null gives a null pointer)
//   static Ptr make_derived(TrackedDerived* obj_ptr);
//   static Tracked* get(const Ptr& ptr);
//   static void destroy_complete(Ptr& ptr);        (only when that op is used)
template <typename ADAPTER>
class SharedPtrModel
{
public:
    using Ptr = typename ADAPTER::Ptr;
    using ModelPtr = std::shared_ptr<Tracked>;

    static constexpr int NBR_SLOTS = 5;

    SharedPtrModel(std::vector<ModelOp> ops, std::uint32_t seed) : _ops(std::move(ops)), _rng(seed)
    {
    }

    // Runs nbr_steps random operations, then destroys every slot; every
    // object made must then have been deleted exactly once.
    void run(int nbr_steps)
    {
        for (int step = 0; step < nbr_steps; ++step) {
            run_step();
            compare_state();
            if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) {
                return;
            }
        }
        for (int slot = 0; slot < NBR_SLOTS; ++slot) {
            _ours[slot].reset();
            _model[slot].reset();
        }
        compare_state();
        std::vector<int> sorted = _ours_log;
        std::sort(sorted.begin(), sorted.end());
        std::vector<int> all_ids(static_cast<std::size_t>(_nbr_made));
        for (int id = 0; id < _nbr_made; ++id) {
            all_ids[static_cast<std::size_t>(id)] = id;
        }
        EXPECT_EQ(sorted, all_ids);
    }

private:
    void run_step()
    {
        std::uniform_int_distribution<std::size_t> pick_op(0, _ops.size() - 1);
        std::uniform_int_distribution<int> pick_slot(0, NBR_SLOTS - 1);
        const ModelOp op = _ops[pick_op(_rng)];
        const int dst = pick_slot(_rng);
        const int src = pick_slot(_rng);
        auto& ours = _ours[dst];
        auto& model = _model[dst];
        switch (op) {
        case ModelOp::MAKE:
        case ModelOp::MAKE_NULL:
        case ModelOp::MAKE_DERIVED:
            make(op, dst);
            break;
        case ModelOp::COPY:
            if (src != dst && _ours[src].has_value()) {
                ours.reset();
                model.reset();
                ours.emplace(*_ours[src]);
                model.emplace(*_model[src]);
            }
            break;
        case ModelOp::ASSIGN:
            if (ours.has_value() && _ours[src].has_value()) {
                *ours = *_ours[src];
                *model = *_model[src];
            }
            break;
        case ModelOp::SELF_ASSIGN:
            if (ours.has_value()) {
                auto& ours_alias = *ours;
                *ours = ours_alias;
                auto& model_alias = *model;
                *model = model_alias;
            }
            break;
        case ModelOp::DESTROY:
            ours.reset();
            model.reset();
            break;
        case ModelOp::DESTROY_COMPLETE:
            if (ours.has_value()) {
                destroy_complete(*ours);
                model->reset();
            }
            break;
        }
    }

    void make(ModelOp op, int dst)
    {
        _ours[dst].reset();
        _model[dst].reset();
        if (op == ModelOp::MAKE_NULL) {
            _ours[dst].emplace(ADAPTER::make(nullptr));
            _model[dst].emplace(nullptr);
            return;
        }
        const int id = _nbr_made++;
        if (op == ModelOp::MAKE_DERIVED) {
            _ours[dst].emplace(
                ADAPTER::make_derived(new TrackedDerived(id, _ours_log, _ours_derived_log)));
            _model[dst].emplace(
                std::make_shared<TrackedDerived>(id, _model_log, _model_derived_log));
        } else {
            _ours[dst].emplace(ADAPTER::make(new Tracked(id, _ours_log)));
            _model[dst].emplace(std::make_shared<Tracked>(id, _model_log));
        }
    }

    template <typename P>
    static void destroy_complete(P& ptr)
    {
        if constexpr (requires { ADAPTER::destroy_complete(ptr); }) {
            ADAPTER::destroy_complete(ptr);
        } else {
            FAIL() << "DESTROY_COMPLETE used with a pointer that has no such operation";
        }
    }

    void compare_state()
    {
        ASSERT_EQ(_ours_log, _model_log);
        ASSERT_EQ(_ours_derived_log, _model_derived_log);
        for (int slot = 0; slot < NBR_SLOTS; ++slot) {
            ASSERT_EQ(_ours[slot].has_value(), _model[slot].has_value());
            if (!_ours[slot].has_value()) {
                continue;
            }
            const Tracked* ours_obj = ADAPTER::get(*_ours[slot]);
            const Tracked* model_obj = _model[slot]->get();
            ASSERT_EQ(ours_obj == nullptr, model_obj == nullptr);
            if (ours_obj != nullptr) {
                ASSERT_EQ(ours_obj->get_id(), model_obj->get_id());
            }
        }
    }

    std::vector<ModelOp> _ops;
    std::mt19937 _rng;
    int _nbr_made = 0;
    std::vector<int> _ours_log;
    std::vector<int> _model_log;
    std::vector<int> _ours_derived_log;
    std::vector<int> _model_derived_log;
    std::optional<Ptr> _ours[NBR_SLOTS];
    std::optional<ModelPtr> _model[NBR_SLOTS];
};

} // namespace test_support
