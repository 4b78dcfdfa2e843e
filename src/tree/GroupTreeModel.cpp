#include "tree/GroupTreeModel.h"
#include "base/Text.h"

#include <algorithm>

namespace veltrin {

namespace {

// Cells past this are refused: a column index that large is a caller's fault.
constexpr int kMaxColumns = 256;

NodeHandle makeHandle(std::uint32_t generation, std::uint32_t index) {
    return (static_cast<NodeHandle>(generation) << 32) | index;
}

}  // namespace

GroupTreeModel::GroupTreeModel() {
    root_.collapsed = false;
    root_.alive = true;
    root_.handle = kRootNode;
}

GroupTreeModel::~GroupTreeModel() = default;

// ---------------------------------------------------------------- nodes

GroupTreeModel::Node* GroupTreeModel::find(NodeHandle h) const {
    if (h == kRootNode) return const_cast<Node*>(&root_);
    const std::uint32_t generation = static_cast<std::uint32_t>(h >> 32);
    const std::uint32_t index = static_cast<std::uint32_t>(h);
    if (index >= slotCount_) return nullptr;
    Node* n = &slot(index);
    return (n->alive && static_cast<std::uint32_t>(n->handle >> 32) == generation) ? n : nullptr;
}

bool GroupTreeModel::IsValid(NodeHandle node) const { return find(node) != nullptr; }

GroupTreeModel::Node* GroupTreeModel::newNode() {
    std::uint32_t index;
    if (!freeSlots_.empty()) {
        index = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        index = slotCount_++;
        if (index % kChunk == 0) chunks_.push_back(std::make_unique<Node[]>(kChunk));
    }
    Node* n = &slot(index);
    std::uint32_t generation = static_cast<std::uint32_t>(n->handle >> 32) + 1;
    if (generation == 0) generation = 1;
    n->alive = true;
    n->collapsed = true;
    n->bold = false;
    n->row = -1;
    n->handle = makeHandle(generation, index);
    ++liveCount_;
    return n;
}

void GroupTreeModel::freeNode(Node* n) {
    n->alive = false;
    n->parent = nullptr;
    n->children.clear();
    n->extra.reset();  // the cells are cleared on reuse, sparing a pass over them here
    freeSlots_.push_back(static_cast<std::uint32_t>(n->handle));
    --liveCount_;
}

const GroupTreeModel::Cell* GroupTreeModel::cellAt(const Node* n, int column) const {
    if (!n || column < 0 || static_cast<std::size_t>(column) >= n->cells.size()) return nullptr;
    return &n->cells[column];
}

GroupTreeModel::Cell* GroupTreeModel::cellFor(NodeHandle h, int column, Node** owner) {
    Node* n = find(h);
    if (!n || n == &root_ || column < 0 || column >= kMaxColumns) return nullptr;
    if (static_cast<std::size_t>(column) >= n->cells.size()) n->cells.resize(column + 1);
    if (owner) *owner = n;
    return &n->cells[column];
}

GroupTreeModel::Extra* GroupTreeModel::slotsFor(NodeHandle h) {
    Node* n = find(h);
    if (!n || n == &root_) return nullptr;
    if (!n->extra) n->extra = std::make_unique<Extra>();
    return n->extra.get();
}

bool GroupTreeModel::isShown(const Node* n) const {
    for (const Node* a = n->parent; a; a = a->parent)
        if (a->collapsed) return false;
    return n != &root_;
}

bool GroupTreeModel::isLastInPreorder(const Node* n) const {
    for (const Node* a = n; a != &root_; a = a->parent)
        if (a->index + 1 != a->parent->children.size()) return false;
    return true;
}

bool GroupTreeModel::isAncestor(const Node* a, const Node* n) {
    for (const Node* p = n ? n->parent : nullptr; p; p = p->parent)
        if (p == a) return true;
    return false;
}

void GroupTreeModel::reindex(Node* parent, std::size_t from) {
    for (std::size_t i = from; i < parent->children.size(); ++i)
        parent->children[i]->index = static_cast<std::uint32_t>(i);
}

void GroupTreeModel::rowsChanged() {
    if (redrawHold_ > 0) {
        changedWhileHeld_ = true;
        return;
    }
    if (observer_) observer_->RowsChanged();
}

void GroupTreeModel::nodeChanged(const Node* n) {
    if (!n || n == &root_) return;
    if (redrawHold_ > 0) {
        changedWhileHeld_ = true;
        return;
    }
    if (observer_) observer_->NodeChanged(n->handle);
}

void GroupTreeModel::SetRedraw(bool on) {
    if (!on) {
        ++redrawHold_;
        return;
    }
    if (redrawHold_ > 0 && --redrawHold_ == 0 && changedWhileHeld_) {
        changedWhileHeld_ = false;
        if (observer_) observer_->RowsChanged();
    }
}

unsigned GroupTreeModel::notify(int code, const Node* n, int column, const Cell* cell,
                                const std::string* text, int check, bool stillEditing) {
    if (!listener_) return 0;
    TreeNotification rec;
    rec.sender = this;
    rec.controlId = controlId_;
    rec.code = code;
    rec.node = n ? n->handle : kNoNode;
    rec.column = column;
    if (cell) {
        rec.text = cell->text;
        rec.image = cell->image;
        rec.check = cell->check;
        rec.value = cell->value;
    }
    if (text) rec.text = *text;
    if (check >= 0) rec.check = check;
    rec.collapsed = n ? IsCollapsed(n->handle) : 0;
    rec.stillEditing = stillEditing;
    return listener_->OnTreeNotify(rec);
}

// ---------------------------------------------------------------- structure

NodeHandle GroupTreeModel::InsertItem(NodeHandle parent, NodeHandle where, const std::string& text, int image,
                                      int style) {
    Node* p = find(parent);
    if (!p) return kNoNode;
    Node* n = newNode();
    // A reused slot keeps its cells' storage; only their contents start afresh.
    for (Cell& c : n->cells) clearCell(c);
    n->cells.resize(std::max<std::size_t>(TextColumn() + 1, columns_.size()));
    n->cells[TextColumn()].text = text;
    setTextColumnLook(n, image, style);
    return link(n, p, where);
}

NodeHandle GroupTreeModel::InsertItemWithTexts(NodeHandle parent, NodeHandle where,
                                               const std::vector<std::string_view>& texts, int image,
                                               int style) {
    Node* p = find(parent);
    if (!p) return kNoNode;
    Node* n = newNode();
    const std::size_t count = std::min<std::size_t>(texts.size(), kMaxColumns);
    const std::size_t size = std::max({count, columns_.size(), static_cast<std::size_t>(TextColumn()) + 1});
    auto& cells = n->cells;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        clearCell(cells[c]);
        if (c < count) cells[c].text.assign(texts[c].data(), texts[c].size());
    }
    // Cells are made with their text, not made empty and then filled.
    cells.reserve(size);
    for (std::size_t c = cells.size(); c < count; ++c) cells.emplace_back(texts[c]);
    cells.resize(size);
    setTextColumnLook(n, image, style);
    return link(n, p, where);
}

