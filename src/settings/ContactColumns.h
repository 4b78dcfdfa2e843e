#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace veltrin {

// The contact list's columns as Settings.dat keeps them. A column names the
// contact field it shows by the field's heading, so the layout needs only
// the headings, not the contact records.
inline constexpr int kContactColumnCount = 29;

// One column of the contact list: the field it shows (by name), its width,
// and whether it is shown or only offered in the column chooser.
struct ContactColumn {
    std::string name;
    std::int32_t width = 100;
    std::int32_t shown = 1;
};
using ContactColumns = std::array<ContactColumn, kContactColumnCount>;

// The headings of the contact fields in field-name order (the column
// chooser's default order).
const std::array<const char*, kContactColumnCount>& ContactFieldNames();

// The columns as a new installation shows them: every field, in field-name order.
const ContactColumns& DefaultContactColumns();

}  // namespace veltrin
