#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Colour.h"

namespace veltrin {

// Names a node for as long as it lives. 0 is no node, 1 the invisible root;
// real handles carry a generation, so a stale handle never names a newer node
// and no real handle can be mistaken for 0 to 4.
using NodeHandle = std::uint64_t;
constexpr NodeHandle kNoNode = 0;
constexpr NodeHandle kRootNode = 1;

// The "where" of InsertItem besides a sibling's handle.
constexpr NodeHandle kInsertLast = 2;
constexpr NodeHandle kInsertFirst = 3;
constexpr NodeHandle kInsertFirstSorted = 4;

enum TreeRelation {
    kFirstChild = 301,
    kLastChild = 302,
    kNextSibling = 303,
    kNextRow = 304,
    kPrevSibling = 305,
    kPrevRow = 306,
    kParent = 307,
    kShownAncestor = 308,
    kTopAncestor = 309,
    kFirstShown = 311,
    kLastShown = 312,
};

enum TreeNotifyCode {
    kNotifyCollapsedChanged = 1225,
    kNotifyCheckClicked = 1226,
    kNotifyDeleting = 1227,
    kNotifySelectionChanged = 1228,
    kNotifyBeginEdit = 1229,
    kNotifyEndEdit = 1230,
    kNotifyCellButton = 1231,
    kNotifyDropDown = 1232,
};

// Bits of the owner's answer.
constexpr unsigned kAnswerRefuse = 1;    // bit 0: do not toggle / open / take the text
constexpr unsigned kAnswerKeepOpen = 2;  // bit 1: leave the editor open

// Cell style flags.
constexpr unsigned kStyleButton = 2;
constexpr unsigned kStyleCheck = 4;
constexpr unsigned kStyleEditable = 8;
constexpr unsigned kStyleDropDown = 0x10;  // together with kStyleButton

enum class ColumnAlign { Left = 0, Right = 1, Centre = 2 };

class GroupTreeModel;

struct TreeNotification {
    const GroupTreeModel* sender = nullptr;
    int controlId = 0;
    int code = 0;
    NodeHandle node = kNoNode;
    int column = -1;
    std::string text;
    int image = -1;
    int check = 0;  // for 1226 and 1231: the state the box takes unless refused
    int collapsed = 0;
    std::int32_t value = 0;
    // 1230 of a save taking the text while the user goes on typing: the edit
    // stays open whatever the answer, and the owner takes the text into its
    // record without starting a save of its own (one is under way).
    bool stillEditing = false;
};

// Implemented by the owner of the tree (a view). The answer is the bit set
// above; notifications that ignore it take any value.
class GroupTreeListener {
public:
    virtual ~GroupTreeListener() = default;
    virtual unsigned OnTreeNotify(const TreeNotification& n) = 0;
};

// Implemented by whatever draws the tree.
class GroupTreeObserver {
public:
    virtual ~GroupTreeObserver() = default;
    virtual void RowsChanged() {}
    virtual void NodeChanged(NodeHandle) {}
    virtual void EnsureVisible(NodeHandle) {}
    virtual void EditEnded() {}  // the editor or drop-down must close
};

struct TextPayload {
    std::string html;
    std::int32_t value = 0;  // a page's date or a note's creation time
    bool operator==(const TextPayload& o) const { return html == o.html && value == o.value; }
};

struct CellChoice {
    std::string text;
    std::int32_t value = 0;
};

struct TreeColumn {
    std::string title;
    ColumnAlign align = ColumnAlign::Left;
    int width = 100;
    bool sortDescending = false;  // direction of the next header click
    std::optional<Colour> textColour, backColour;
    int defaultStyle = -1;
};

// The parts of a tree-column cell, left to right, in pixels from the cell's
// left edge. Other columns have no indentation and no button.
struct CellLayout {
    int buttonLeft = 0, checkLeft = 0, iconLeft = 0, textLeft = 0;
    int box = 0;  // S + 4, the side of the button, check and icon squares
    bool hasButtonSpace = false, hasCheck = false, hasIcon = false;
};

enum class CellPart { None, Button, Check, Icon, Text, CellButton };

// A cell's text as a row of one line shows it: each run of line breaks
// becomes one blank and breaks at either end are dropped, so a field of
// several lines neither spills out of its row nor hides what follows.
std::string OneLineText(const std::string& text);

enum class TreeKey { Tab, BackTab, Up, Down, PageUp, PageDown, Home, End, Left, Right, Expand, Collapse };

// What a mouse press asks the drawing side to do next.
enum class ClickResult { Nothing, OpenEditor, OpenDropDown };

// The nodes, rows, selection and rules of the tree-list control, without any
// drawing. Every view keeps its records in one of these.
class GroupTreeModel {
public:
    GroupTreeModel();
    ~GroupTreeModel();
    GroupTreeModel(const GroupTreeModel&) = delete;
    GroupTreeModel& operator=(const GroupTreeModel&) = delete;

