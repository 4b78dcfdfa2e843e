#include "controls/CGroupTree.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleOptionButton>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <optional>

#include "imaging/QtPicture.h"
#include "storage/QtStoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

namespace {

Qt::Alignment alignOf(ColumnAlign a) {
    switch (a) {
    case ColumnAlign::Right: return Qt::AlignRight;
    case ColumnAlign::Centre: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

constexpr int kTextPad = 2;

QString editorText(QWidget* w) {
    if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text();
    if (auto* box = qobject_cast<QPlainTextEdit*>(w)) return box->toPlainText();
    return {};
}

}  // namespace

// A drop-down list over a cell; tells the tree once it has closed, after the
// chosen entry (if any) has become current.
class GroupTreeDropDown : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onClosed;
    void hidePopup() override {
        QComboBox::hidePopup();
        QTimer::singleShot(0, this, [this] {
            if (auto f = std::move(onClosed)) {
                onClosed = nullptr;
                f();
            }
        });
    }
};

CGroupTree::CGroupTree(QWidget* parent) : QAbstractScrollArea(parent) {
    model_.SetObserver(this);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    headerModel_ = new QStandardItemModel(this);
    header_ = new QHeaderView(Qt::Horizontal, this);
    header_->setModel(headerModel_);
    header_->setSectionsClickable(true);
    header_->setHighlightSections(false);
    header_->setStretchLastSection(false);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setFocusPolicy(Qt::NoFocus);
    connect(header_, &QHeaderView::sectionResized, this, [this](int index, int, int size) {
        if (syncingHeader_) return;
        model_.SetColumnWidth(index, size);
        placeEditors();
        viewport()->update();
    });
    connect(header_, &QHeaderView::sectionClicked, this, [this](int index) {
        if (editor_) commitEditor(0);  // the header takes no focus, so finish the edit here
        model_.SortByHeader(index);
    });
    connect(header_, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int index) { FitColumnWidth(index); });
    verticalScrollBar()->setSingleStep(1);
    updateFontMetrics();
    scheduleLayout();
}

CGroupTree::~CGroupTree() {
    // The editor must not report to a model that is going away.
    if (editor_) {
        editor_->removeEventFilter(this);
        delete editor_.data();
    }
    if (dropDown_) dropDown_->onClosed = nullptr;
    model_.SetObserver(nullptr);
    model_.SetListener(nullptr);
}

int CGroupTree::InsertColumn(int index, const QString& title, ColumnAlign align, int width) {
    return model_.InsertColumn(index, ToStored(title), align, width);
}

void CGroupTree::SetImageList(std::vector<QPixmap> images) {
    images_ = std::move(images);
    viewport()->update();
}

bool CGroupTree::RunCommand(int command) {
    switch (command) {
    case kTreeCollapseAll: model_.SetAllCollapsed(true); return true;
    case kTreeExpandAll: model_.SetAllCollapsed(false); return true;
    case kTreeMoveUp:
    case kTreeMoveDown: MoveSelected(model_, command); return true;
    default: return false;
    }
}

// ---------------------------------------------------------------- layout

void CGroupTree::RowsChanged() {
    scheduleLayout();
    viewport()->update();
}

void CGroupTree::NodeChanged(NodeHandle) { viewport()->update(); }

void CGroupTree::scheduleLayout() {
    if (layoutPending_) return;
    layoutPending_ = true;
    // Many row changes in a row cost one layout.
    QTimer::singleShot(0, this, [this] {
        if (layoutPending_) layoutNow();
    });
}

void CGroupTree::layoutNow() {
    layoutPending_ = false;
    syncHeader();
    const int hh = header_->sizeHint().height();
    setViewportMargins(0, hh, 0, 0);
    const QRect vg = viewport()->geometry();
    header_->setGeometry(vg.left(), vg.top() - hh, vg.width(), hh);
    const int rows = model_.RowCount();
    const int page = RowsPerPage();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, rows - page));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, totalWidth() - viewport()->width()));
    header_->setOffset(horizontalScrollBar()->value());
    placeEditors();
    viewport()->update();
    if (pendingVisible_ && isVisible()) {
        const NodeHandle node = pendingVisible_;
        pendingVisible_ = kNoNode;
        EnsureVisible(node);
    }
}

