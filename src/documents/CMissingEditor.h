#pragma once

#include "documents/CDocumentEditor.h"

namespace veltrin {

// Stands in for the HTML editor when its module cannot be loaded: it says so
// where the page would be, and no read ever succeeds, so no record is
// overwritten and every page keeps its stored bytes.
class CMissingEditor : public CDocumentEditor {
    Q_OBJECT
public:
    CMissingEditor(const QString& why, QWidget* parent = nullptr);

    // The text the user is shown, with the loader's reason.
    static QString Explanation(const QString& why);

    bool SetDocumentHtml(const std::string&) override { return false; }
    bool LoadTemplateFile(const std::string&) override { return false; }
    Body ReadBody(int = kWaitMs) override { return {}; }
    bool TakeChangedBody(std::string&, int = kWaitMs) override { return false; }
    std::string GetBodyHtml() override { return {}; }
    std::string GetBodyText(bool* ok = nullptr) override;
    std::string GetDocumentSource(bool* ok = nullptr) override;
    // Kept, so the views' design-mode rules answer as ever.
    bool SetDesignMode(bool on) override;
    bool IsDesignMode() const override { return design_; }
    bool isLoaded() const override { return false; }
    void RunCommand(int) override {}
    void PasteAtSelection(const QString&) override {}
    void SetFontName(const QString&) override {}
    void SetFontSize(int) override {}
    void InsertPicture(const QString&) override {}
    void CreateLink(const QString&) override {}
    void Find(const QString&) override {}
    bool Print(QPrinter*) override { return false; }
    void ClearSelection() override {}

private:
    bool design_ = false;
};

}  // namespace veltrin