    void SetListener(GroupTreeListener* l) { listener_ = l; }
    void SetObserver(GroupTreeObserver* o) { observer_ = o; }
    void SetControlId(int id) { controlId_ = id; }
    int ControlId() const { return controlId_; }

    // Structure.
    NodeHandle InsertItem(NodeHandle parent, NodeHandle where, const std::string& text, int image = -1,
                          int style = -1);
    // A row whose cells, from the first on, take these texts: a list taking
    // many records makes each row in one go. image and style as InsertItem.
    NodeHandle InsertItemWithTexts(NodeHandle parent, NodeHandle where,
                                   const std::vector<std::string_view>& texts, int image = -1,
                                   int style = -1);
    void DeleteItem(NodeHandle node);
    NodeHandle GetNextItem(NodeHandle node, int relation) const;
    NodeHandle GetChildItem(NodeHandle parent, int index) const;
    int GetChildCount(NodeHandle parent) const;
    int GetDepth(NodeHandle node) const;
    int IsCollapsed(NodeHandle node) const;
    void SetCollapsed(NodeHandle node, int collapse);
    // Collapse all / Expand all: every node in pre-order, redrawing held off.
    void SetAllCollapsed(bool collapse);
    bool HasChildren(NodeHandle node) const { return GetChildCount(node) > 0; }
    void SwapItems(NodeHandle a, NodeHandle b);
    bool IsValid(NodeHandle node) const;
    // The node after this one in pre-order over every node, shown or not;
    // levelStep gets +1 for a first child, 0 for a sibling, -k after a climb.
    NodeHandle NextInPreorder(NodeHandle node, int* levelStep = nullptr) const;
    std::size_t NodeCount() const { return liveCount_; }

    // Cells.
    std::string GetItemText(NodeHandle node, int column) const;
    // Takes a view so a caller's bytes are copied once, straight into the cell.
    void SetItemText(NodeHandle node, int column, std::string_view text);
    int GetItemImage(NodeHandle node, int column) const;
    void SetItemImage(NodeHandle node, int column, int image);
    int GetCheck(NodeHandle node, int column) const;
    void SetCheck(NodeHandle node, int column, int state);
    std::int32_t GetItemValue(NodeHandle node, int column) const;
    void SetItemValue(NodeHandle node, int column, std::int32_t value);
    int GetCellStyle(NodeHandle node, int column) const;  // as set, -1 = column default
    int EffectiveStyle(NodeHandle node, int column) const;
    unsigned StyleFlags(NodeHandle node, int column) const;
    void SetCellStyle(NodeHandle node, int column, int style);
    int GetBold(NodeHandle node) const;
    void SetBold(NodeHandle node, int bold);
    void SetItemColours(NodeHandle node, std::optional<Colour> text, std::optional<Colour> back);
    std::optional<Colour> GetItemTextColour(NodeHandle node) const;
    std::optional<Colour> GetItemBackColour(NodeHandle node) const;

