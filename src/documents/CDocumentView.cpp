#include "documents/CDocumentView.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMimeDatabase>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSaveFile>

#include "base/LocalTime.h"
#include "controls/CGroupTree.h"
#include "controls/CSplitter.h"
#include "controls/CToolStrip.h"
#include "controls/QtGroupTreeActions.h"
#include "controls/QtThemeIcons.h"
#include "documents/CDocumentEditor.h"
#include "documents/CMissingEditor.h"
#include "documents/QtEditorModule.h"
#include "documents/Templates.h"
#include "imaging/QtPicture.h"
#include "imaging/QtSkinResources.h"
#include "platform/Platform.h"
#include "storage/QtStoredText.h"
#include "storage/StoredText.h"
#include "tree/GroupTreeCommands.h"

namespace veltrin {

namespace {

constexpr int kListWidth = 220;
constexpr int kBinding = 30;

struct ToolEntry {
    int id;  // 0 for a gap
    const char* label;
    const char* icon;
};

const ToolEntry kClipboardTools[] = {{kDocCut, "Cut", "edit-cut"},
                                     {kDocCopy, "Copy", "edit-copy"},
                                     {kDocPaste, "Paste", "edit-paste"},
                                     {0, nullptr, nullptr},
                                     {kDocSelectAll, "Select all", "edit-select-all"}};

const ToolEntry kFormatTools[] = {
    {kDocBold, "Bold", "format-text-bold"},
    {kDocItalic, "Italic", "format-text-italic"},
    {kDocUnderline, "Underline", "format-text-underline"},
    {kDocStrikeOut, "StrikeOut", "format-text-strikethrough"},
    {0, nullptr, nullptr},
    {kDocAlignLeft, "Align Left", "format-justify-left"},
    {kDocCenter, "Center", "format-justify-center"},
    {kDocAlignRight, "Align Right", "format-justify-right"},
    {kDocBullets, "Formatting Bullets", "format-indent-more"},
    {0, nullptr, nullptr},
    {kDocInsertTime, "Insert Time", "appointment-new"},
    {kDocFind, "Find", "edit-find"},
    {kDocPrintPreview, "Print Preview", "document-print-preview"},
    {kDocPrint, "Print", "document-print"},
    {0, nullptr, nullptr},
    {kDocPicture, "Insert a Picture", "image-x-generic"},
    {kDocHorizontalLine, "Insert Horizontal Line", "list-remove"},
    {kDocHyperlink, "Create a Hyperlink", "internet-web-browser"},
    {0, nullptr, nullptr},
    {kDocSaveHtml, "Save as HTML...", "document-save-as"},
    {kDocSaveText, "Save as text...", "document-save"},
    {0, nullptr, nullptr},
    {kDocDesignMode, "Switch Design Mode", "accessories-text-editor"},
};

template <std::size_t N>
void FillStrip(CToolStrip* strip, const ToolEntry (&entries)[N]) {
    for (const ToolEntry& e : entries) {
        if (e.id == 0)
            strip->addSeparator();
        else
            strip->addButton(e.id, ThemeIcon(QString::fromLatin1(e.icon)), QString::fromLatin1(e.label));
    }
}

}  // namespace

CDocumentView::CDocumentView(const QString& caption, QWidget* parent) : CViewBase(caption, parent) {
    static const char* const bindings[3] = {"IDR_BINDING1_GIF", "IDR_BINDING2_GIF", "IDR_BINDING3_GIF"};
    for (int i = 0; i < 3; ++i)
        binding_[i] = QPixmap::fromImage(
            ToQImage(LoadResourcePicture(QString::fromLatin1(bindings[i]), QStringLiteral("GIF"))));

    splitter_ = new CSplitter(this);
    splitter_->setDragRange(200, 300);
    connect(splitter_, &CSplitter::moved, this, [this](int) { layOut(); });

    ownBar_ = new CToolStrip(this);
    ownBar_->setObjectName(QStringLiteral("ownToolbar"));
    clipboardBar_ = new CToolStrip(this);
    clipboardBar_->setObjectName(QStringLiteral("clipboardToolbar"));
    formatBar_ = new CToolStrip(this);
    formatBar_->setObjectName(QStringLiteral("formatToolbar"));
    FillStrip(clipboardBar_, kClipboardTools);
    FillStrip(formatBar_, kFormatTools);
    for (CToolStrip* strip : {ownBar_, clipboardBar_, formatBar_})
        connect(strip, &CToolStrip::commandTriggered, this, &CDocumentView::runCommand);

    tree_ = new CGroupTree(this);
    tree_->setObjectName(QStringLiteral("tree"));
    tree_->model().SetControlId(1001);
    tree_->SetListener(this);

    fontName_ = new QComboBox(this);
    fontName_->setObjectName(QStringLiteral("fontName"));
    fontName_->addItems(QFontDatabase::families());
    fontName_->setCurrentIndex(std::max(0, fontName_->findText(font().family())));
    fontSize_ = new QComboBox(this);
    fontSize_->setObjectName(QStringLiteral("fontSize"));
    for (int size : FontSizeChoices()) fontSize_->addItem(QString::number(size));
    fontSize_->setCurrentIndex(0);
    // Only the user's own choice acts on the document.
    connect(fontName_, &QComboBox::activated, this, [this](int) {
        if (needDesign()) editor()->SetFontName(fontName_->currentText());
    });
    connect(fontSize_, &QComboBox::activated, this, [this](int) {
        if (needDesign()) editor()->SetFontSize(fontSize_->currentText().toInt());
    });

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("caption"));
    caption_->setTextFormat(Qt::PlainText);  // names are shown as typed, never as markup
    QFont f = caption_->font();
    f.setPointSize(f.pointSize() + 5);
    f.setBold(true);
    caption_->setFont(f);
}

