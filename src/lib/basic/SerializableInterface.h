#pragma once

namespace basic {

// Thread use is that of the implementing class.
// An object stored as a flat big-endian byte image; the layout belongs to the implementing
// class.
class SerializableInterface
{
public:
    virtual ~SerializableInterface() = default;

    // Reads the object from its image; 0 on success.
    [[nodiscard]] virtual int read_from_memory(const unsigned char* data) = 0;
    // Writes the image into data, which holds at least get_object_size() bytes; 0 on success.
    [[nodiscard]] virtual int write_to_memory(unsigned char* data) const = 0;
    // Size of the image in bytes.
    [[nodiscard]] virtual long get_object_size() const = 0;

protected:
    SerializableInterface() = default;
    SerializableInterface(const SerializableInterface&) = default;
    SerializableInterface& operator=(const SerializableInterface&) = default;
};

} // namespace basic