    // Application slots, each read and written whole.
    void SetPagePayload(NodeHandle node, const TextPayload& p);
    TextPayload GetPagePayload(NodeHandle node) const;
    void SetNotePayload(NodeHandle node, const TextPayload& p);
    TextPayload GetNotePayload(NodeHandle node) const;
    void SetGroupId(NodeHandle node, std::int32_t id);
    std::int32_t GetGroupId(NodeHandle node) const;
    void SetContactGroupId(NodeHandle node, std::int32_t id);
    std::int32_t GetContactGroupId(NodeHandle node) const;
    template <class Record>
    void SetEventRecord(NodeHandle node, const Record& r) {
        if (Extra* s = slotsFor(node)) s->eventRecord = r;
    }
    template <class Record>
    Record GetEventRecord(NodeHandle node) const {
        return recordFrom<Record>(node, &Extra::eventRecord);
    }
    // The record in place, for reading on every tick without a copy; null
    // when the node holds none of that type.
    template <class Record>
    const Record* PeekEventRecord(NodeHandle node) const {
        const Node* n = find(node);
        return n && n->extra ? std::any_cast<Record>(&n->extra->eventRecord) : nullptr;
    }
    // A record handed over as a temporary is moved in, not copied.
    template <class Record>
    void SetContactRecord(NodeHandle node, Record&& r) {
        if (Extra* s = slotsFor(node)) s->contactRecord = std::forward<Record>(r);
    }
    template <class Record>
    Record GetContactRecord(NodeHandle node) const {
        return recordFrom<Record>(node, &Extra::contactRecord);
    }

    // Cell styles.
    int AddCellStyle(unsigned flags);
    unsigned GetStyleFlags(int style) const;
    void AddCellChoice(int style, const std::string& text, std::int32_t value);
    std::vector<CellChoice> GetCellChoices(int style) const;

    // Columns.
    int InsertColumn(int index, const std::string& title, ColumnAlign align, int width);
    void DeleteColumn(int index);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const TreeColumn* Column(int index) const;
    void SetColumnWidth(int index, int width);
    void SetColumnDefaultStyle(int index, int style);
    void SetColumnColours(int index, std::optional<Colour> text, std::optional<Colour> back);
    void SetTreeColumn(int column) { treeColumn_ = column; }  // -1 = a flat list
    int TreeColumnIndex() const { return treeColumn_; }
    // The column that carries a row's name, bold face and tree: the tree
    // column, or the first column of a flat list.
    int TextColumn() const { return treeColumn_ >= 0 ? treeColumn_ : 0; }

    // List-wide look.
    void SetListColours(Colour text, Colour back) {
        listText_ = text;
        listBack_ = back;
    }
    Colour ListTextColour() const { return listText_; }
    Colour ListBackColour() const { return listBack_; }
    void SetBoxSize(int s) { boxSize_ = s > 0 ? s : 1; }
    int BoxSize() const { return boxSize_; }
    void SetLinesPerRow(int n) { linesPerRow_ = n > 0 ? n : 1; }
    int LinesPerRow() const { return linesPerRow_; }
    int RowHeight() const { return boxSize_ * linesPerRow_ + 4; }
    void SetButtonImages(int collapsedImage, int expandedImage) {
        buttonCollapsed_ = collapsedImage;
        buttonExpanded_ = expandedImage;
    }
    int ButtonImage(bool collapsed) const { return collapsed ? buttonCollapsed_ : buttonExpanded_; }

    // Selection.
    void SetFullRowSelect(bool on);
    bool FullRowSelect() const { return fullRow_; }
    void SelectItem(NodeHandle node, int column, bool scroll = true);
    NodeHandle GetSelectedItem() const;
    int GetSelectedColumn() const { return selColumn_; }

    NodeHandle FindItem(NodeHandle parent, NodeHandle first, int column, const std::string& text,
                        bool caseInsensitive) const;