CDocumentEditor* CDocumentView::editor() {
    if (!editor_) createEditor();
    return editor_;
}

void CDocumentView::createEditor() {
    editor_ = MakeDocumentEditor(this);
    editor_->setObjectName(QStringLiteral("editor"));
    editor_->setGeometry(editorRect_);
    editor_->show();
    if (current_ != kNoNode && tree_->model().IsValid(current_)) {
        showRecord(current_);
    } else if (startDocument_) {
        editor_->SetDocumentHtml(*startDocument_);
        editor_->ClearSelection();
    }
    startDocument_.reset();
    editor_->setFocus();
}

CGroupTree* CDocumentView::tree() {
    if (!listed_) {
        listed_ = true;
        listRecords();
    }
    return tree_;
}

void CDocumentView::showEvent(QShowEvent* event) {
    CViewBase::showEvent(event);
    tree();
    // Made on the first show on the screen, so a program that sits in the
    // tray or the task bar never starts the document engine and its helper
    // processes. Restoring a minimized window shows its children again.
    if (!editor_ && !window()->isMinimized()) createEditor();
}

void CDocumentView::commitEditor() { commitWithin(CDocumentEditor::kWaitMs); }

void CDocumentView::finishEditing() {
    commitWithin(CDocumentEditor::kExitWaitMs);
    finished_ = true;
}

void CDocumentView::commitWithin(int waitMs) {
    // Without an editor the record holds its stored text untouched.
    if (!editor_ || finished_ || current_ == kNoNode || !tree_->model().IsValid(current_)) return;
    std::string html;
    if (!editor_->TakeChangedBody(html, waitMs)) return;
    TextPayload p = payload(current_);
    if (p.html == html) return;
    p.html = html;
    setPayload(current_, p);
}

void CDocumentView::showRecord(NodeHandle node) {
    startDocument_.reset();
    if (!editor_) return;  // the new editor shows the current record
    editor_->ClearSelection();
    editor_->SetDocumentHtml(node != kNoNode ? payload(node).html : std::string());
}

void CDocumentView::clearEditor() {
    startDocument_.reset();
    if (editor_) editor_->SetDocumentHtml(std::string());
}

void CDocumentView::focusEditor() {
    if (editor_) editor_->setFocus();
}

bool CDocumentView::templateBody(const std::string& name, TemplateUse use, std::string& html) {
    const std::string path = TemplateStartDocument(name);
    const CDocumentEditor::Body body =
        !path.empty() && editor()->LoadTemplateFile(path) ? editor_->ReadBody() : CDocumentEditor::Body();
    if (!body.ok) {
        // Without the editor no template can be read: say why, not that it is missing.
        const QString noEditor = EditorModuleError();
        messages().fileError(noEditor.isEmpty() ? MissingTemplateMessage(name, use)
                                                : CMissingEditor::Explanation(noEditor).toStdString());
        clearEditor();
        return false;
    }
    html = body.html;
    return true;
}

