#pragma once

#include "lib/tnw/archi/Types.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tnw::util {

// Writes typed values in the encoding that BinaryStreamInput reads, into a
// growable byte store supplied by a derived class through the do_ hooks.
// Nothing is reported: a store that cannot give the bytes asked for (a null
// pointer from do_extend or do_access) simply receives nothing.
// Any thread; one object is used by one thread at a time. A derived class
// may allocate as it grows.
class BinaryStreamOutputBase
{
public:
    virtual ~BinaryStreamOutputBase() = default;

    [[nodiscard]] const archi::UByte* data() const;
    [[nodiscard]] std::size_t size() const;
    [[nodiscard]] bool empty() const;
    void clear();
    void write(const archi::UByte* src, std::size_t len);
    void write_front(const archi::UByte* src, std::size_t len);

    void write(bool value);
    void write(archi::UByte value);
    void write(archi::SByte value);
    void write(archi::UInt16 value);
    void write(archi::Int16 value);
    void write(archi::UInt32 value);
    void write(archi::Int32 value);
    void write(unsigned long long value);
    void write(long long value);
    void write(const void* value);
    void write(float value);
    void write(double value);
    void write(const std::string& value);
    // A bare character pointer would silently be written as a bool.
    void write(const char* value) = delete;

    // Replace bytes already written, starting at byte pos. A value that does
    // not lie wholly inside the written bytes changes nothing.
    void overwrite(bool value, std::size_t pos);
    void overwrite(archi::UByte value, std::size_t pos);
    void overwrite(archi::SByte value, std::size_t pos);
    void overwrite(archi::UInt16 value, std::size_t pos);
    void overwrite(archi::Int16 value, std::size_t pos);
    void overwrite(archi::UInt32 value, std::size_t pos);
    void overwrite(archi::Int32 value, std::size_t pos);
    void overwrite(unsigned long long value, std::size_t pos);
    void overwrite(long long value, std::size_t pos);
    void overwrite(float value, std::size_t pos);
    void overwrite(double value, std::size_t pos);
    void overwrite(const std::string& value, std::size_t pos);
    void overwrite(const char* value, std::size_t pos) = delete;
    void overwrite(const archi::UByte* src, std::size_t len, std::size_t pos);

protected:
    BinaryStreamOutputBase() = default;
    BinaryStreamOutputBase(const BinaryStreamOutputBase& other) = default;
    BinaryStreamOutputBase& operator=(const BinaryStreamOutputBase& other) = default;

    [[nodiscard]] virtual const archi::UByte* do_data() const = 0;
    [[nodiscard]] virtual std::size_t do_size() const = 0;
    [[nodiscard]] virtual bool do_empty() const = 0;
    virtual void do_clear() = 0;
    // Appends len bytes and gives a writable pointer to them.
    [[nodiscard]] virtual archi::UByte* do_extend(std::size_t len) = 0;
    // The len written bytes starting at byte pos, writable.
    [[nodiscard]] virtual archi::UByte* do_access(std::size_t pos, std::size_t len) = 0;
    virtual void do_write(const archi::UByte* src, std::size_t len) = 0;
    virtual void do_write_front(const archi::UByte* src, std::size_t len) = 0;

private:
    // The low nbr_bytes bytes of raw, most significant first.
    void put(std::uint32_t raw, int nbr_bytes);
    void put_64(std::uint64_t raw);
    void put_at(std::uint32_t raw, int nbr_bytes, std::size_t pos);
    void put_64_at(std::uint64_t raw, std::size_t pos);
};

} // namespace tnw::util
