#pragma once

#include "documents/CDocumentView.h"
#include "documents/DocumentTrees.h"

namespace veltrin {

struct AppSettings;

// The Notes view of the main window: a tree of notes, each its own page.
class CNotesView : public CDocumentView {
    Q_OBJECT
public:
    CNotesView(NoteTable& table, const AppSettings& settings, QWidget* parent = nullptr);

    // SaveAll's view of the note tree; the view first takes the editor's
    // text into the current note and a name being typed into its note.
    NoteViews saveState();

    void runCommand(int command) override;
    // A new note next to or under the current one, from a template.
    void newNote(int command, const QString& name, bool bold, int icon, const std::string& templateName);
    // Name (as stored), bold flag and icon of the current note; a template, when given,
    // replaces its text after asking.
    void editNote(const std::string& name, bool bold, int icon, const std::string& templateName);
    void removeNote();
    // After notes were added to the table (an import, which first took the
    // tree's notes into it): shows the table again and stores it.
    void showStoredNotes();

protected:
    unsigned OnTreeNotify(const TreeNotification& n) override;
    TextPayload payload(NodeHandle node) const override;
    void setPayload(NodeHandle node, const TextPayload& p) override;
    std::string exportName(NodeHandle node) const override;
    std::string noRecordMessage() const override { return "No note selected!"; }
    void store() override;
    void listRecords() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void select(NodeHandle node);

    NoteTable& table_;
    const AppSettings& settings_;
    int editableStyle_ = -1;
};

}  // namespace veltrin