void CDocumentView::startWithTemplate(const std::string& name, TemplateUse use) {
    // Read now, so a missing template is reported at start as ever; the
    // editor shows it once it is made.
    const std::string path = TemplateStartDocument(name);
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) {
        messages().fileError(MissingTemplateMessage(name, use));
        startDocument_.reset();
    } else {
        startDocument_ = file.readAll().toStdString();
    }
    if (editor_) {
        editor_->SetDocumentHtml(startDocument_.value_or(std::string()));
        startDocument_.reset();
        editor_->ClearSelection();
        editor_->SetDesignMode(false);
    }
}

bool CDocumentView::needDesign() {
    if (editor()->IsDesignMode()) return true;
    messages().fileError("Switch Design Mode to ON!");
    return false;
}

void CDocumentView::runCommand(int command) {
    editor();  // every command works on the page
    if (NeedsDesignMode(command) && !needDesign()) return;
    switch (command) {
    case kTreeImport:
    case kTreeExport: emit interopRequested(command); break;
    case kDocInsertTime:
        editor_->PasteAtSelection(QString::fromStdString(FormatLocalTime(clock().now(), "%H:%M:%S")));
        break;
    case kDocFind: find(); break;
    case kDocPrintPreview: printPreview(); break;
    case kDocPrint: print(); break;
    case kDocPicture: insertPicture(); break;
    case kDocHyperlink: createLink(); break;
    case kDocSaveHtml: exportDocument(true); break;
    case kDocSaveText: exportDocument(false); break;
    case kDocDesignMode: switchDesignMode(); break;
    default: editor_->RunCommand(command); break;
    }
}

void CDocumentView::switchDesignMode() {
    if (current_ == kNoNode) {
        editor_->SetDesignMode(false);
        return;
    }
    // A page that cannot be read is left alone: reloading it would show and
    // later store an empty page.
    if (!editor_->ReadBody().ok) return;
    commitEditor();
    editor_->SetDesignMode(!editor_->IsDesignMode());
    showRecord(current_);
    messages().fileError(editor_->IsDesignMode() ? "Design Mode switched ON!" : "Design Mode switched OFF!");
    if (!editor_->IsDesignMode()) store();
}

void CDocumentView::exportDocument(bool html) {
    if (current_ == kNoNode) {
        messages().fileError(noRecordMessage());
        return;
    }
    const QString suggested = FromStored(exportName(current_));
    QString path;
    if (askSavePath_) {
        path = askSavePath_(suggested, html);
    } else {
        QFileDialog dialog(this);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setNameFilter(html ? QStringLiteral("HTML Files (*.htm *.html)")
                                  : QStringLiteral("Text Files (*.txt)"));
        dialog.setDefaultSuffix(html ? QStringLiteral("htm") : QStringLiteral("txt"));
        dialog.selectFile(suggested);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().first();
    }
    if (path.isEmpty()) return;
    // A page that could not be read leaves the file alone rather than writing it empty.
    bool read = false;
    const std::string text = html ? editor_->GetDocumentSource(&read) : editor_->GetBodyText(&read);
    QSaveFile file(path);
    const bool ok =
        read && file.open(QIODevice::WriteOnly) &&
        file.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size()) &&
        file.commit();
    if (!ok) messages().fileError("Cannot open file " + ToStored(path) + "!");
}

void CDocumentView::insertPicture() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Insert a Picture"), QString(),
                                     QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.webp)"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages().fileError("Cannot open file " + ToStored(path) + "!");
        return;
    }
    const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
    if (!mime.startsWith(QLatin1String("image/"))) {
        messages().fileError("Cannot open file " + ToStored(path) + "!");
        return;
    }
    editor_->InsertPicture(QStringLiteral("data:") + mime + QStringLiteral(";base64,") +
                           QString::fromLatin1(file.readAll().toBase64()));
}

