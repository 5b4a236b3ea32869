#pragma once

// Declarations of the types that the framework's interfaces only name. Their
// definitions live with the classes themselves; an interface that passes them
// by reference or pointer needs nothing more than this.

namespace basic {
class SerializableInterface;
template <typename T>
class LockFreeBuffer;
} // namespace basic

namespace mppi {
class BankConverterInterface;
class BankManager;
class BkgInterface;
class DspInterface;
class GuiInterface;
class HostDspInterface;
class HostGuiInterface;
class MidiMgr;
class NormalizedParamInterface;
class ParamReorder;
class PinProperty;
class ProgramSlot;
class SettingMgr;
class SetupMgr;
class TimeInfo;
} // namespace mppi