void GroupTreeModel::clearCell(Cell& c) {
    c.text.clear();
    c.value = 0;
    c.image = -1;
    c.style = -1;
    c.check = 0;
}

void GroupTreeModel::setTextColumnLook(Node* n, int image, int style) {
    Cell& cell = n->cells[TextColumn()];
    cell.image = static_cast<std::int16_t>(image >= 0 && image <= kMaxImage ? image : -1);
    cell.style =
        static_cast<std::int8_t>(style >= 0 && static_cast<std::size_t>(style) < styles_.size() ? style : -1);
}

NodeHandle GroupTreeModel::link(Node* n, Node* p, NodeHandle where) {
    ++mutations_;
    n->parent = p;
    n->depth = p->depth + 1;
    Node* after = nullptr;
    if (where != kInsertLast && where != kInsertFirst && where != kInsertFirstSorted) {
        after = find(where);
        if (after && after->parent != p) after = nullptr;  // not a sibling: append
    }
    std::size_t pos = p->children.size();
    if (where == kInsertFirst || where == kInsertFirstSorted)
        pos = 0;
    else if (after)
        pos = after->index + 1;
    if (pos == p->children.size()) {
        n->index = static_cast<std::uint32_t>(pos);
        p->children.push_back(n);
    } else {
        p->children.insert(p->children.begin() + static_cast<std::ptrdiff_t>(pos), n);
        reindex(p, pos);
    }
    if (where == kInsertFirstSorted) sortNode(p, TextColumn(), false);

    if (isShown(n)) {
        if (!rowsDirty_ && isLastInPreorder(n)) {
            n->row = static_cast<int>(rows_.size());
            rows_.push_back(n);
        } else {
            rowsDirty_ = true;
        }
        rowsChanged();
    }
    if (p != &root_ && isShown(p)) nodeChanged(p);  // its button shows from the first child on
    return n->handle;
}

