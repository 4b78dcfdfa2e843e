#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "controls/CViewBase.h"
#include "documents/DocumentRules.h"
#include "tree/GroupTreeModel.h"

class QComboBox;
class QLabel;

namespace veltrin {

class CGroupTree;
class CDocumentEditor;
class CSplitter;
class CToolStrip;

// What the Diary and Notes views share: the record list or tree on the left,
// the editor with its two toolbars, font boxes and caption on the right, the
// binding along the editor, the splitter, the editing commands, design mode
// and export. The editor's text only ever goes back into the record it was
// loaded from.
class CDocumentView : public CViewBase, protected GroupTreeListener {
    Q_OBJECT
public:
    CDocumentView(const QString& caption, QWidget* parent = nullptr);

    // The record list or tree, with the view's records in it. They are
    // listed when first asked for (at the latest when the view is first
    // shown): a program that only sits in the tray keeps each page once, in
    // its table, and stores the table as loaded.
    CGroupTree* tree();
    const CGroupTree* tree() const { return tree_; }
    bool recordsListed() const { return listed_; }
    // The editor, made now if the view has not been shown yet: the document
    // engine is loaded and started only when a page is first needed.
    CDocumentEditor* editor();
    bool hasEditor() const { return editor_ != nullptr; }
    CToolStrip* ownToolbar() const { return ownBar_; }
    QLabel* captionLabel() const { return caption_; }
    QComboBox* fontNameBox() const { return fontName_; }
    QComboBox* fontSizeBox() const { return fontSize_; }
    NodeHandle currentNode() const { return current_; }

    // Takes the editor's text into the current record when the page changed
    // since it was shown and could be read whole.
    void commitEditor();
    // The last commit before the program ends: short, so a slow renderer
    // cannot hold up the end; nothing is read from the editor after it.
    void finishEditing();
    // Commands of the toolbars, the menus and the window.
    virtual void runCommand(int command);

    void viewHidden() override;
    void setListColours(const ListColours& colours) override;
    void setToolbarColour(const QColor& colour) override;

    // Where the export dialogs ask for a file; tests answer instead.
    using SavePathAsker = std::function<QString(const QString& suggested, bool html)>;
    void setSavePathAsker(SavePathAsker asker) { askSavePath_ = std::move(asker); }

signals:
    // "Import..." or "Export..." (kTreeImport, kTreeExport) of the view's
    // records: the window runs them, as they reach beyond the view.
    void interopRequested(int command);

protected:
    // The record behind a node, in the slot this view uses.
    virtual TextPayload payload(NodeHandle node) const = 0;
    virtual void setPayload(NodeHandle node, const TextPayload& p) = 0;
    virtual std::string exportName(NodeHandle node) const = 0;
    virtual std::string noRecordMessage() const = 0;
    // Stores the view's data file.
    virtual void store() = 0;
    // Lists the table's records in the tree, selecting the current one.
    virtual void listRecords() = 0;
    // The tree without listing: for the view's own set-up.
    CGroupTree* treeControl() const { return tree_; }

    // Shows a record in the editor (or an empty page for none).
    void showRecord(NodeHandle node);
    void setCurrent(NodeHandle node) { current_ = node; }
    // Loads a template and takes its body; false after the missing-template
    // message, with the editor emptied (a new record never copies the page
    // before).
    bool templateBody(const std::string& name, TemplateUse use, std::string& html);
    void clearEditor();
    // The editor's first document: the default template (its message when
    // missing), nothing selected, design mode off.
    void startWithTemplate(const std::string& name, TemplateUse use);
    void focusEditor();

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

    CToolStrip* ownBar_ = nullptr;

private:
    void commitWithin(int waitMs);
    void createEditor();
    void layOut();
    void switchDesignMode();
    void exportDocument(bool html);
    bool needDesign();
    void insertPicture();
    void createLink();
    void find();
    void printPreview();
    void print();

    CGroupTree* tree_ = nullptr;
    CDocumentEditor* editor_ = nullptr;
    CToolStrip* clipboardBar_ = nullptr;
    CToolStrip* formatBar_ = nullptr;
    QComboBox* fontName_ = nullptr;
    QComboBox* fontSize_ = nullptr;
    QLabel* caption_ = nullptr;
    CSplitter* splitter_ = nullptr;
    QRect editorRect_;
    // What a new editor shows when no record is current: the start
    // template as read at start, or nothing once a page was shown or cleared.
    std::optional<std::string> startDocument_;
    QPixmap binding_[3];  // made once: converting on every paint is slow
    QColor panel_ = QColor(0xe8, 0xf0, 0xfa);
    NodeHandle current_ = kNoNode;
    bool finished_ = false;
    bool listed_ = false;
    SavePathAsker askSavePath_;
};

}  // namespace veltrin