void CGroupTree::syncHeader() {
    syncingHeader_ = true;
    const int count = model_.ColumnCount();
    if (headerModel_->columnCount() != count) headerModel_->setColumnCount(count);
    for (int c = 0; c < count; ++c) {
        const TreeColumn* col = model_.Column(c);
        const QString title = FromStored(col->title);
        if (headerModel_->headerData(c, Qt::Horizontal).toString() != title)
            headerModel_->setHeaderData(c, Qt::Horizontal, title);
        headerModel_->setHeaderData(c, Qt::Horizontal,
                                    QVariant::fromValue(int(alignOf(col->align) | Qt::AlignVCenter)),
                                    Qt::TextAlignmentRole);
        if (header_->sectionSize(c) != col->width) header_->resizeSection(c, col->width);
    }
    syncingHeader_ = false;
}

void CGroupTree::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    layoutNow();
}

void CGroupTree::showEvent(QShowEvent* e) {
    QAbstractScrollArea::showEvent(e);
    layoutNow();
}

void CGroupTree::changeEvent(QEvent* e) {
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        updateFontMetrics();
        scheduleLayout();
    }
}

void CGroupTree::updateFontMetrics() {
    const QFontMetrics fm(font());
    model_.SetBoxSize(fm.height() + fm.leading());
}

void CGroupTree::scrollContentsBy(int, int) {
    header_->setOffset(horizontalScrollBar()->value());
    placeEditors();
    viewport()->update();
}

// An open editor or list rides along with its cell.
void CGroupTree::placeEditors() {
    const int row = model_.GetRow(model_.EditNode());
    if (row < 0) return;
    if (editor_) editor_->setGeometry(textRect(row, model_.EditColumn()).adjusted(0, 1, 0, 0));
    if (dropDown_) dropDown_->setGeometry(CellRect(row, model_.EditColumn()));
}

int CGroupTree::RowsPerPage() const { return std::max(1, viewport()->height() / model_.RowHeight()); }

int CGroupTree::totalWidth() const {
    int w = 0;
    for (int c = 0; c < model_.ColumnCount(); ++c) w += model_.Column(c)->width;
    return w;
}

int CGroupTree::columnLeft(int column) const {
    int x = -horizontalScrollBar()->value();
    for (int c = 0; c < column; ++c) x += model_.Column(c)->width;
    return x;
}

int CGroupTree::columnAt(int x) const {
    int left = -horizontalScrollBar()->value();
    for (int c = 0; c < model_.ColumnCount(); ++c) {
        const int w = model_.Column(c)->width;
        if (x >= left && x < left + w) return c;
        left += w;
    }
    return -1;
}

QRect CGroupTree::CellRect(int row, int column) const {
    const TreeColumn* col = model_.Column(column);
    if (!col) return {};
    const int h = model_.RowHeight();
    return QRect(columnLeft(column), (row - verticalScrollBar()->value()) * h, col->width, h);
}

QRect CGroupTree::PartRect(int row, int column, CellPart part) const {
    const QRect cell = CellRect(row, column);
    const NodeHandle node = model_.NodeAtRow(row);
    if (cell.isNull() || !node) return {};
    const CellLayout l = model_.LayoutCell(node, column);
    const int top = cell.top() + (cell.height() - l.box) / 2;
    switch (part) {
    case CellPart::Button: return QRect(cell.left() + l.buttonLeft, top, l.box, l.box);
    case CellPart::Check: return QRect(cell.left() + l.checkLeft, top, l.box, l.box);
    case CellPart::Icon: return QRect(cell.left() + l.iconLeft, top, l.box, l.box);
    case CellPart::CellButton: return QRect(cell.right() + 1 - l.box, cell.top(), l.box, cell.height());
    case CellPart::Text: return textRect(row, column);
    default: return {};
    }
}

QRect CGroupTree::textRect(int row, int column) const {
    const QRect cell = CellRect(row, column);
    const NodeHandle node = model_.NodeAtRow(row);
    if (cell.isNull() || !node) return {};
    const CellLayout l = model_.LayoutCell(node, column);
    int right = cell.right();
    if (model_.StyleFlags(node, column) & kStyleButton) right -= l.box;
    return QRect(QPoint(cell.left() + l.textLeft, cell.top()), QPoint(right, cell.bottom()));
}

void CGroupTree::EnsureVisible(NodeHandle node) {
    if (!isVisible()) {
        pendingVisible_ = node;
        return;
    }
    if (layoutPending_) layoutNow();
    const int row = model_.GetRow(node);
    if (row < 0) return;
    QScrollBar* v = verticalScrollBar();
    if (row < v->value())
        v->setValue(row);
    else if (row >= v->value() + RowsPerPage())
        v->setValue(row - RowsPerPage() + 1);
}