void GroupTreeModel::DeleteItem(NodeHandle node) {
    Node* n = find(node);
    if (!n) return;
    ++mutations_;
    if (editNode_ && (editNode_ == n || isAncestor(n, editNode_))) CancelEdit();

    // Everything below the node goes without touching the selection, which
    // the node's own collapse has moved out of the subtree.
    auto retire = [this](Node* x, Node* replacement) {
        setCollapsed(x, true, true);
        notify(kNotifyDeleting, x, -1, cellAt(x, TextColumn()));
        if (sel_ == x) select(replacement, selColumn_, false);
        std::vector<Node*> stack(x->children.rbegin(), x->children.rend());
        while (!stack.empty()) {
            Node* d = stack.back();
            stack.pop_back();
            if (!d->alive) continue;
            if (!d->collapsed) {
                d->collapsed = true;
                notify(kNotifyCollapsedChanged, d, -1);
            }
            notify(kNotifyDeleting, d, -1, cellAt(d, TextColumn()));
            stack.insert(stack.end(), d->children.rbegin(), d->children.rend());
        }
    };
    auto freeSubtree = [this](Node* x) {
        std::vector<Node*>& stack = scratch_;  // nothing below calls out
        stack.assign(1, x);
        while (!stack.empty()) {
            Node* d = stack.back();
            stack.pop_back();
            stack.insert(stack.end(), d->children.begin(), d->children.end());
            if (d == sel_) sel_ = nullptr;  // the owner reselected inside: drop it
            if (d == editNode_) editNode_ = nullptr;
            freeNode(d);
        }
    };

    if (n == &root_) {
        SetRedraw(false);
        // One by one from the first; the earlier ones are gone, so a selected
        // last node leaves no selection.
        for (std::size_t i = 0; i < root_.children.size(); ++i) {
            Node* c = root_.children[i];
            Node* next = i + 1 < root_.children.size() ? root_.children[i + 1] : nullptr;
            retire(c, next);
        }
        // Freed last to first, so that the next fill reuses them in memory order.
        for (auto it = root_.children.rbegin(); it != root_.children.rend(); ++it) freeSubtree(*it);
        root_.children.clear();
        rows_.clear();
        rowsDirty_ = false;
        changedWhileHeld_ = true;
        SetRedraw(true);
        return;
    }

    Node* p = n->parent;
    Node* replacement = n->index + 1 < p->children.size() ? p->children[n->index + 1] : prevRow(n);
    retire(n, replacement);
    if (!n->alive) return;  // the owner deleted it while being told
    const bool shown = isShown(n);
    if (shown) {
        if (!rowsDirty_ && n->row >= 0 && static_cast<std::size_t>(n->row) + 1 == rows_.size() &&
            rows_.back() == n)
            rows_.pop_back();
        else
            rowsDirty_ = true;
    }
    p = n->parent;
    const std::size_t at = n->index;
    p->children.erase(p->children.begin() + static_cast<std::ptrdiff_t>(at));
    reindex(p, at);
    freeSubtree(n);
    if (shown) rowsChanged();
    nodeChanged(p);
}

void GroupTreeModel::SetCollapsed(NodeHandle node, int collapse) {
    Node* n = find(node);
    if (!n || n == &root_) return;  // the root is always expanded
    ++mutations_;
    setCollapsed(n, collapse != 0, true);
}

