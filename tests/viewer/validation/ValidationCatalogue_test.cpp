#include "viewer/validation/ValidationCatalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace validation;

TEST(ValidationCatalogue, NamesTheMpegAudioModuleAndItsFile) {
    EXPECT_EQ(ModuleDisplayName(0x40000), "MPEG Audio Validator");
    EXPECT_EQ(ModuleFileName(0x40000), "MPEGAudioValidator.qll");
    EXPECT_EQ(ModuleTypeByName("  mpeg AUDIO validator\t"), 0x40000u);
}

TEST(ValidationCatalogue, TypesWithoutAnEntryAndTheFamilyType) {
    EXPECT_EQ(ModuleDisplayName(0), "Quillon");
    EXPECT_EQ(ModuleFileName(0), "");
    EXPECT_EQ(ModuleDisplayName(0x3), "Unknown");  // not a single bit
    EXPECT_EQ(ModuleFileName(0x80000000), "Unknown");
    EXPECT_EQ(ModuleTypeByName("Quillon"), 0u);
    EXPECT_EQ(ModuleTypeByName("Unknown"), 0u);
    EXPECT_EQ(ModuleTypeByName(""), 0u);
}

TEST(ValidationCatalogue, HoldsTwentySixSingleBitEntriesWithDistinctNamesThatLookBackUp) {
    std::set<std::string> names, files;
    int entries = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const std::uint32_t type = 1u << bit;
        if (ModuleDisplayName(type) == "Unknown") continue;
        ++entries;
        names.insert(ModuleDisplayName(type));
        files.insert(ModuleFileName(type));
        EXPECT_EQ(ModuleTypeByName(ModuleDisplayName(type)), type) << ModuleDisplayName(type);
        EXPECT_TRUE(ModuleFileName(type).ends_with(".qll")) << ModuleFileName(type);
    }
    EXPECT_EQ(entries, 26);
    EXPECT_EQ(names.size(), 26u);
    EXPECT_EQ(files.size(), 26u);
    for (std::uint32_t type : kModuleLoadOrder) EXPECT_NE(ModuleDisplayName(type), "Unknown") << type;
}

TEST(ValidationCatalogue, ReportTypeNamesAndStreamIdentifierText) {
    EXPECT_EQ(ReportTypeName(0), "None");
    EXPECT_EQ(ReportTypeName(1), "Info");
    EXPECT_EQ(ReportTypeName(2), "Warning");
    EXPECT_EQ(ReportTypeName(3), "Error");
    EXPECT_EQ(ReportTypeName(4), "Unknown");
    EXPECT_EQ(ReportTypeName(-1), "Unknown");
    EXPECT_EQ(StreamIdText(-1), "");
    EXPECT_EQ(StreamIdText(-2147483647 - 1), "");
    EXPECT_EQ(StreamIdText(0), "0");
    EXPECT_EQ(StreamIdText(257), "257");
}

}  // namespace