int CGroupTree::headingWidth(int column) const {
    return header_->fontMetrics().horizontalAdvance(FromStored(model_.Column(column)->title)) +
           2 * header_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header_);
}

int CGroupTree::cellWidth(const CellLayout& l, unsigned styleFlags, int textAdvance) {
    return l.textLeft + 2 * kTextPad + textAdvance + ((styleFlags & kStyleButton) ? l.box : 0);
}

void CGroupTree::FitColumnWidth(int column) {
    if (!model_.Column(column)) return;
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    const QFontMetrics fm(font()), fmBold(bold);
    const int textColumn = model_.TextColumn();
    int width = headingWidth(column);
    for (int r = 0, n = model_.RowCount(); r < n; ++r) {
        const NodeHandle node = model_.NodeAtRow(r);
        const QString text = FromStored(OneLineText(model_.GetItemText(node, column)));
        const bool isBold = column == textColumn && model_.GetBold(node);
        width = std::max(width, cellWidth(model_.LayoutCell(node, column), model_.StyleFlags(node, column),
                                          (isBold ? fmBold : fm).horizontalAdvance(text)));
    }
    model_.SetColumnWidth(column, width);
    layoutNow();
}

int CGroupTree::WidthToShow(int column, const std::vector<std::string>& texts, unsigned styleFlags,
                            bool hasIcon) const {
    if (!model_.Column(column)) return 0;
    const QFontMetrics fm(font());
    int advance = 0;
    for (const std::string& t : texts) advance = std::max(advance, fm.horizontalAdvance(FromStored(t)));
    return std::max(headingWidth(column),
                    cellWidth(model_.LayoutCell(column, styleFlags, hasIcon), styleFlags, advance));
}

// ---------------------------------------------------------------- painting

void CGroupTree::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QColor listBack = QColorFromColour(model_.ListBackColour());
    p.fillRect(viewport()->rect(), listBack);
    const int h = model_.RowHeight();
    const int first = verticalScrollBar()->value();
    const int count = model_.RowCount();
    const int last = std::min(count, first + viewport()->height() / h + 1);
    const NodeHandle selected = model_.GetSelectedItem();
    const int selColumn = model_.GetSelectedColumn();
    for (int r = first; r < last; ++r) {
        const NodeHandle node = model_.NodeAtRow(r);
        int x = -horizontalScrollBar()->value();
        for (int c = 0; c < model_.ColumnCount(); ++c) {
            const int w = model_.Column(c)->width;
            if (x + w > 0 && x < viewport()->width()) {
                const bool sel = node == selected && (model_.FullRowSelect() || c == selColumn);
                paintCell(p, node, c, QRect(x, (r - first) * h, w, h), sel);
            }
            x += w;
        }
    }
}