void GroupTreeModel::setCollapsed(Node* n, bool want, bool keepRows) {
    if (n->collapsed == want) return;
    if (want && editNode_ && isAncestor(n, editNode_)) CancelEdit();
    n->collapsed = want;
    if (keepRows && !n->children.empty() && isShown(n)) {
        if (!rowsDirty_ && n->row >= 0 && isLastInPreorder(n)) {
            // The subtree is the tail of the rows: cut or extend it in place.
            if (want) {
                rows_.resize(static_cast<std::size_t>(n->row) + 1);
            } else {
                appendShownRows(n);
            }
        } else {
            rowsDirty_ = true;
        }
        rowsChanged();
    }
    notify(kNotifyCollapsedChanged, n, -1);
    if (want && sel_ && isAncestor(n, sel_))
        select(n, selColumn_, false);
    else
        nodeChanged(n);
}

void GroupTreeModel::SetAllCollapsed(bool collapse) {
    SetRedraw(false);
    const std::uint64_t before = ++mutations_;
    // The rows come out of the same walk: every node when all are expanded,
    // the top level when all are collapsed.
    std::vector<Node*> rows;
    rows.reserve(collapse ? root_.children.size() : liveCount_);
    Node* n = root_.children.empty() ? nullptr : root_.children.front();
    while (n) {
        setCollapsed(n, collapse, false);
        if (!collapse || n->parent == &root_) {
            n->row = static_cast<int>(rows.size());
            rows.push_back(n);
        }
        n = nextPreorder(n, nullptr);
    }
    if (mutations_ == before) {
        rows_ = std::move(rows);
        rowsDirty_ = false;
    } else {
        rowsDirty_ = true;  // the owner changed the tree while being told
    }
    changedWhileHeld_ = true;
    SetRedraw(true);
}

int GroupTreeModel::IsCollapsed(NodeHandle node) const {
    const Node* n = find(node);
    if (!n) return 0;
    return (n->collapsed || n->children.empty()) ? 1 : 0;
}

void GroupTreeModel::SwapItems(NodeHandle a, NodeHandle b) {
    Node* x = find(a);
    Node* y = find(b);
    if (!x || !y || x == y || x == &root_ || y == &root_ || x->parent != y->parent) return;
    ++mutations_;
    // Each keeps its subtree, expanded state and the selection inside it.
    std::swap(x->parent->children[x->index], y->parent->children[y->index]);
    std::swap(x->index, y->index);
    if (isShown(x)) {
        rowsDirty_ = true;
        rowsChanged();
    }
    nodeChanged(x);
    nodeChanged(y);
}

GroupTreeModel::Node* GroupTreeModel::lastShownDescendant(Node* n) const {
    while (!n->collapsed && !n->children.empty()) n = n->children.back();
    return n;
}

GroupTreeModel::Node* GroupTreeModel::nextRow(const Node* n) const {
    if (!n->collapsed && !n->children.empty()) return n->children.front();
    for (const Node* a = n; a != &root_; a = a->parent)
        if (a->index + 1 < a->parent->children.size()) return a->parent->children[a->index + 1];
    return nullptr;
}

GroupTreeModel::Node* GroupTreeModel::prevRow(const Node* n) const {
    if (n == &root_) return nullptr;
    if (n->index > 0) return lastShownDescendant(n->parent->children[n->index - 1]);
    return n->parent == &root_ ? nullptr : n->parent;
}

NodeHandle GroupTreeModel::GetNextItem(NodeHandle node, int relation) const {
    Node* n = find(node);
    if (!n) return kNoNode;
    const bool isRoot = n == &root_;
    const Node* r = nullptr;
    switch (relation) {
    case kFirstChild: r = n->children.empty() ? nullptr : n->children.front(); break;
    case kLastChild: r = n->children.empty() ? nullptr : n->children.back(); break;
    case kNextSibling:
        if (!isRoot && n->index + 1 < n->parent->children.size()) r = n->parent->children[n->index + 1];
        break;
    case kPrevSibling:
        if (!isRoot && n->index > 0) r = n->parent->children[n->index - 1];
        break;
    case kNextRow: r = nextRow(n); break;
    case kPrevRow: r = prevRow(n); break;
    case kParent: r = isRoot ? nullptr : n->parent; break;
    case kShownAncestor:
        // The nearest node with a row: above the outermost collapsed ancestor
        // nothing is hidden.
        if (!isRoot) {
            r = n;
            for (const Node* a = n; a->parent != &root_; a = a->parent)
                if (a->parent->collapsed) r = a->parent;
        }
        break;
    case kTopAncestor:
        if (!isRoot) {
            r = n;
            while (r->parent != &root_) r = r->parent;
        }
        break;
    case kFirstShown: r = root_.children.empty() ? nullptr : root_.children.front(); break;
    case kLastShown: r = root_.children.empty() ? nullptr : lastShownDescendant(root_.children.back()); break;
    default: break;
    }
    return r ? r->handle : kNoNode;
}

