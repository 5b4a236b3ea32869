#pragma once

#include "lib/tnw/util/BinaryStreamOutputBase.h"

#include <vector>

namespace tnw::util {

// Output stream that keeps its bytes in a growable array. do_access outside
// the written bytes gives null, so nothing is ever written outside them.
// Any thread; one object is used by one thread at a time; allocates as it
// grows.
class BinaryStreamOutputVector : public BinaryStreamOutputBase
{
public:
    BinaryStreamOutputVector() = default;
    BinaryStreamOutputVector(const BinaryStreamOutputVector& other) = default;
    BinaryStreamOutputVector& operator=(const BinaryStreamOutputVector& other) = default;
    ~BinaryStreamOutputVector() override = default;

    [[nodiscard]] const std::vector<archi::UByte>& use_bytes() const noexcept;

protected:
    [[nodiscard]] const archi::UByte* do_data() const override;
    [[nodiscard]] std::size_t do_size() const override;
    [[nodiscard]] bool do_empty() const override;
    void do_clear() override;
    [[nodiscard]] archi::UByte* do_extend(std::size_t len) override;
    [[nodiscard]] archi::UByte* do_access(std::size_t pos, std::size_t len) override;
    // A null source adds nothing.
    void do_write(const archi::UByte* src, std::size_t len) override;
    void do_write_front(const archi::UByte* src, std::size_t len) override;

private:
    void insert_at(std::size_t pos, const archi::UByte* src, std::size_t len);

    std::vector<archi::UByte> _bytes;
};

} // namespace tnw::util
