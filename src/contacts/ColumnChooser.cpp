#include "contacts/ColumnChooser.h"

#include <algorithm>

#include "base/Text.h"

namespace veltrin {

namespace {

std::vector<int> validPlaces(std::vector<int> places, std::size_t size) {
    places.erase(std::remove_if(places.begin(), places.end(),
                                [size](int p) { return p < 0 || static_cast<std::size_t>(p) >= size; }),
                 places.end());
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

}  // namespace

ColumnChooser::ColumnChooser(const ContactColumns& columns) : columns_(columns) {
    for (int i = 0; i < kContactColumnCount; ++i)
        (columns_[static_cast<std::size_t>(i)].shown ? shown_ : free_).push_back(i);
    sortFree();
}

void ColumnChooser::sortFree() {
    // A sorted list box orders its texts ignoring case.
    std::stable_sort(free_.begin(), free_.end(),
                     [this](int a, int b) { return CompareTextsNoCase(Name(a), Name(b)) < 0; });
}

void ColumnChooser::SelectShown(const std::vector<int>& places) {
    shownSel_ = validPlaces(places, shown_.size());
}

void ColumnChooser::SelectFree(const std::vector<int>& places) {
    freeSel_ = validPlaces(places, free_.size());
}

bool ColumnChooser::Add() {
    if (!CanAdd()) return false;
    std::vector<int> kept;
    for (int p = 0; p < static_cast<int>(free_.size()); ++p) {
        if (std::binary_search(freeSel_.begin(), freeSel_.end(), p))
            shown_.push_back(free_[static_cast<std::size_t>(p)]);
        else
            kept.push_back(free_[static_cast<std::size_t>(p)]);
    }
    free_ = std::move(kept);
    freeSel_.clear();
    shownSel_.clear();
    acted_ = true;
    return true;
}

bool ColumnChooser::Remove() {
    if (!CanRemove()) return false;
    std::vector<int> kept;
    for (int p = 0; p < static_cast<int>(shown_.size()); ++p) {
        if (std::binary_search(shownSel_.begin(), shownSel_.end(), p))
            free_.push_back(shown_[static_cast<std::size_t>(p)]);
        else
            kept.push_back(shown_[static_cast<std::size_t>(p)]);
    }
    shown_ = std::move(kept);
    sortFree();
    freeSel_.clear();
    shownSel_.clear();
    acted_ = true;
    return true;
}

bool ColumnChooser::MoveUp() {
    if (!CanMoveUp()) return false;
    const std::size_t p = static_cast<std::size_t>(shownSel_[0]);
    std::swap(shown_[p], shown_[p - 1]);
    shownSel_[0] -= 1;
    acted_ = true;
    return true;
}

bool ColumnChooser::MoveDown() {
    if (!CanMoveDown()) return false;
    const std::size_t p = static_cast<std::size_t>(shownSel_[0]);
    std::swap(shown_[p], shown_[p + 1]);
    shownSel_[0] += 1;
    acted_ = true;
    return true;
}

ContactColumns ColumnChooser::Result() const {
    ContactColumns result;
    std::size_t out = 0;
    for (int e : shown_) {
        result[out] = columns_[static_cast<std::size_t>(e)];
        result[out++].shown = 1;
    }
    for (int e : free_) {
        result[out] = columns_[static_cast<std::size_t>(e)];
        result[out++].shown = 0;
    }
    return result;
}

}  // namespace veltrin