    // Sorting. The compare routine answers <0, 0 or >0 as a would come before b.
    using CompareFn = std::function<int(const GroupTreeModel&, NodeHandle a, NodeHandle b, int column)>;
    void SetCompare(CompareFn fn);
    void SortChildren(int column, NodeHandle node, bool recursive, bool descending = false);
    void SortByHeader(int column);  // ascending first, then alternating

    // Rows: the pre-order of the nodes whose ancestors are all expanded.
    int RowCount() const;
    NodeHandle NodeAtRow(int row) const;
    int GetRow(NodeHandle node) const;  // -1 while hidden

    // Redraw is held off while the count is above zero; the last release
    // tells the observer once.
    void SetRedraw(bool on);

    // Geometry of a cell of the node, for drawing and hit testing.
    CellLayout LayoutCell(NodeHandle node, int column) const;
    // The same for a cell of that style, with or without an icon, at a depth
    // (1 for top-level nodes), before any row holds it: for sizing columns.
    CellLayout LayoutCell(int column, unsigned styleFlags, bool hasIcon, int depth = 1) const;
    CellPart PartAt(NodeHandle node, int column, int xInCell, int cellWidth) const;

    // Input rules, shared by the widget and the tests.
    ClickResult Click(NodeHandle node, int column, CellPart part, bool doubleClick);
    bool HandleKey(TreeKey key, int rowsPerPage);
    // Space, or the small button of a button cell.
    ClickResult ActOnCell(NodeHandle node, int column);
    // Space: the selected cell, or in full-row mode the row's first cell
    // with a button or a check box.
    ClickResult PressSpace();
    void ToggleCheckByClick(NodeHandle node, int column);

    // In-place editing. BeginEdit asks the owner (1229); EndEdit reports the
    // text (1230) and answers whether the editor closes.
    bool CanEdit(NodeHandle node, int column) const;
    bool BeginEdit(NodeHandle node, int column);
    bool BeginDropDown(NodeHandle node, int column);
    bool EndEdit(const std::string& text);
    // A save while the editor is open: reports the text as EndEdit does
    // (1230, marked stillEditing) and gives the cell the text unless the
    // owner refuses it, but the edit stays open. A later cancel keeps what
    // was taken: it is in the record and in the file written since.
    void TakeEditText(const std::string& text);
    void EndDropDown(const std::string& text, std::int32_t value);
    void CancelEdit();
    bool Editing() const { return editNode_ != nullptr; }
    NodeHandle EditNode() const;
    int EditColumn() const { return editColumn_; }
    // The cell that Enter, F2 or a typed letter would edit: the selected cell,
    // or in full-row mode the first editable cell of the selected row.
    int EditTargetColumn() const;
    // Tab after an edit: the next cell, then its editor if it has one.
    bool MoveToNextCell(bool backwards);

private:
    // 40 bytes: a list of 100 000 rows keeps four of these per row.
    struct Cell {
        Cell() = default;
        explicit Cell(std::string_view t) : text(t) {}
        std::string text;
        std::int32_t value = 0;
        std::int16_t image = -1;
        std::int8_t style = -1;
        std::int8_t check = 0;
    };
    static constexpr int kMaxImage = 32767;
    static constexpr int kMaxStyles = 127;
    // What few nodes carry: colour overrides and the application slots.
    struct Extra {
        TextPayload page, note;
        std::int32_t groupId = 0, contactGroupId = 0;
        std::any eventRecord, contactRecord;
        std::optional<Colour> textColour, backColour;
    };
    // Kept small: the walks over every node are bound by memory traffic.
    struct Node {
        Node* parent = nullptr;
        std::vector<Node*> children;
        std::vector<Cell> cells;
        std::unique_ptr<Extra> extra;
        NodeHandle handle = kNoNode;  // generation in the high half, slot in the low
        std::uint32_t index = 0;      // position in the parent's children
        int depth = 0;
        int row = -1;
        bool bold = false;
        bool collapsed = true;
        bool alive = false;
    };
    struct Style {
        unsigned flags = 0;
        std::vector<CellChoice> choices;
    };

