#include "lib/mppi/PluginInternal.h"

#include "lib/mppi/FullLfoParamBase.h"
#include "lib/mppi/LfoParamBase.h"
#include "lib/mppi/MidiModParam.h"
#include "lib/mppi/ProgramSlot.h"
#include "support/DspStub.h"
#include "support/NamedParam.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using basic::SharedPtr;
using mppi::NormalizedParamInterface;
using test_support::NamedParam;
using ParamPtr = SharedPtr<NormalizedParamInterface>;

class Registry : public mppi::PluginInternal, public test_support::DspStub
{
public:
    int get_nbr_param() const noexcept override { return get_next_param_id(); }
    NormalizedParamInterface& get_param_ref(int index) const noexcept override
    {
        return use_param(index);
    }
    std::string get_string_property(const char* name) const override
    {
        return std::strcmp(name, "plugin_name") == 0 ? "Morvanel" : "";
    }
    using PluginInternal::get_mod_param;
};

class RecordingLfo : public mppi::FullLfoParamBase
{
public:
    RecordingLfo(int id, std::vector<int>& log) : _id(id), _log(log) {}
    void update_tempo() noexcept override { _log.push_back(_id); }

private:
    int _id;
    std::vector<int>& _log;
};

class PlainLfo : public mppi::LfoParamBase
{
};

TEST(PluginInternal, RegistrationOrderIsParameterOrderAndFillsPrograms)
{
    Registry registry;
    mppi::ProgramSlot program;
    program.set_nbr_param(5);
    registry.do_get_program_parameters(program);
    EXPECT_EQ(program.get_nbr_param(), 0) << "no parameter registered";

    const float values[] = {0.25f, 1.0f, 0.0f};
    for (const float value : values) {
        const ParamPtr param(new NamedParam("plain"));
        param->set_nrm_val(value);
        registry.register_param(param);
    }
    auto* mod = new test_support::NamedParamOf<mppi::MidiModParam>("mod");
    mod->init(0.5, 2);
    registry.register_param(ParamPtr(mod));

    ASSERT_EQ(registry.get_next_param_id(), 4);
    registry.do_get_program_parameters(program);
    ASSERT_EQ(program.get_nbr_param(), 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(program.get_param(i), values[i]) << i;
        EXPECT_EQ(registry.get_mod_param(i), nullptr) << "plain parameter " << i;
    }
    EXPECT_EQ(program.get_param(3), 0.5f);
    EXPECT_EQ(registry.get_mod_param(3), mod);
    EXPECT_EQ(&registry.get_param_ref(3), static_cast<NormalizedParamInterface*>(mod));
}

TEST(PluginInternal, RestoreDeletesOnlyParametersHeldByTheRegistryAlone)
{
    bool kept_deleted = false;
    bool alone_deleted = false;
    std::vector<int> log;
    RecordingLfo full_lfo(1, log);
    PlainLfo lfo;
    const ParamPtr kept(new NamedParam("kept", &kept_deleted));
    {
        Registry registry;
        registry.register_param(kept);
        registry.register_param(ParamPtr(new NamedParam("alone", &alone_deleted)));
        registry.register_lfo(full_lfo);
        registry.register_lfo(lfo);

        registry.restore_plugin_internal();
        EXPECT_TRUE(alone_deleted);
        EXPECT_FALSE(kept_deleted);
        EXPECT_EQ(registry.get_next_param_id(), 0);
        EXPECT_EQ(registry.get_nbr_lfo(), 0);
        registry.update_tempo_lfos();
        EXPECT_TRUE(log.empty());

        registry.register_param(kept); // filled again by a later init
        EXPECT_EQ(&registry.get_param_ref(0), kept.get());
    }
    EXPECT_FALSE(kept_deleted) << "the registry's end releases its share only";
}

TEST(PluginInternal, ListsTempoFollowersTimeUnitAndPreferencePath)
{
    Registry registry;
    std::vector<int> log;
    RecordingLfo first(1, log);
    RecordingLfo second(2, log);
    PlainLfo lfo;
    registry.register_lfo(first);
    registry.register_lfo(second);
    registry.register_lfo(lfo);
    registry.update_tempo_lfos();
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    ASSERT_EQ(registry.get_nbr_lfo(), 1);
    EXPECT_EQ(&registry.use_lfo(0), &lfo);

    EXPECT_EQ(&registry.get_time_unit(), &registry.get_time_unit());
    EXPECT_EQ(registry.get_time_unit().get_unit(), mppi::TimeUnit().get_unit());
    EXPECT_EQ(registry.get_pref_path(), "Tarnwick/Morvanel");
}

} // namespace