void CDocumentView::createLink() {
    bool ok = false;
    const QString address =
        QInputDialog::getText(this, QStringLiteral("Create a Hyperlink"), QStringLiteral("URL:"),
                              QLineEdit::Normal, QStringLiteral("https://"), &ok);
    if (ok) editor_->CreateLink(address.trimmed());
}

void CDocumentView::find() {
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Find"), QStringLiteral("Find what:"),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok && !text.isEmpty()) editor_->Find(text);
}

void CDocumentView::printPreview() {
    QPrinter printer;
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { editor_->Print(p); });
    preview.exec();
}

void CDocumentView::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) editor_->Print(&printer);
}

void CDocumentView::viewHidden() { commitEditor(); }

void CDocumentView::setListColours(const ListColours& c) {
    ApplyListColours(*tree_, c.text, c.back, c.selectedText, c.selectedBack);
}

void CDocumentView::setToolbarColour(const QColor& colour) {
    panel_ = colour;
    for (CToolStrip* strip : {ownBar_, clipboardBar_, formatBar_}) strip->setStripColour(colour);
    update();
}

void CDocumentView::resizeEvent(QResizeEvent* event) {
    CViewBase::resizeEvent(event);
    layOut();
}

void CDocumentView::layOut() {
    const QRect area = contentRect();
    const int x0 = area.left(), y0 = area.top(), W = area.width(), H = area.height();
    // The bar stands where the drags put it, unless the editor side would get too narrow.
    splitter_->placeAt(QRect(x0 + kListWidth + 2, y0 + 10, CSplitter::kWidth, std::max(0, H - 20)));
    const int listRight = std::min(splitter_->x() - 2, x0 + std::max(W - 200, 120));
    if (splitter_->x() != listRight + 2) splitter_->move(listRight + 2, splitter_->y());
    tree_->setGeometry(x0 + 10, y0 + 32, listRight - x0 - 10, std::max(0, H - 42));
    if (tree_->model().ColumnCount() > 0)
        tree_->model().SetColumnWidth(0, std::max(60, tree_->width() - 2 * tree_->frameWidth()));
    ownBar_->setGeometry(x0 + 10, y0 + 10, listRight - x0 - 10, 22);
    const int left = listRight + 2 + CSplitter::kWidth + 5;
    const int right = x0 + W - 10;
    clipboardBar_->setGeometry(left, y0 + 10, 90, 22);
    formatBar_->setGeometry(left + 95, y0 + 10, std::max(0, right - left - 95), 22);
    fontName_->setGeometry(left, y0 + 37, 300, 22);
    fontSize_->setGeometry(left + 310, y0 + 37, 50, 22);
    caption_->setGeometry(left, y0 + 37 + 22 + 10, std::max(0, right - left), 30);
    const int edTop = caption_->geometry().bottom() + 1 + kBinding;
    editorRect_ =
        QRect(left + kBinding, edTop, std::max(0, right - left - kBinding), std::max(0, y0 + H - 10 - edTop));
    if (editor_) editor_->setGeometry(editorRect_);
    update();
}

void CDocumentView::paintEvent(QPaintEvent* event) {
    CViewBase::paintEvent(event);
    QPainter p(this);
    const QRect clip = clipboardBar_->geometry(), format = formatBar_->geometry();
    p.fillRect(QRect(clip.right() + 1, clip.top(), format.left() - clip.right() - 1, clip.height()), panel_);
    const QRect ed = editorRect_;
    p.fillRect(QRect(clip.left(), clip.bottom() + 1, ed.right() - clip.left() + 1,
                     caption_->geometry().top() - clip.bottom() - 1),
               panel_);
    p.fillRect(caption_->geometry(), panel_);
    if (!binding_[0].isNull())
        p.drawTiledPixmap(QRect(ed.left() - kBinding, ed.top(), kBinding, ed.height()), binding_[0]);
    if (!binding_[1].isNull())
        p.drawPixmap(QRect(ed.left() - kBinding, ed.top() - kBinding, kBinding, kBinding), binding_[1]);
    if (!binding_[2].isNull())
        p.drawTiledPixmap(QRect(ed.left(), ed.top() - kBinding, ed.width(), kBinding), binding_[2]);
}

}  // namespace veltrin