    Node* find(NodeHandle h) const;
    Node* newNode();
    void freeNode(Node* n);
    Cell* cellFor(NodeHandle h, int column, Node** owner = nullptr);
    static void clearCell(Cell& c);
    void setTextColumnLook(Node* n, int image, int style);
    // Puts a node made by newNode in place under p and into the rows.
    NodeHandle link(Node* n, Node* p, NodeHandle where);
    const Cell* cellAt(const Node* n, int column) const;
    Extra* slotsFor(NodeHandle h);
    template <class Record>
    Record recordFrom(NodeHandle h, std::any Extra::*member) const {
        const Node* n = find(h);
        if (!n || !n->extra) return Record{};
        const Record* r = std::any_cast<Record>(&(n->extra.get()->*member));
        return r ? *r : Record{};
    }

    bool isShown(const Node* n) const;
    bool isLastInPreorder(const Node* n) const;
    static bool isAncestor(const Node* a, const Node* n);
    Node* nextRow(const Node* n) const;
    Node* nextPreorder(const Node* n, int* levelStep) const;
    void setCollapsed(Node* n, bool want, bool keepRows);
    Node* prevRow(const Node* n) const;
    Node* lastShownDescendant(Node* n) const;
    void rowsChanged();
    void nodeChanged(const Node* n);
    void rebuildRows() const;
    void appendShownRows(const Node* under) const;  // the rows of its shown descendants, at the end
    void deleteNode(Node* n, bool detach, Node* afterRootDelete);
    void select(Node* n, int column, bool scroll);
    int clampColumn(int column) const;
    unsigned notify(int code, const Node* n, int column, const Cell* cell = nullptr,
                    const std::string* text = nullptr, int check = -1, bool stillEditing = false);
    // 1230 for the open edit; the cell takes the text unless refused. The
    // owner's answer, or kAnswerGone when it removed the node meanwhile.
    static constexpr unsigned kAnswerGone = 0x80000000u;
    unsigned reportEdit(const std::string& text, bool stillEditing);
    void sortNode(Node* n, int column, bool descending);
    void reindex(Node* parent, std::size_t from);
    int rowOfSelectionForKeys() const;

    Node root_;
    // Nodes live in fixed chunks, so they stay put and are made without one
    // allocation each; a freed slot is reused under a new generation.
    static constexpr std::uint32_t kChunk = 256;
    Node& slot(std::uint32_t index) const { return chunks_[index / kChunk][index % kChunk]; }
    std::vector<std::unique_ptr<Node[]>> chunks_;
    std::uint32_t slotCount_ = 0;
    std::vector<std::uint32_t> freeSlots_;
    std::vector<Node*> scratch_;
    std::uint64_t mutations_ = 0;  // structural changes, to spot one made from a notification
    std::size_t liveCount_ = 0;

    mutable std::vector<Node*> rows_;
    mutable bool rowsDirty_ = false;

    std::vector<TreeColumn> columns_;
    std::vector<Style> styles_;
    int treeColumn_ = 0;
    Colour listText_ = 0x00000000;
    Colour listBack_ = 0x00FFFFFF;
    int boxSize_ = 16;
    int linesPerRow_ = 1;
    int buttonCollapsed_ = -1, buttonExpanded_ = -1;
    bool fullRow_ = false;
    Node* sel_ = nullptr;
    int selColumn_ = -1;
    Node* editNode_ = nullptr;
    int editColumn_ = -1;
    bool dropDown_ = false;
    bool reportingEdit_ = false;  // the owner is handling a 1230
    int redrawHold_ = 0;
    bool changedWhileHeld_ = false;
    CompareFn compare_;
    GroupTreeListener* listener_ = nullptr;
    GroupTreeObserver* observer_ = nullptr;
    int controlId_ = 0;
};

}  // namespace veltrin