GroupTreeModel::Node* GroupTreeModel::nextPreorder(const Node* n, int* levelStep) const {
    int step = 0;
    Node* next = nullptr;
    if (!n->children.empty()) {
        next = n->children.front();
        step = 1;
    } else {
        for (const Node* a = n; a->parent && a != &root_; a = a->parent, --step) {
            if (a->index + 1 < a->parent->children.size()) {
                next = a->parent->children[a->index + 1];
                break;
            }
        }
    }
    if (levelStep) *levelStep = step;
    return next;
}

NodeHandle GroupTreeModel::NextInPreorder(NodeHandle node, int* levelStep) const {
    const Node* n = find(node);
    const Node* next = n ? nextPreorder(n, levelStep) : nullptr;
    return next ? next->handle : kNoNode;
}

NodeHandle GroupTreeModel::GetChildItem(NodeHandle parent, int index) const {
    const Node* p = find(parent);
    if (!p || index < 0 || static_cast<std::size_t>(index) >= p->children.size()) return kNoNode;
    return p->children[index]->handle;
}

int GroupTreeModel::GetChildCount(NodeHandle parent) const {
    const Node* p = find(parent);
    return p ? static_cast<int>(p->children.size()) : 0;
}

int GroupTreeModel::GetDepth(NodeHandle node) const {
    const Node* n = find(node);
    return n ? n->depth : 0;
}

// ---------------------------------------------------------------- cells

std::string GroupTreeModel::GetItemText(NodeHandle node, int column) const {
    const Cell* c = cellAt(find(node), column);
    return c ? c->text : std::string();
}

void GroupTreeModel::SetItemText(NodeHandle node, int column, std::string_view text) {
    Node* n = nullptr;
    if (Cell* c = cellFor(node, column, &n)) {
        c->text.assign(text.data(), text.size());
        nodeChanged(n);
    }
}

int GroupTreeModel::GetItemImage(NodeHandle node, int column) const {
    const Cell* c = cellAt(find(node), column);
    return c ? c->image : -1;
}

void GroupTreeModel::SetItemImage(NodeHandle node, int column, int image) {
    Node* n = nullptr;
    if (Cell* c = cellFor(node, column, &n)) {
        c->image = static_cast<std::int16_t>(image >= 0 && image <= kMaxImage ? image : -1);
        nodeChanged(n);
    }
}

int GroupTreeModel::GetCheck(NodeHandle node, int column) const {
    const Cell* c = cellAt(find(node), column);
    return c ? c->check : 0;
}

void GroupTreeModel::SetCheck(NodeHandle node, int column, int state) {
    Node* n = nullptr;
    if (Cell* c = cellFor(node, column, &n)) {
        c->check = static_cast<std::int8_t>((state >= 0 && state <= 2) ? state : 0);
        nodeChanged(n);
    }
}

std::int32_t GroupTreeModel::GetItemValue(NodeHandle node, int column) const {
    const Cell* c = cellAt(find(node), column);
    return c ? c->value : 0;
}

void GroupTreeModel::SetItemValue(NodeHandle node, int column, std::int32_t value) {
    if (Cell* c = cellFor(node, column)) c->value = value;
}

int GroupTreeModel::GetCellStyle(NodeHandle node, int column) const {
    const Cell* c = cellAt(find(node), column);
    return c ? c->style : -1;
}

int GroupTreeModel::EffectiveStyle(NodeHandle node, int column) const {
    const int s = GetCellStyle(node, column);
    if (s >= 0) return s;
    const TreeColumn* col = Column(column);
    return col ? col->defaultStyle : -1;
}

