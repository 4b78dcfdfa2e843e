#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "search/SearchIndex.h"

class QLineEdit;
class QTreeWidget;

namespace veltrin {

// The query box and the result list over a prepared index. The list is
// refilled a moment after the last key, so typing never waits for it.
// Enter or a double click hands the chosen result on; Escape closes.
class CSearchWindow : public QDialog {
public:
    explicit CSearchWindow(QWidget* parent = nullptr);

    void setIndex(std::shared_ptr<const SearchIndex> index);
    // Where the index comes from: taken now, and again whenever the window
    // comes back to the front after another one had it, so edits made
    // meanwhile are found.
    using IndexSource = std::function<std::shared_ptr<const SearchIndex>()>;
    void setIndexSource(IndexSource source);
    // Gets the chosen result and the words of its text that hold the hit
    // (empty when only its title does), to mark them where it opens.
    using OpenResult = std::function<void(const SearchEntry& entry, const std::string& hit)>;
    void setOpenResult(OpenResult open) { open_ = std::move(open); }

    QLineEdit* queryBox() const { return query_; }
    QTreeWidget* resultList() const { return results_; }

    // How long after the last key the list is refilled.
    static constexpr int kDebounceMs = 150;
    // The list shows at most this many results, the best first.
    static constexpr int kMaxShown = 200;

protected:
    bool event(QEvent* event) override;

private:
    void refresh();
    void showSelection();
    void openRow(int row);

    QLineEdit* query_;
    QTreeWidget* results_;
    QTimer debounce_;
    std::shared_ptr<const SearchIndex> index_;
    SearchQuery shownQuery_;
    std::vector<SearchHit> shown_;
    OpenResult open_;
    IndexSource source_;
    bool stale_ = false;
};

}  // namespace veltrin