void CGroupTree::drawExpandButton(QPainter& p, const QRect& box, bool collapsed) {
    const int on = model_.ButtonImage(collapsed), off = model_.ButtonImage(!collapsed);
    const auto have = [this](int i) { return i >= 0 && static_cast<std::size_t>(i) < images_.size(); };
    if (have(on) && have(off)) {
        const QPixmap& pm = images_[on];
        p.drawPixmap(box.center() - QPoint(pm.width() / 2, pm.height() / 2), pm);
        return;
    }
    // The plain button: a 9 x 9 white square, a minus, and a plus while collapsed.
    const QRect sq(box.center().x() - 4, box.center().y() - 4, 9, 9);
    p.fillRect(sq, Qt::white);
    p.setPen(QColor(172, 168, 153));
    p.drawRect(sq.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.drawLine(sq.left() + 2, sq.top() + 4, sq.left() + 6, sq.top() + 4);
    if (collapsed) p.drawLine(sq.left() + 4, sq.top() + 2, sq.left() + 4, sq.top() + 6);
}

void CGroupTree::paintCell(QPainter& p, NodeHandle node, int column, const QRect& rect, bool selected) {
    const TreeColumn* col = model_.Column(column);
    QColor back = QColorFromColour(model_.ListBackColour());
    QColor text = QColorFromColour(model_.ListTextColour());
    if (col->backColour) back = QColorFromColour(*col->backColour);
    if (col->textColour) text = QColorFromColour(*col->textColour);
    if (auto c = model_.GetItemBackColour(node)) back = QColorFromColour(*c);
    if (auto c = model_.GetItemTextColour(node)) text = QColorFromColour(*c);
    if (selected) {
        back = palette().color(QPalette::Highlight);
        text = palette().color(QPalette::HighlightedText);
    }
    p.fillRect(rect, back);
    p.save();
    p.setClipRect(rect);
    const CellLayout l = model_.LayoutCell(node, column);
    const int top = rect.top() + (rect.height() - l.box) / 2;
    if (l.hasButtonSpace && model_.HasChildren(node))
        drawExpandButton(p, QRect(rect.left() + l.buttonLeft, top, l.box, l.box),
                         model_.IsCollapsed(node) != 0);
    if (l.hasCheck) {
        QStyleOptionButton opt;
        opt.initFrom(this);
        const int side = std::min(l.box - 2, style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this));
        const QRect box(rect.left() + l.checkLeft, top, l.box, l.box);
        opt.rect = QRect(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
        const int check = model_.GetCheck(node, column);
        opt.state |= check == 1 ? QStyle::State_On : check == 2 ? QStyle::State_NoChange : QStyle::State_Off;
        opt.state |= QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &opt, &p, this);
    }
    const int image = model_.GetItemImage(node, column);
    if (l.hasIcon && static_cast<std::size_t>(image) < images_.size()) {
        const QRect box(rect.left() + l.iconLeft, top, l.box, l.box);
        QPixmap pm = images_[image];
        if (pm.width() > l.box || pm.height() > l.box)
            pm = pm.scaled(l.box, l.box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        p.drawPixmap(box.center() - QPoint(pm.width() / 2 - 1, pm.height() / 2 - 1), pm);
    }
    const unsigned flags = model_.StyleFlags(node, column);
    int right = rect.right();
    if ((flags & kStyleButton) && selected) {
        right -= l.box;
        QStyleOptionButton opt;
        opt.initFrom(this);
        opt.rect = QRect(rect.right() + 1 - l.box, rect.top(), l.box, rect.height());
        opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &opt, &p, this);
        p.setPen(palette().color(QPalette::ButtonText));
        if (flags & kStyleDropDown) {
            opt.rect = opt.rect.adjusted(3, 3, -3, -3);
            style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &opt, &p, this);
        } else {
            p.drawText(opt.rect, Qt::AlignCenter, QStringLiteral("..."));
        }
    }
    const int textColumn = model_.TextColumn();
    if (column == textColumn && model_.GetBold(node)) {
        QFont f = font();
        f.setWeight(QFont::Bold);
        p.setFont(f);
    }
    p.setPen(text);
    const QRect tr(QPoint(rect.left() + l.textLeft + kTextPad, rect.top()),
                   QPoint(right - kTextPad, rect.bottom()));
    const std::string stored = model_.GetItemText(node, column);
    if (model_.LinesPerRow() > 1) {
        const QString s = FromStored(stored);
        p.drawText(tr, int(alignOf(col->align) | Qt::AlignVCenter) | Qt::TextWordWrap, s);
    } else {
        const QString s = FromStored(OneLineText(stored));
        p.drawText(tr, int(alignOf(col->align) | Qt::AlignVCenter),
                   p.fontMetrics().elidedText(s, Qt::ElideRight, tr.width()));
    }
    p.restore();
}

// ---------------------------------------------------------------- mouse

void CGroupTree::mousePressEvent(QMouseEvent* e) { press(e, false); }

void CGroupTree::mouseDoubleClickEvent(QMouseEvent* e) { press(e, true); }

void CGroupTree::press(QMouseEvent* e, bool doubleClick) {
    setFocus(Qt::MouseFocusReason);
    if (layoutPending_) layoutNow();
    const QPoint pos = e->position().toPoint();
    const int row = verticalScrollBar()->value() + pos.y() / model_.RowHeight();
    const NodeHandle node = pos.y() >= 0 ? model_.NodeAtRow(row) : kNoNode;
    const int column = columnAt(pos.x());
    if (!node || column < 0) return;  // outside any row
    if (e->button() == Qt::RightButton) {
        model_.SelectItem(node, column, true);
        return;  // the context-menu request goes on to the parent
    }
    if (e->button() != Qt::LeftButton) return;
    const QRect cell = CellRect(row, column);
    const CellPart part = model_.PartAt(node, column, pos.x() - cell.left(), cell.width());
    after(model_.Click(node, column, part, doubleClick));
}

void CGroupTree::after(ClickResult r) {
    if (r == ClickResult::OpenEditor)
        openEditor(nullptr);
    else if (r == ClickResult::OpenDropDown)
        openDropDown();
}