unsigned GroupTreeModel::StyleFlags(NodeHandle node, int column) const {
    return GetStyleFlags(EffectiveStyle(node, column));
}

void GroupTreeModel::SetCellStyle(NodeHandle node, int column, int style) {
    Node* n = nullptr;
    if (Cell* c = cellFor(node, column, &n)) {
        c->style = static_cast<std::int8_t>(
            (style >= 0 && static_cast<std::size_t>(style) < styles_.size()) ? style : -1);
        nodeChanged(n);
    }
}

int GroupTreeModel::GetBold(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->bold ? 1 : 0;
}

void GroupTreeModel::SetBold(NodeHandle node, int bold) {
    Node* n = find(node);
    if (!n || n == &root_) return;
    n->bold = bold != 0;
    nodeChanged(n);
}

void GroupTreeModel::SetItemColours(NodeHandle node, std::optional<Colour> text, std::optional<Colour> back) {
    Extra* x = slotsFor(node);
    if (!x) return;
    x->textColour = text;
    x->backColour = back;
    nodeChanged(find(node));
}

std::optional<Colour> GroupTreeModel::GetItemTextColour(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->textColour : std::nullopt;
}

std::optional<Colour> GroupTreeModel::GetItemBackColour(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->backColour : std::nullopt;
}

// ---------------------------------------------------------------- slots

void GroupTreeModel::SetPagePayload(NodeHandle node, const TextPayload& p) {
    if (Extra* s = slotsFor(node)) s->page = p;
}
TextPayload GroupTreeModel::GetPagePayload(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->page : TextPayload{};
}
void GroupTreeModel::SetNotePayload(NodeHandle node, const TextPayload& p) {
    if (Extra* s = slotsFor(node)) s->note = p;
}
TextPayload GroupTreeModel::GetNotePayload(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->note : TextPayload{};
}
void GroupTreeModel::SetGroupId(NodeHandle node, std::int32_t id) {
    if (Extra* s = slotsFor(node)) s->groupId = id;
}
std::int32_t GroupTreeModel::GetGroupId(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->groupId : 0;
}
void GroupTreeModel::SetContactGroupId(NodeHandle node, std::int32_t id) {
    if (Extra* s = slotsFor(node)) s->contactGroupId = id;
}
std::int32_t GroupTreeModel::GetContactGroupId(NodeHandle node) const {
    const Node* n = find(node);
    return n && n->extra ? n->extra->contactGroupId : 0;
}

// ---------------------------------------------------------------- styles, columns

int GroupTreeModel::AddCellStyle(unsigned flags) {
    if (static_cast<int>(styles_.size()) >= kMaxStyles) return -1;
    styles_.push_back(Style{flags, {}});
    return static_cast<int>(styles_.size()) - 1;
}

unsigned GroupTreeModel::GetStyleFlags(int style) const {
    if (style < 0 || static_cast<std::size_t>(style) >= styles_.size()) return 0;
    return styles_[style].flags;
}

void GroupTreeModel::AddCellChoice(int style, const std::string& text, std::int32_t value) {
    if (style < 0 || static_cast<std::size_t>(style) >= styles_.size()) return;
    styles_[style].choices.push_back(CellChoice{text, value});
}

std::vector<CellChoice> GroupTreeModel::GetCellChoices(int style) const {
    if (style < 0 || static_cast<std::size_t>(style) >= styles_.size()) return {};
    return styles_[style].choices;
}

int GroupTreeModel::InsertColumn(int index, const std::string& title, ColumnAlign align, int width) {
    if (static_cast<int>(columns_.size()) >= kMaxColumns) return -1;
    if (index < 0 || index > static_cast<int>(columns_.size())) index = static_cast<int>(columns_.size());
    TreeColumn c;
    c.title = title;
    c.align = align;
    c.width = std::max(0, width);
    columns_.insert(columns_.begin() + index, c);
    rowsChanged();
    return index;
}

