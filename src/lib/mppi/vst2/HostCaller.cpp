#include "lib/mppi/vst2/HostCaller.h"

namespace mppi::vst2 {

namespace {

constexpr std::intptr_t DIRECTION_INPUT = 0;
constexpr std::intptr_t DIRECTION_OUTPUT = 1;

} // namespace

std::intptr_t HostCaller::call(HostOpcode opcode, std::int32_t index, std::intptr_t value,
                               void* ptr, float opt) const noexcept
{
    if (_callback == nullptr) {
        return 0;
    }
    return _callback(_effect, opcode, index, value, ptr, opt);
}

long HostCaller::get_version() const noexcept
{
    return static_cast<long>(call(HOST_VERSION, 0, 0, nullptr, 0.0f));
}

bool HostCaller::can_do(const char* text) const noexcept
{
    // The host reads the text only.
    return text != nullptr && call(HOST_CAN_DO, 0, 0, const_cast<char*>(text), 0.0f) > 0;
}

bool HostCaller::is_connected(int chn_index, std::intptr_t direction) const noexcept
{
    // The host answers 0 for a connected channel.
    return call(HOST_PIN_CONNECTED, chn_index, direction, nullptr, 0.0f) == 0;
}

bool HostCaller::is_input_connected(int chn_index) const noexcept
{
    return is_connected(chn_index, DIRECTION_INPUT);
}

bool HostCaller::is_output_connected(int chn_index) const noexcept
{
    return is_connected(chn_index, DIRECTION_OUTPUT);
}

const HostTime* HostCaller::get_time(std::int32_t filter) const noexcept
{
    return reinterpret_cast<const HostTime*>(call(HOST_GET_TIME, 0, filter, nullptr, 0.0f));
}

void HostCaller::process_events(const EventList& list) const noexcept
{
    // The host reads the list only.
    (void)call(HOST_PROCESS_EVENTS, 0, 0, const_cast<EventList*>(&list), 0.0f);
}

void HostCaller::update_display() const noexcept
{
    (void)call(HOST_UPDATE_DISPLAY, 0, 0, nullptr, 0.0f);
}

void HostCaller::begin_edit(int index) const noexcept
{
    (void)call(HOST_BEGIN_EDIT, index, 0, nullptr, 0.0f);
}

void HostCaller::automate(int index, float value) const noexcept
{
    (void)call(HOST_AUTOMATE, index, 0, nullptr, value);
}

void HostCaller::end_edit(int index) const noexcept
{
    (void)call(HOST_END_EDIT, index, 0, nullptr, 0.0f);
}

bool HostCaller::size_window(int width, int height) const noexcept
{
    return call(HOST_SIZE_WINDOW, width, height, nullptr, 0.0f) != 0;
}

} // namespace mppi::vst2