// ---------------------------------------------------------------- keys

bool CGroupTree::focusNextPrevChild(bool) { return false; }  // Tab moves between cells

void CGroupTree::keyPressEvent(QKeyEvent* e) {
    if (layoutPending_) layoutNow();
    const auto mods = e->modifiers();
    const bool keypad = mods & Qt::KeypadModifier;
    std::optional<TreeKey> key;
    switch (e->key()) {
    case Qt::Key_Tab: key = (mods & Qt::ShiftModifier) ? TreeKey::BackTab : TreeKey::Tab; break;
    case Qt::Key_Backtab: key = TreeKey::BackTab; break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods & Qt::AltModifier) {
            e->ignore();
            return;
        }
        key = e->key() == Qt::Key_Up ? TreeKey::Up : TreeKey::Down;
        break;
    case Qt::Key_PageUp: key = TreeKey::PageUp; break;
    case Qt::Key_PageDown: key = TreeKey::PageDown; break;
    case Qt::Key_Home: key = TreeKey::Home; break;
    case Qt::Key_End: key = TreeKey::End; break;
    case Qt::Key_Left: key = TreeKey::Left; break;
    case Qt::Key_Right: key = TreeKey::Right; break;
    case Qt::Key_Plus:
        if (keypad) key = TreeKey::Expand;
        break;
    case Qt::Key_Minus:
        if (keypad) key = TreeKey::Collapse;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2: {
        const int column = model_.EditTargetColumn();
        if (column >= 0 && model_.BeginEdit(model_.GetSelectedItem(), column)) openEditor(nullptr);
        return;
    }
    case Qt::Key_Space: after(model_.PressSpace()); return;
    default: break;
    }
    if (key) {
        model_.HandleKey(*key, RowsPerPage());
        return;
    }
    const QString t = e->text();
    if (t.size() == 1 && t[0].isLetterOrNumber() && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        const int column = model_.EditTargetColumn();
        if (column >= 0 && model_.BeginEdit(model_.GetSelectedItem(), column)) openEditor(&t);
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

// ---------------------------------------------------------------- editing

void CGroupTree::openEditor(const QString* startText) {
    const NodeHandle node = model_.EditNode();
    const int column = model_.EditColumn();
    EnsureVisible(node);
    const int row = model_.GetRow(node);
    const QRect area = textRect(row, column).adjusted(0, 1, 0, 0);
    const QString text = startText ? *startText : FromStored(model_.GetItemText(node, column));
    QWidget* w;
    if (model_.LinesPerRow() > 1) {
        auto* box = new QPlainTextEdit(viewport());
        box->setFrameShape(QFrame::NoFrame);
        box->setPlainText(text);
        box->moveCursor(QTextCursor::End);
        w = box;
    } else {
        auto* line = new QLineEdit(viewport());
        line->setFrame(false);
        line->setText(text);
        line->setCursorPosition(text.size());
        w = line;
    }
    w->setFont(font());
    w->setGeometry(area);
    w->installEventFilter(this);
    editor_ = w;
    // What the box shows before any typing, as the box itself gives it back
    // (a text box may change line breaks): an edit that ends on exactly this
    // keeps the stored bytes.
    untouchedText_ = startText ? std::nullopt : std::optional<QString>(editorText(w));
    untouchedBytes_ = model_.GetItemText(node, column);
    w->show();
    w->setFocus(Qt::OtherFocusReason);
}

bool CGroupTree::eventFilter(QObject* watched, QEvent* e) {
    if (watched != editor_) return QAbstractScrollArea::eventFilter(watched, e);
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool multi = qobject_cast<QPlainTextEdit*>(editor_) != nullptr;
        switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (multi && (k->modifiers() & Qt::ControlModifier)) {
                static_cast<QPlainTextEdit*>(editor_.data())->insertPlainText(QStringLiteral("\n"));
                return true;
            }
            commitEditor(0);
            return true;
        case Qt::Key_Tab: commitEditor((k->modifiers() & Qt::ShiftModifier) ? -1 : 1); return true;
        case Qt::Key_Backtab: commitEditor(-1); return true;
        case Qt::Key_Escape:
            model_.CancelEdit();  // no 1230; the observer closes the box
            return true;
        default: break;
        }
    } else if (e->type() == QEvent::FocusIn) {
        // A dialog shown again (from the tray) hands the focus back as if by
        // Tab, and a line edit would select its whole text: the next key
        // would replace it. The caret and selection stay where they were.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            QFocusEvent back(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(editor_, &back);
            return true;
        }
    } else if (e->type() == QEvent::FocusOut) {
        // The window going to the background or hidden to the tray, or a
        // popup such as the editor's own menu, leaves the edit open: the
        // focus comes back to it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (!committing_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            commitEditor(0);
    }
    return QAbstractScrollArea::eventFilter(watched, e);
}