void GroupTreeModel::DeleteColumn(int index) {
    if (index < 0 || index >= static_cast<int>(columns_.size())) return;
    columns_.erase(columns_.begin() + index);
    // The cells of that column go with it, as a list drops its sub-items.
    for (std::uint32_t i = 0; i < slotCount_; ++i)
        if (Node* n = &slot(i); n->alive && static_cast<std::size_t>(index) < n->cells.size())
            n->cells.erase(n->cells.begin() + index);
    if (selColumn_ >= ColumnCount()) selColumn_ = clampColumn(selColumn_);
    rowsChanged();
}

const TreeColumn* GroupTreeModel::Column(int index) const {
    if (index < 0 || index >= static_cast<int>(columns_.size())) return nullptr;
    return &columns_[index];
}

void GroupTreeModel::SetColumnWidth(int index, int width) {
    if (index < 0 || index >= static_cast<int>(columns_.size())) return;
    columns_[index].width = std::max(0, width);
    rowsChanged();
}

void GroupTreeModel::SetColumnDefaultStyle(int index, int style) {
    if (index < 0 || index >= static_cast<int>(columns_.size())) return;
    columns_[index].defaultStyle = style;
}

void GroupTreeModel::SetColumnColours(int index, std::optional<Colour> text, std::optional<Colour> back) {
    if (index < 0 || index >= static_cast<int>(columns_.size())) return;
    columns_[index].textColour = text;
    columns_[index].backColour = back;
    rowsChanged();
}

// ---------------------------------------------------------------- selection

int GroupTreeModel::clampColumn(int column) const {
    if (fullRow_) return -1;
    const int last = std::max(ColumnCount(), 1) - 1;
    return std::clamp(column, 0, last);
}

void GroupTreeModel::SetFullRowSelect(bool on) {
    fullRow_ = on;
    if (sel_) selColumn_ = clampColumn(selColumn_);
    rowsChanged();
}

void GroupTreeModel::select(Node* n, int column, bool scroll) {
    column = n ? clampColumn(column) : -1;
    if (n == sel_ && column == selColumn_) return;
    Node* old = sel_;
    sel_ = n;
    selColumn_ = column;
    nodeChanged(old);
    nodeChanged(n);
    if (scroll && n && observer_ && redrawHold_ == 0) observer_->EnsureVisible(n->handle);
    notify(kNotifySelectionChanged, n, column, cellAt(n, column >= 0 ? column : TextColumn()));
}

void GroupTreeModel::SelectItem(NodeHandle node, int column, bool scroll) {
    if (Editing()) return;
    Node* n = find(node);
    if (!n) return;
    select(n == &root_ ? nullptr : n, column, scroll);
}

NodeHandle GroupTreeModel::GetSelectedItem() const { return sel_ ? sel_->handle : kNoNode; }

NodeHandle GroupTreeModel::FindItem(NodeHandle parent, NodeHandle first, int column, const std::string& text,
                                    bool caseInsensitive) const {
    const Node* p = find(parent);
    if (!p) return kNoNode;
    std::size_t start = 0;
    if (first != kNoNode) {
        const Node* f = find(first);
        if (!f || f->parent != p) return kNoNode;
        start = f->index;
    }
    for (std::size_t i = start; i < p->children.size(); ++i) {
        const Cell* c = cellAt(p->children[i], column);
        const std::string& t = c ? c->text : std::string();
        if (caseInsensitive ? CompareTextsNoCase(t, text) == 0 : t == text) return p->children[i]->handle;
    }
    return kNoNode;
}

// ---------------------------------------------------------------- sorting

void GroupTreeModel::SetCompare(CompareFn fn) { compare_ = std::move(fn); }

void GroupTreeModel::sortNode(Node* n, int column, bool descending) {
    if (n->children.size() < 2) return;
    // A stable sort gives the order that neighbour exchanges until nothing
    // moves would give, without their quadratic time on long lists.
    static const std::string empty;
    auto cmp = [&](const Node* a, const Node* b) {
        int r;
        if (compare_) {
            r = compare_(*this, a->handle, b->handle, column);
        } else {
            const Cell* ca = cellAt(a, column);
            const Cell* cb = cellAt(b, column);
            r = CompareTextsNoCase(ca ? ca->text : empty, cb ? cb->text : empty);
        }
        return descending ? r > 0 : r < 0;
    };
    std::stable_sort(n->children.begin(), n->children.end(), cmp);
    reindex(n, 0);
}

