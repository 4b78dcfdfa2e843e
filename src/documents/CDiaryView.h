#pragma once

#include "documents/CDocumentView.h"
#include "documents/DocumentTrees.h"

namespace veltrin {

struct AppSettings;

// The Diary view of the main window: one page per day, by date.
class CDiaryView : public CDocumentView {
    Q_OBJECT
public:
    CDiaryView(DiaryTable& table, const AppSettings& settings, QWidget* parent = nullptr);

    // SaveAll's view of the page list; the view first takes the editor's
    // text into the current page.
    DiaryViews saveState();

    void runCommand(int command) override;
    // Creates (or selects) the page of a day, as the new-page dialog does.
    void newPage(std::int32_t day);
    // Removes the current page after asking.
    void deletePage();
    // After pages were added to the table (an import, which first took the
    // list's pages into it): lists the table again and stores it.
    void showStoredPages();

protected:
    unsigned OnTreeNotify(const TreeNotification& n) override;
    TextPayload payload(NodeHandle node) const override;
    void setPayload(NodeHandle node, const TextPayload& p) override;
    std::string exportName(NodeHandle node) const override;
    std::string noRecordMessage() const override { return "Please select Diary page!"; }
    void store() override;
    void listRecords() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void select(NodeHandle node);

    DiaryTable& table_;
    const AppSettings& settings_;
};

}  // namespace veltrin
