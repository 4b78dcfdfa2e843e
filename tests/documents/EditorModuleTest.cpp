// Where the program looks for its editor module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "documents/EditorModule.h"
#include "support/Fakes.h"

using namespace veltrin;
namespace fs = std::filesystem;

TEST(EditorModule, BesideTheProgramElseInTheInstalledLibraryFolderUnlessNamed) {
    test::ProgramFolder folder;
    const fs::path bin = folder.root / "usr" / "bin";
    fs::create_directories(bin);
    const std::string program = (bin / "veltrin").string();

    // Installed: lib/<arch>/veltrin beside the bin folder, whether or not it is there.
    const fs::path installed = EditorModulePathOf(program, nullptr);
    EXPECT_EQ(installed.filename(), "veltrin-webeditor.so");
    EXPECT_EQ(installed.parent_path().filename(), "veltrin");
    EXPECT_EQ(installed.lexically_relative(folder.root / "usr").begin()->string(), "lib");
    EXPECT_EQ(EditorModulePathOf(program, ""), installed.string()) << "an empty override names nothing";

    // A build tree: the module beside the program wins.
    std::ofstream(bin / "veltrin-webeditor.so") << "x";
    EXPECT_EQ(EditorModulePathOf(program, nullptr), (bin / "veltrin-webeditor.so").string());

    EXPECT_EQ(EditorModulePathOf(program, "/elsewhere/editor.so"), "/elsewhere/editor.so");
}
