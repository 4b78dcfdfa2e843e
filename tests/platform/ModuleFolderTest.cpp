#include <gtest/gtest.h>

#include "platform/ModuleFolder.h"

using namespace veltrin;

TEST(ModuleFolder, CutsAtTheLastSeparator) {
    EXPECT_EQ(ModuleFolderOf("/opt/veltrin/veltrin"), "/opt/veltrin");
    EXPECT_EQ(ModuleFolderOf("C:\\Tools\\Veltrin.exe"), "C:\\Tools");
    EXPECT_EQ(ModuleFolderOf("C:\\Veltrin.exe"), "C:\\");
    EXPECT_EQ(ModuleFolderOf("/veltrin"), "");
}

TEST(ModuleFolder, DataFilesLieInTheDataFolderBesideTheProgram) {
    EXPECT_EQ(DataFilePathOf("C:\\Tools\\Veltrin.exe", "Settings.dat"), "C:\\Tools\\data\\Settings.dat");
    EXPECT_EQ(DataFilePathOf("/home/ann/veltrin/veltrin", "Events.dat"), "/home/ann/veltrin/data/Events.dat");
    SetExecutablePathForTesting("/srv/app/veltrin");
    EXPECT_EQ(DataFilePath("Notes.dat"), "/srv/app/data/Notes.dat");
    SetExecutablePathForTesting("");
    EXPECT_NE(ExecutablePath(), "/srv/app/veltrin");
}
