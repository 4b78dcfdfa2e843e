#pragma once

#include <string>
#include <vector>

#include "contacts/ContactRecords.h"

namespace veltrin {

// The state of "Customize columns": the shown entries in table order, the
// free ones alphabetically, what is selected in each list, and the rules of
// the four buttons and OK. Entries are the table's own positions, so the
// result holds every entry of the table exactly once, whatever names a
// settings file gave them.
class ColumnChooser {
public:
    explicit ColumnChooser(const ContactColumns& columns);

    // The entries of each list, in list order, as positions in the table.
    const std::vector<int>& Shown() const { return shown_; }
    const std::vector<int>& Free() const { return free_; }
    const std::string& Name(int entry) const { return columns_[static_cast<std::size_t>(entry)].name; }

    // Selections as places in the lists; places outside a list are ignored.
    void SelectShown(const std::vector<int>& places);
    void SelectFree(const std::vector<int>& places);
    const std::vector<int>& ShownSelection() const { return shownSel_; }
    const std::vector<int>& FreeSelection() const { return freeSel_; }

    bool CanAdd() const { return !freeSel_.empty(); }
    bool CanRemove() const { return !shownSel_.empty(); }
    bool CanMoveUp() const { return shownSel_.size() == 1 && shownSel_[0] > 0; }
    bool CanMoveDown() const {
        return shownSel_.size() == 1 && shownSel_[0] + 1 < static_cast<int>(shown_.size());
    }
    // After any action, and only while something would be shown: a list
    // without a column has nothing to show or edit.
    bool CanAccept() const { return acted_ && !shown_.empty(); }

    // Each returns false and changes nothing when its button is disabled.
    // Add and Remove leave nothing selected; a moved entry stays selected.
    bool Add();
    bool Remove();
    bool MoveUp();
    bool MoveDown();

    // The new table: the shown entries in order, then the free ones
    // alphabetically; each keeps its width.
    ContactColumns Result() const;

private:
    void sortFree();

    ContactColumns columns_;
    std::vector<int> shown_, free_;
    std::vector<int> shownSel_, freeSel_;
    bool acted_ = false;
};

}  // namespace veltrin
