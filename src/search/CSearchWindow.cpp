#include "search/CSearchWindow.h"

#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace veltrin {

namespace {

QIcon KindIcon(SearchKind kind) {
    switch (kind) {
    case SearchKind::Event: return QIcon::fromTheme(QStringLiteral("x-office-calendar"));
    case SearchKind::DiaryPage: return QIcon::fromTheme(QStringLiteral("x-office-document"));
    case SearchKind::Note: return QIcon::fromTheme(QStringLiteral("text-x-generic"));
    case SearchKind::Contact: return QIcon::fromTheme(QStringLiteral("x-office-address-book"));
    }
    return {};
}

// The snippet as rich text, the hit in bold; the text itself is escaped.
QString SnippetHtml(const SearchSnippet& s) {
    const auto part = [&s](std::size_t from, std::size_t to) {
        return QString::fromStdString(s.text.substr(from, to - from)).toHtmlEscaped();
    };
    return part(0, s.markBegin) + QStringLiteral("<b>") + part(s.markBegin, s.markEnd) +
           QStringLiteral("</b>") + part(s.markEnd, s.text.size());
}

}  // namespace

CSearchWindow::CSearchWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Search"));
    query_ = new QLineEdit(this);
    query_->setPlaceholderText(QStringLiteral("Words to find"));
    query_->setClearButtonEnabled(true);
    results_ = new QTreeWidget(this);
    results_->setColumnCount(2);
    results_->setHeaderHidden(true);
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    results_->setColumnWidth(0, 220);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(query_);
    layout->addWidget(results_);
    resize(640, 420);

    debounce_.setSingleShot(true);
    debounce_.setInterval(kDebounceMs);
    connect(query_, &QLineEdit::textChanged, this, [this] { debounce_.start(); });
    connect(&debounce_, &QTimer::timeout, this, &CSearchWindow::refresh);
    // Enter in the box opens the selected result, the first one unless the
    // user chose another; the list is brought up to date first.
    connect(query_, &QLineEdit::returnPressed, this, [this] {
        if (debounce_.isActive()) {
            debounce_.stop();
            refresh();
        }
        const int row = results_->currentItem() ? results_->indexOfTopLevelItem(results_->currentItem()) : 0;
        openRow(row);
    });
    // The key that opened the window starts a new query in it.
    auto* again = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this);
    connect(again, &QShortcut::activated, this, [this] {
        query_->setFocus();
        query_->selectAll();
    });
    connect(results_, &QTreeWidget::itemSelectionChanged, this, &CSearchWindow::showSelection);
    connect(results_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openRow(results_->indexOfTopLevelItem(item)); });
}

void CSearchWindow::setIndex(std::shared_ptr<const SearchIndex> index) {
    index_ = std::move(index);
    refresh();
}

void CSearchWindow::setIndexSource(IndexSource source) {
    source_ = std::move(source);
    stale_ = false;
    setIndex(source_ ? source_() : nullptr);
}

bool CSearchWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        stale_ = true;
    } else if (event->type() == QEvent::WindowActivate && stale_ && source_) {
        stale_ = false;
        debounce_.stop();
        setIndex(source_());
    }
    return QDialog::event(event);
}

// The snippet of a selected row in the selection's text colour, so it stays readable.
void CSearchWindow::showSelection() {
    for (int i = 0; i < results_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = results_->topLevelItem(i);
        if (QWidget* snippet = results_->itemWidget(item, 1))
            snippet->setForegroundRole(item->isSelected() ? QPalette::HighlightedText : QPalette::Text);
    }
}

void CSearchWindow::refresh() {
    results_->clear();
    shown_.clear();
    if (!index_) return;
    shownQuery_ = ParseQuery(query_->text().toStdString());
    const SearchQuery& query = shownQuery_;
    std::vector<SearchHit> hits = index_->Find(query);
    if (hits.size() > static_cast<std::size_t>(kMaxShown)) hits.resize(kMaxShown);
    for (const SearchHit& hit : hits) {
        const SearchEntry& entry = index_->entry(hit.entry);
        auto* item = new QTreeWidgetItem(results_);
        item->setIcon(0, KindIcon(entry.kind));
        item->setText(0, QString::fromStdString(entry.title));
        auto* snippet = new QLabel(SnippetHtml(index_->Snippet(hit, query)));
        snippet->setTextFormat(Qt::RichText);
        results_->setItemWidget(item, 1, snippet);
    }
    shown_ = std::move(hits);
    if (results_->topLevelItemCount() > 0) results_->setCurrentItem(results_->topLevelItem(0));
}

void CSearchWindow::openRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size() || !open_) return;
    const SearchHit& hit = shown_[static_cast<std::size_t>(row)];
    const SearchSnippet snippet = index_->Snippet(hit, shownQuery_);
    open_(index_->entry(hit.entry),
          snippet.text.substr(snippet.markBegin, snippet.markEnd - snippet.markBegin));
}

}  // namespace veltrin