void CGroupTree::commitEditor(int moveAfter) {
    if (!editor_ || committing_) return;
    committing_ = true;
    const bool closed = model_.EndEdit(editedBytes());
    committing_ = false;
    if (!closed) return;  // the owner keeps it open
    closeEditorWidget();
    if (moveAfter != 0 && model_.MoveToNextCell(moveAfter < 0)) openEditor(nullptr);
}

void CGroupTree::EditEnded() {
    closeEditorWidget();
    if (dropDown_) {
        dropDown_->onClosed = nullptr;
        dropDown_->hide();
        dropDown_->deleteLater();
        dropDown_ = nullptr;
    }
}

void CGroupTree::closeEditorWidget() {
    if (!editor_) return;
    QWidget* w = editor_;
    editor_ = nullptr;
    w->removeEventFilter(this);
    const bool hadFocus = w->hasFocus();
    w->hide();
    w->deleteLater();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

std::string CGroupTree::editedBytes() const {
    // Compared with the text as opened, not with what a save took since:
    // typing back to the start gives the old bytes back.
    const QString text = editorText(editor_);
    return untouchedText_ ? StoredAfterEdit(text, *untouchedText_, untouchedBytes_) : ToStored(text);
}

void CGroupTree::FinishEdit() {
    if (editor_) commitEditor(0);
}

void CGroupTree::TakeEdit() {
    if (!editor_ || committing_) return;
    model_.TakeEditText(editedBytes());
}

QComboBox* CGroupTree::DropDown() const { return dropDown_; }

void CGroupTree::openDropDown() {
    const NodeHandle node = model_.EditNode();
    const int column = model_.EditColumn();
    EnsureVisible(node);
    const QRect cell = CellRect(model_.GetRow(node), column);
    auto* box = new GroupTreeDropDown(viewport());
    box->setFont(font());
    const std::string text = model_.GetItemText(node, column);
    const std::int32_t value = model_.GetItemValue(node, column);
    int current = -1;
    const auto choices = model_.GetCellChoices(model_.EffectiveStyle(node, column));
    for (std::size_t i = 0; i < choices.size(); ++i) {
        box->addItem(FromStored(choices[i].text), choices[i].value);
        if (current < 0 && choices[i].text == text && choices[i].value == value)
            current = static_cast<int>(i);
    }
    box->setCurrentIndex(current);
    box->setMaxVisibleItems(
        std::max(1, (10 * model_.BoxSize() + 30 - cell.height()) / std::max(1, cell.height())));
    box->setGeometry(cell);
    box->onClosed = [this] { finishDropDown(); };
    dropDown_ = box;
    box->show();
    box->setFocus();
    box->showPopup();
}

void CGroupTree::finishDropDown() {
    GroupTreeDropDown* box = dropDown_;
    if (!box) return;
    dropDown_ = nullptr;
    const int i = box->currentIndex();
    const NodeHandle node = model_.EditNode();
    // A chosen entry gives its own stored bytes, never a round trip through the screen's text.
    const auto choices = model_.GetCellChoices(model_.EffectiveStyle(node, model_.EditColumn()));
    const std::string text = i >= 0 && static_cast<std::size_t>(i) < choices.size()
                                 ? choices[static_cast<std::size_t>(i)].text
                                 : model_.GetItemText(node, model_.EditColumn());
    const std::int32_t value = i >= 0 ? box->itemData(i).toInt() : 0;
    box->hide();
    box->deleteLater();
    setFocus(Qt::OtherFocusReason);
    model_.EndDropDown(text, value);
}

void ApplyListColours(CGroupTree& tree, const QColor& text, const QColor& back, const QColor& selectedText,
                      const QColor& selectedBack) {
    tree.model().SetListColours(ColourFromRgb(FromQColor(text)), ColourFromRgb(FromQColor(back)));
    QPalette p = tree.palette();
    p.setColor(QPalette::Highlight, selectedBack);
    p.setColor(QPalette::HighlightedText, selectedText);
    tree.setPalette(p);
    tree.viewport()->update();
}

}  // namespace veltrin
