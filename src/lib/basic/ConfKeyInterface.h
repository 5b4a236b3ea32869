#pragma once

#include "lib/basic/ConfKeyStreamInterface.h"

#include <memory>
#include <ostream>
#include <string>

namespace basic {

// Any thread, one tree per thread at a time; may allocate.
// A named key of the configuration-key tree: a node (ConfKeyMulti) or a leaf (ConfKeyData).
// A valid name holds neither '/' nor '\' (the key-path delimiters); the empty name is allowed
// in memory (an anonymous key) but such a key cannot be written.
class ConfKeyInterface : public ConfKeyStreamInterface
{
public:
    ~ConfKeyInterface() override = default;

    // A deep copy owned by the caller.
    [[nodiscard]] std::unique_ptr<ConfKeyInterface> clone() const { return do_clone(); }

    [[nodiscard]] const std::string& get_name() const noexcept { return _name; }
    [[nodiscard]] const std::string& get_comment() const noexcept { return _comment; }

    // Throws std::runtime_error for an invalid name and then keeps the previous name.
    void set_name(const std::string& name);
    // Stores the comment with every line feed replaced by a blank.
    void set_comment(const std::string& comment);
    void check_and_correct_comment();

    [[nodiscard]] static bool check_name(const std::string& name) noexcept;
    void check_name_throw() const;

    // A valid name that is written without quotes: every character other than an ASCII
    // letter or digit becomes '_'.
    [[nodiscard]] static std::string mangle_name(const std::string& text);

protected:
    ConfKeyInterface() = default;
    // Throws std::runtime_error for an invalid name.
    explicit ConfKeyInterface(const std::string& name);
    ConfKeyInterface(const ConfKeyInterface&) = default;
    ConfKeyInterface& operator=(const ConfKeyInterface&) = default;

    // Throws std::runtime_error for an invalid name.
    static void throw_if_invalid(const std::string& name);

private:
    // Throws std::runtime_error for an anonymous key.
    int do_write_to_string(std::string& str, Context& ctx) const override;

    [[nodiscard]] virtual std::unique_ptr<ConfKeyInterface> do_clone() const = 0;
    virtual int do_cki_write_to_string(std::string& str, Context& ctx) const = 0;

    std::string _name;
    std::string _comment;
};

// Writes the key's text from indent level 0. Throws std::runtime_error for an anonymous key;
// sets the stream's failbit and writes nothing when the tree holds a text that cannot be
// stored.
std::ostream& operator<<(std::ostream& os, const ConfKeyInterface& key);

} // namespace basic