void GroupTreeModel::SortChildren(int column, NodeHandle node, bool recursive, bool descending) {
    Node* n = find(node);
    if (!n || column < 0) return;
    ++mutations_;
    std::vector<Node*> stack{n};
    while (!stack.empty()) {
        Node* d = stack.back();
        stack.pop_back();
        sortNode(d, column, descending);
        if (recursive) stack.insert(stack.end(), d->children.begin(), d->children.end());
    }
    rowsDirty_ = true;
    rowsChanged();
}

void GroupTreeModel::SortByHeader(int column) {
    if (column < 0 || column >= ColumnCount()) return;
    const bool descending = columns_[column].sortDescending;
    SortChildren(column, kRootNode, true, descending);
    columns_[column].sortDescending = !descending;
}

// ---------------------------------------------------------------- rows

void GroupTreeModel::appendShownRows(const Node* under) const {
    std::vector<Node*> stack(under->children.rbegin(), under->children.rend());
    while (!stack.empty()) {
        Node* d = stack.back();
        stack.pop_back();
        d->row = static_cast<int>(rows_.size());
        rows_.push_back(d);
        if (!d->collapsed) stack.insert(stack.end(), d->children.rbegin(), d->children.rend());
    }
}

void GroupTreeModel::rebuildRows() const {
    rows_.clear();
    appendShownRows(&root_);
    rowsDirty_ = false;
}

int GroupTreeModel::RowCount() const {
    if (rowsDirty_) rebuildRows();
    return static_cast<int>(rows_.size());
}

NodeHandle GroupTreeModel::NodeAtRow(int row) const {
    if (rowsDirty_) rebuildRows();
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return kNoNode;
    return rows_[row]->handle;
}

int GroupTreeModel::GetRow(NodeHandle node) const {
    const Node* n = find(node);
    if (!n || !isShown(n)) return -1;
    if (rowsDirty_) rebuildRows();
    return n->row;
}

// ---------------------------------------------------------------- geometry

CellLayout GroupTreeModel::LayoutCell(NodeHandle node, int column) const {
    const Node* n = find(node);
    if (!n || n == &root_) {
        CellLayout l;
        l.box = boxSize_ + 4;
        return l;
    }
    return LayoutCell(column, StyleFlags(node, column), GetItemImage(node, column) >= 0, n->depth);
}

CellLayout GroupTreeModel::LayoutCell(int column, unsigned styleFlags, bool hasIcon, int depth) const {
    CellLayout l;
    l.box = boxSize_ + 4;
    int x = 0;
    if (column == treeColumn_) {
        x = l.box * (depth - 1);
        l.buttonLeft = x;
        l.hasButtonSpace = true;
        x += l.box;
    }
    if (styleFlags & kStyleCheck) {
        l.hasCheck = true;
        l.checkLeft = x;
        x += l.box;
    }
    if (hasIcon) {
        l.hasIcon = true;
        l.iconLeft = x;
        x += l.box;
    }
    l.textLeft = x;
    return l;
}

std::string OneLineText(const std::string& text) {
    std::string out;
    bool pendingBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            pendingBreak = !out.empty();
            continue;
        }
        if (pendingBreak) out += ' ';
        pendingBreak = false;
        out += c;
    }
    return out;
}

CellPart GroupTreeModel::PartAt(NodeHandle node, int column, int xInCell, int cellWidth) const {
    const Node* n = find(node);
    if (!n || n == &root_ || xInCell < 0 || xInCell >= cellWidth) return CellPart::None;
    const CellLayout l = LayoutCell(node, column);
    auto inside = [&](int left) { return xInCell >= left && xInCell < left + l.box; };
    if (l.hasButtonSpace && !n->children.empty() && inside(l.buttonLeft)) return CellPart::Button;
    if (l.hasCheck && inside(l.checkLeft)) return CellPart::Check;
    if ((StyleFlags(node, column) & kStyleButton) && xInCell >= cellWidth - l.box)
        return CellPart::CellButton;
    if (l.hasIcon && inside(l.iconLeft)) return CellPart::Icon;
    if (xInCell >= l.textLeft) return CellPart::Text;
    return CellPart::None;
}

}  // namespace veltrin
