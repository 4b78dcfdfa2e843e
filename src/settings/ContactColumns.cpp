#include "settings/ContactColumns.h"

namespace veltrin {

const std::array<const char*, kContactColumnCount>& ContactFieldNames() {
    static const std::array<const char*, kContactColumnCount> names = {"Name",
                                                                       "First Name",
                                                                       "Last Name",
                                                                       "Middle Name",
                                                                       "Nickname",
                                                                       "E-mail Address",
                                                                       "Home Street",
                                                                       "Home City",
                                                                       "Home Postal Code",
                                                                       "Home State",
                                                                       "Home Country",
                                                                       "Home Phone",
                                                                       "Home Fax",
                                                                       "Cellular",
                                                                       "Personal Web Page",
                                                                       "Business Street",
                                                                       "Business City",
                                                                       "Business Postal Code",
                                                                       "Business State",
                                                                       "Business Country",
                                                                       "Business Web Page",
                                                                       "Business Phone",
                                                                       "Business Fax",
                                                                       "Pager",
                                                                       "Company",
                                                                       "Job Title",
                                                                       "Department",
                                                                       "Office Location",
                                                                       "Notes"};
    return names;
}

const ContactColumns& DefaultContactColumns() {
    static const ContactColumns columns = [] {
        ContactColumns c;
        for (int i = 0; i < kContactColumnCount; ++i) c[i] = ContactColumn{ContactFieldNames()[i], 100, 1};
        return c;
    }();
    return columns;
}

}  // namespace veltrin
