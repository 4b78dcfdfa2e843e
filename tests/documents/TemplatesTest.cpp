#include "documents/Templates.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/Fakes.h"

using namespace veltrin;
namespace fs = std::filesystem;

namespace {

struct Templates : ::testing::Test {
    test::ProgramFolder folder;
    fs::path root = folder.root / "template";
    void make(const std::string& name, const char* file = nullptr) {
        fs::create_directories(root / name);
        if (file) test::writeAll(root / name / file, "<body>x</body>");
    }
};

}  // namespace

TEST_F(Templates, FoldersOnlySortedIgnoringCase) {
    EXPECT_TRUE(ListTemplates().empty());  // no template folder at all
    make("note Blue", "index.htm");
    make("Diary Blue", "index.html");
    make("alpha");
    make("Alpha");
    test::writeAll(root / "readme.txt", "not a template");
    const std::vector<std::string> expected = {"Alpha", "alpha", "Diary Blue", "note Blue"};
    EXPECT_EQ(ListTemplates(), expected);
    EXPECT_EQ(TemplateListIndex(expected, "Diary Blue", false), 2);
    EXPECT_EQ(TemplateListIndex(expected, "diary blue", false), -1);  // equal with case only
    EXPECT_EQ(TemplateListIndex(expected, "gone", true), 0);
    EXPECT_EQ(TemplateListIndex({}, "gone", true), -1);
}

TEST_F(Templates, StartDocumentPrefersHtmlAndRefusesPathsInNames) {
    make("Both", "index.htm");
    test::writeAll(root / "Both" / "index.html", "<body>y</body>");
    make("Short", "index.htm");
    make("Empty");
    EXPECT_EQ(TemplateStartDocument("Both"), (root / "Both" / "index.html").string());
    EXPECT_EQ(TemplateStartDocument("Short"), (root / "Short" / "index.htm").string());
    EXPECT_EQ(TemplateStartDocument("Empty"), "");
    EXPECT_EQ(TemplateStartDocument("Missing"), "");
    // A name read from a settings file never leaves the template folder.
    test::writeAll(folder.root / "index.htm", "<body>outside</body>");
    for (const char* name : {"..", ".", "", "../template/Short", "Short/..", "a\\b"}) {
        EXPECT_FALSE(IsPlainTemplateName(name)) << name;
        EXPECT_EQ(TemplateStartDocument(name), "") << name;
    }
}

TEST_F(Templates, UserTemplatesJoinTheShippedOnesAndWinByName) {
    const fs::path own = folder.data() / "template";
    make("Diary Blue", "index.htm");
    make("Note Blue", "index.htm");
    fs::create_directories(own / "Diary Blue");
    test::writeAll(own / "Diary Blue" / "index.htm", "<body>mine</body>");
    fs::create_directories(own / "agenda");
    test::writeAll(own / "agenda" / "index.html", "<body>a</body>");
    fs::create_directories(own / "Note Blue");  // no start document: the shipped one serves

    const std::vector<std::string> expected = {"agenda", "Diary Blue", "Note Blue"};
    EXPECT_EQ(ListTemplates(), expected);
    EXPECT_EQ(TemplateStartDocument("Diary Blue"), (own / "Diary Blue" / "index.htm").string());
    EXPECT_EQ(TemplateStartDocument("agenda"), (own / "agenda" / "index.html").string());
    EXPECT_EQ(TemplateStartDocument("Note Blue"), (root / "Note Blue" / "index.htm").string());
    // One folder named twice lists each template once.
    EXPECT_EQ(ListTemplates(root.string(), root.string()),
              (std::vector<std::string>{"Diary Blue", "Note Blue"}));
}

TEST_F(Templates, InstalledProgramReadsShippedTemplatesFromShare) {
    const fs::path prefix = folder.root / "usr";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "veltrin" / "template" / "Diary Blue");
    test::writeAll(prefix / "share" / "veltrin" / "template" / "Diary Blue" / "index.htm", "<body>x</body>");
    SetExecutablePathForTesting((prefix / "bin" / "veltrin").string());
    EXPECT_EQ(ListTemplates(), std::vector<std::string>{"Diary Blue"});
    EXPECT_EQ(TemplateStartDocument("Diary Blue"),
              (prefix / "share" / "veltrin" / "template" / "Diary Blue" / "index.htm").string());
}
